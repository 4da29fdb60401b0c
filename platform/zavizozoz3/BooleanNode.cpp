// SPDX-License-Identifier: Apache-2.0
#include "BooleanNode.h"

#include "NodeText.h"

#include <mutex>

#include "EnumerationNode.h"
#include "NodeMap.h"

namespace ZavizoZoz3 {

BooleanNode::BooleanNode(NodeMap& map, std::string name, bool value, GenApi::EAccessMode access,
                         const EnumerationNode* selector)
    : NodeBase(map, std::move(name), access),
      m_selector(selector),
      m_values(selector ? selector->entryCount() : 1, value ? 1 : 0) {}

GenApi::gcstring BooleanNode::ToString() const {
    return GetValue() ? "True" : "False";
}

void BooleanNode::FromString(const GenApi::gcstring& value) {
    SetValue(NodeText::toBoolean(value, GetName()));
}

bool BooleanNode::GetValue(bool /*Verify*/, bool /*IgnoreCache*/) const {
    requireReadable();
    std::lock_guard<std::mutex> lock(map().valuesMutex());
    const size_t slot = m_selector ? static_cast<size_t>(m_selector->currentIndexLocked()) : 0;
    return m_values[slot] != 0;
}

void BooleanNode::SetValue(bool value, bool /*Verify*/) {
    requireWritable();
    {
        std::lock_guard<std::mutex> lock(map().valuesMutex());
        const size_t slot = m_selector ? static_cast<size_t>(m_selector->currentIndexLocked()) : 0;
        m_values[slot] = value ? 1 : 0;
    }
    notifyChanged();
}

}  // namespace ZavizoZoz3
