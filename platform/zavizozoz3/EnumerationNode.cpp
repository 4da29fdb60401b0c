// SPDX-License-Identifier: Apache-2.0
#include "EnumerationNode.h"

#include <algorithm>
#include <mutex>

#include "NodeMap.h"

namespace ZavizoZoz3 {

EnumerationNode::EnumerationNode(NodeMap& map, std::string name, std::vector<std::string> entries,
                                 int current, GenApi::EAccessMode access, const EnumerationNode* selector)
    : NodeBase(map, std::move(name), access),
      m_entries(std::move(entries)),
      m_selector(selector),
      m_current(selector ? selector->entryCount() : 1, current) {}

int EnumerationNode::currentIndexLocked() const {
    const size_t slot = m_selector ? static_cast<size_t>(m_selector->currentIndexLocked()) : 0;
    return m_current[slot];
}

GenApi::gcstring EnumerationNode::ToString() const {
    return GetCurrentEntrySymbolic();
}

void EnumerationNode::FromString(const GenApi::gcstring& value) {
    SetSymbolic(value);
}

std::vector<GenApi::gcstring> EnumerationNode::GetSymbolics() const {
    return m_entries;
}

GenApi::gcstring EnumerationNode::GetCurrentEntrySymbolic() const {
    requireReadable();
    std::lock_guard<std::mutex> lock(map().valuesMutex());
    return m_entries[static_cast<size_t>(currentIndexLocked())];
}

void EnumerationNode::SetSymbolic(const GenApi::gcstring& symbolic) {
    requireWritable();
    const auto it = std::find(m_entries.begin(), m_entries.end(), symbolic);
    if (it == m_entries.end())
        throw GenICam::InvalidArgumentException("'" + symbolic + "' is not an entry of " + GetName(),
                                                __FILE__, __LINE__);
    {
        std::lock_guard<std::mutex> lock(map().valuesMutex());
        const size_t slot = m_selector ? static_cast<size_t>(m_selector->currentIndexLocked()) : 0;
        m_current[slot] = static_cast<int>(it - m_entries.begin());
    }
    notifyChanged();
}

}  // namespace ZavizoZoz3
