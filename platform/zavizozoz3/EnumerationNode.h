// SPDX-License-Identifier: Apache-2.0
#pragma once
// Enumeration feature (symbolic entries). May itself depend on a selector, as TriggerMode
// depends on TriggerSelector: then it keeps one current entry per selector entry.
#include <string>
#include <vector>

#include "NodeBase.h"

namespace ZavizoZoz3 {

class EnumerationNode final : public NodeBase, public GenApi::IEnumeration {
public:
    EnumerationNode(NodeMap& map, std::string name, std::vector<std::string> entries, int current,
                    GenApi::EAccessMode access, const EnumerationNode* selector = nullptr);

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIEnumeration; }
    GenApi::gcstring ToString() const override;
    void FromString(const GenApi::gcstring& value) override;
    std::vector<GenApi::gcstring> GetSymbolics() const override;
    GenApi::gcstring GetCurrentEntrySymbolic() const override;
    void SetSymbolic(const GenApi::gcstring& symbolic) override;

    // Index of the current entry; the caller holds the node map's values mutex.
    int currentIndexLocked() const;
    // Current entry for a given selector slot; the caller holds the values mutex.
    int indexForSlotLocked(size_t slot) const { return slot < m_current.size() ? m_current[slot] : -1; }
    size_t entryCount() const { return m_entries.size(); }

private:
    const std::vector<std::string> m_entries;
    const EnumerationNode* const m_selector;
    std::vector<int> m_current;  // per selector entry; guarded by the node map's values mutex
};

}  // namespace ZavizoZoz3
