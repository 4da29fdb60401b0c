// SPDX-License-Identifier: Apache-2.0
#include "AravisCommandNode.h"

#include <arv.h>

namespace ZavizoZoz3 {

void AravisCommandNode::Execute(bool /*Verify*/) {
    requireWritable();
    withNode<int>([](ArvGcNode* node, GError** error) {
        arv_gc_command_execute(ARV_GC_COMMAND(node), error);
        return 0;
    });
}

}  // namespace ZavizoZoz3
