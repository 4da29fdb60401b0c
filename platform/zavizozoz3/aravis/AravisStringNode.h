// SPDX-License-Identifier: Apache-2.0
#pragma once
// A text feature of a GenICam device (DeviceVendorName, DeviceUserID, ...).
#include "AravisNode.h"

namespace ZavizoZoz3 {

class AravisStringNode final : public AravisNode, public GenApi::IString {
public:
    using AravisNode::AravisNode;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIString; }
    GenApi::gcstring ToString() const override { return const_cast<AravisStringNode*>(this)->GetValue(); }
    void FromString(const GenApi::gcstring& value) override { SetValue(value); }
    GenApi::gcstring GetValue(bool Verify = false, bool IgnoreCache = false) override;
    void SetValue(const GenApi::gcstring& value, bool Verify = true) override;
};

}  // namespace ZavizoZoz3
