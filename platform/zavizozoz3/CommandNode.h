// SPDX-License-Identifier: Apache-2.0
#pragma once
// Command feature (TriggerSoftware): executing it tells the map's change listener, which
// the camera turns into the action. Writing any text executes it.
#include <string>

#include "NodeBase.h"

namespace ZavizoZoz3 {

class CommandNode final : public NodeBase, public GenApi::ICommand {
public:
    CommandNode(NodeMap& map, std::string name, GenApi::EAccessMode access = GenApi::WO);

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfICommand; }
    GenApi::gcstring ToString() const override { return {}; }
    void FromString(const GenApi::gcstring& value) override { Execute(); }
    void Execute(bool Verify = true) override;
    // The simulated action completes within Execute.
    bool IsDone(bool Verify = true) override { return true; }
};

}  // namespace ZavizoZoz3
