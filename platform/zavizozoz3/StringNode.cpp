// SPDX-License-Identifier: Apache-2.0
#include "StringNode.h"

#include <mutex>

#include "NodeMap.h"

namespace ZavizoZoz3 {

StringNode::StringNode(NodeMap& map, std::string name, std::string value, GenApi::EAccessMode access)
    : NodeBase(map, std::move(name), access), m_value(std::move(value)) {}

GenApi::gcstring StringNode::ToString() const {
    return const_cast<StringNode*>(this)->GetValue();
}

GenApi::gcstring StringNode::GetValue(bool /*Verify*/, bool /*IgnoreCache*/) {
    requireReadable();
    std::lock_guard<std::mutex> lock(map().valuesMutex());
    return m_value;
}

void StringNode::SetValue(const GenApi::gcstring& value, bool /*Verify*/) {
    requireWritable();
    {
        std::lock_guard<std::mutex> lock(map().valuesMutex());
        m_value = value;
    }
    notifyChanged();
}

}  // namespace ZavizoZoz3
