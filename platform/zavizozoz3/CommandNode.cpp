// SPDX-License-Identifier: Apache-2.0
#include "CommandNode.h"

namespace ZavizoZoz3 {

CommandNode::CommandNode(NodeMap& map, std::string name, GenApi::EAccessMode access)
    : NodeBase(map, std::move(name), access) {}

void CommandNode::Execute(bool /*Verify*/) {
    requireWritable();
    notifyChanged();
}

}  // namespace ZavizoZoz3
