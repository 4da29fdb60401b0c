// SPDX-License-Identifier: Apache-2.0
#pragma once
// Boolean feature, as text "True"/"False" (also accepts "1"/"0"); optionally one value per
// selector entry (ImageMask per ImageMaskerSelector).
#include <string>
#include <vector>

#include "NodeBase.h"

namespace ZavizoZoz3 {

class EnumerationNode;

class BooleanNode final : public NodeBase, public GenApi::IBoolean {
public:
    BooleanNode(NodeMap& map, std::string name, bool value, GenApi::EAccessMode access,
                const EnumerationNode* selector = nullptr);

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIBoolean; }
    GenApi::gcstring ToString() const override;
    void FromString(const GenApi::gcstring& value) override;
    bool GetValue(bool Verify = false, bool IgnoreCache = false) const override;
    void SetValue(bool value, bool Verify = true) override;
    // The value kept for selector entry `slot`; the caller holds the values mutex.
    bool valueForSlotLocked(size_t slot) const { return slot < m_values.size() && m_values[slot] != 0; }

private:
    const EnumerationNode* const m_selector;
    std::vector<char> m_values;  // per selector entry; guarded by the map's values mutex
};

}  // namespace ZavizoZoz3
