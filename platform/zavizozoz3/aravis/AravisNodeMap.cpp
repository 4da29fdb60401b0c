// SPDX-License-Identifier: Apache-2.0
#include "AravisNodeMap.h"

#include <arv.h>

#include <set>

#include "AravisBooleanNode.h"
#include "AravisCommandNode.h"
#include "AravisEnumerationNode.h"
#include "AravisFloatNode.h"
#include "AravisIntegerNode.h"
#include "AravisStringNode.h"

namespace ZavizoZoz3 {

AravisNodeMap::AravisNodeMap(std::string deviceName, std::shared_ptr<AravisDevice> device)
    : m_deviceName(std::move(deviceName)), m_device(std::move(device)) {}

std::unique_ptr<GenApi::INode> AravisNodeMap::makeAdapter(const std::string& name) const {
    enum class Kind { None, Integer, Float, Enumeration, Boolean, String, Command } kind = Kind::None;
    {
        std::lock_guard<std::mutex> lock(m_device->featureMutex());
        ArvGcNode* node = m_device->nodeLocked(name);
        // Enumerations also answer as integers: ask for them first.
        if (!node)
            kind = Kind::None;
        else if (ARV_IS_GC_ENUMERATION(node))
            kind = Kind::Enumeration;
        else if (ARV_IS_GC_INTEGER(node))
            kind = Kind::Integer;
        else if (ARV_IS_GC_FLOAT(node))
            kind = Kind::Float;
        else if (ARV_IS_GC_BOOLEAN(node))
            kind = Kind::Boolean;
        else if (ARV_IS_GC_STRING(node))
            kind = Kind::String;
        else if (ARV_IS_GC_COMMAND(node))
            kind = Kind::Command;
    }
    switch (kind) {
        case Kind::Integer:
            return std::make_unique<AravisIntegerNode>(m_device, name);
        case Kind::Float:
            return std::make_unique<AravisFloatNode>(m_device, name);
        case Kind::Enumeration:
            return std::make_unique<AravisEnumerationNode>(m_device, name);
        case Kind::Boolean:
            return std::make_unique<AravisBooleanNode>(m_device, name);
        case Kind::String:
            return std::make_unique<AravisStringNode>(m_device, name);
        case Kind::Command:
            return std::make_unique<AravisCommandNode>(m_device, name);
        case Kind::None:
            break;
    }
    return nullptr;
}

GenApi::INode* AravisNodeMap::GetNode(const GenApi::gcstring& name) const {
    std::lock_guard<std::mutex> lock(m_adaptersMutex);
    const auto it = m_adapters.find(name);
    if (it != m_adapters.end()) return it->second.get();
    std::unique_ptr<GenApi::INode> adapter = makeAdapter(name);
    if (!adapter) return nullptr;
    return m_adapters.emplace(name, std::move(adapter)).first->second.get();
}

std::vector<GenApi::INode*> AravisNodeMap::GetNodes() const {
    std::vector<std::string> names;
    {
        std::lock_guard<std::mutex> lock(m_device->featureMutex());
        std::set<std::string> seen;
        std::vector<ArvGcNode*> pending;
        if (ArvGcNode* root = m_device->nodeLocked("Root")) pending.push_back(root);
        while (!pending.empty()) {
            ArvGcNode* node = pending.back();
            pending.pop_back();
            if (ARV_IS_GC_CATEGORY(node)) {
                for (const GSList* f = arv_gc_category_get_features(ARV_GC_CATEGORY(node)); f; f = f->next) {
                    const char* name = static_cast<const char*>(f->data);
                    if (name && seen.insert(name).second) {
                        if (ArvGcNode* child = m_device->nodeLocked(name)) pending.push_back(child);
                    }
                }
            } else {
                names.emplace_back(arv_gc_feature_node_get_name(ARV_GC_FEATURE_NODE(node)));
            }
        }
    }
    std::vector<GenApi::INode*> nodes;
    for (const std::string& name : names)
        if (GenApi::INode* node = GetNode(name)) nodes.push_back(node);
    return nodes;
}

}  // namespace ZavizoZoz3
