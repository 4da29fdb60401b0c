// SPDX-License-Identifier: Apache-2.0
#pragma once
// A command feature of a GenICam device (TriggerSoftware, AcquisitionStart, ...). Writing any
// text executes it.
#include "AravisNode.h"

namespace ZavizoZoz3 {

class AravisCommandNode final : public AravisNode, public GenApi::ICommand {
public:
    using AravisNode::AravisNode;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfICommand; }
    GenApi::gcstring ToString() const override { return {}; }
    void FromString(const GenApi::gcstring& /*value*/) override { Execute(); }
    void Execute(bool Verify = true) override;
    // Aravis executes a command by writing its register: done once Execute returns.
    bool IsDone(bool /*Verify*/ = true) override { return true; }
};

}  // namespace ZavizoZoz3
