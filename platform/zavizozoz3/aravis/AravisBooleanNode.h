// SPDX-License-Identifier: Apache-2.0
#pragma once
// A boolean feature of a GenICam device, as text "True"/"False" (also "1"/"0").
#include "AravisNode.h"

namespace ZavizoZoz3 {

class AravisBooleanNode final : public AravisNode, public GenApi::IBoolean {
public:
    using AravisNode::AravisNode;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIBoolean; }
    GenApi::gcstring ToString() const override { return GetValue() ? "True" : "False"; }
    void FromString(const GenApi::gcstring& value) override;
    bool GetValue(bool Verify = false, bool IgnoreCache = false) const override;
    void SetValue(bool value, bool Verify = true) override;
};

}  // namespace ZavizoZoz3
