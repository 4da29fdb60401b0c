// SPDX-License-Identifier: Apache-2.0
#include "NodeMap.h"

namespace ZavizoZoz3 {

NodeMap::NodeMap(std::string deviceName) : m_deviceName(std::move(deviceName)) {}

GenApi::INode* NodeMap::GetNode(const GenApi::gcstring& name) const {
    const auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : it->second;
}

std::vector<GenApi::INode*> NodeMap::GetNodes() const {
    std::vector<GenApi::INode*> nodes;
    nodes.reserve(m_nodes.size());
    for (const auto& node : m_nodes)
        nodes.push_back(node.get());
    return nodes;
}

template <class T>
T& NodeMap::add(std::unique_ptr<T> node) {
    T& ref = *node;
    m_byName[ref.GetName()] = &ref;
    m_nodes.push_back(std::move(node));
    return ref;
}

IntegerNode& NodeMap::addInteger(const std::string& name, int64_t value, int64_t min, int64_t max,
                                 int64_t inc, GenApi::EAccessMode access, const EnumerationNode* selector) {
    return add(std::make_unique<IntegerNode>(*this, name, value, min, max, inc, access, selector));
}

FloatNode& NodeMap::addFloat(const std::string& name, double value, double min, double max,
                             GenApi::EAccessMode access) {
    return add(std::make_unique<FloatNode>(*this, name, value, min, max, access));
}

StringNode& NodeMap::addString(const std::string& name, const std::string& value,
                               GenApi::EAccessMode access) {
    return add(std::make_unique<StringNode>(*this, name, value, access));
}

BooleanNode& NodeMap::addBoolean(const std::string& name, bool value, GenApi::EAccessMode access,
                                 const EnumerationNode* selector) {
    return add(std::make_unique<BooleanNode>(*this, name, value, access, selector));
}

EnumerationNode& NodeMap::addEnumeration(const std::string& name, std::vector<std::string> entries,
                                         int current, GenApi::EAccessMode access,
                                         const EnumerationNode* selector) {
    return add(std::make_unique<EnumerationNode>(*this, name, std::move(entries), current, access, selector));
}

CommandNode& NodeMap::addCommand(const std::string& name) {
    return add(std::make_unique<CommandNode>(*this, name));
}

void NodeMap::setChangeListener(std::function<void(const std::string&)> listener) {
    m_changeListener = std::move(listener);
}

void NodeMap::notifyChanged(const std::string& name) const {
    if (m_changeListener) m_changeListener(name);
}

int64_t NodeMap::integerValue(const std::string& name, int64_t fallback) const {
    GenApi::CIntegerPtr node(GetNode(name));
    if (!node || !GenApi::IsReadable(node->GetAccessMode())) return fallback;
    return node->GetValue();
}

double NodeMap::floatValue(const std::string& name, double fallback) const {
    GenApi::CFloatPtr node(GetNode(name));
    if (!node || !GenApi::IsReadable(node->GetAccessMode())) return fallback;
    return node->GetValue();
}

std::string NodeMap::symbolicValue(const std::string& name) const {
    GenApi::CEnumerationPtr node(GetNode(name));
    if (!node || !GenApi::IsReadable(node->GetAccessMode())) return {};
    return node->GetCurrentEntrySymbolic();
}

bool NodeMap::booleanValue(const std::string& name) const {
    GenApi::CBooleanPtr node(GetNode(name));
    return node && GenApi::IsReadable(node->GetAccessMode()) && node->GetValue();
}

}  // namespace ZavizoZoz3
