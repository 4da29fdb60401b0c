// SPDX-License-Identifier: Apache-2.0
#pragma once
// A floating-point feature of a GenICam device (AcquisitionFrameRate, ExposureTime, ...).
#include "AravisNode.h"

namespace ZavizoZoz3 {

class AravisFloatNode final : public AravisNode, public GenApi::IFloat {
public:
    using AravisNode::AravisNode;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIFloat; }
    // The same text as the simulated cameras' float features ("0.05", "32000").
    GenApi::gcstring ToString() const override;
    void FromString(const GenApi::gcstring& value) override;
    double GetValue(bool Verify = false, bool IgnoreCache = false) override;
    void SetValue(double value, bool Verify = true) override;
    double GetMin() override;
    double GetMax() override;
};

}  // namespace ZavizoZoz3
