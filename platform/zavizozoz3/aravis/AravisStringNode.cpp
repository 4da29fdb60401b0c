// SPDX-License-Identifier: Apache-2.0
#include "AravisStringNode.h"

#include <arv.h>

namespace ZavizoZoz3 {

GenApi::gcstring AravisStringNode::GetValue(bool /*Verify*/, bool /*IgnoreCache*/) {
    requireReadable();
    return withNode<std::string>([](ArvGcNode* node, GError** error) {
        const char* value = arv_gc_string_get_value(ARV_GC_STRING(node), error);
        return std::string(value ? value : "");
    });
}

void AravisStringNode::SetValue(const GenApi::gcstring& value, bool /*Verify*/) {
    requireWritable();
    withNode<int>([&value](ArvGcNode* node, GError** error) {
        arv_gc_string_set_value(ARV_GC_STRING(node), value.c_str(), error);
        return 0;
    });
}

}  // namespace ZavizoZoz3
