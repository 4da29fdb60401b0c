// SPDX-License-Identifier: Apache-2.0
#include "AravisBooleanNode.h"

#include <arv.h>

#include "NodeText.h"

namespace ZavizoZoz3 {

void AravisBooleanNode::FromString(const GenApi::gcstring& value) {
    SetValue(NodeText::toBoolean(value, GetName()));
}

bool AravisBooleanNode::GetValue(bool /*Verify*/, bool /*IgnoreCache*/) const {
    requireReadable();
    return withNode<bool>([](ArvGcNode* node, GError** error) {
        return arv_gc_boolean_get_value(ARV_GC_BOOLEAN(node), error) != FALSE;
    });
}

void AravisBooleanNode::SetValue(bool value, bool /*Verify*/) {
    requireWritable();
    withNode<int>([value](ArvGcNode* node, GError** error) {
        arv_gc_boolean_set_value(ARV_GC_BOOLEAN(node), value ? TRUE : FALSE, error);
        return 0;
    });
}

}  // namespace ZavizoZoz3
