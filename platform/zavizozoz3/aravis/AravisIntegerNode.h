// SPDX-License-Identifier: Apache-2.0
#pragma once
// An integer feature of a GenICam device (Width, OffsetX, ...). Writes are checked against the
// node's range and increment before they reach the device, as GenApi's SetValue promises.
#include "AravisNode.h"

namespace ZavizoZoz3 {

class AravisIntegerNode final : public AravisNode, public GenApi::IInteger {
public:
    using AravisNode::AravisNode;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIInteger; }
    GenApi::gcstring ToString() const override;
    // Accepts decimal integers and integral values in floating notation ("120.000000").
    void FromString(const GenApi::gcstring& value) override;
    int64_t GetValue(bool Verify = false, bool IgnoreCache = false) override;
    void SetValue(int64_t value, bool Verify = true) override;
    int64_t GetMin() override;
    int64_t GetMax() override;
    int64_t GetInc() override;
};

}  // namespace ZavizoZoz3
