// SPDX-License-Identifier: Apache-2.0
#include "AravisEnumerationNode.h"

#include <arv.h>

#include <algorithm>

namespace ZavizoZoz3 {

std::vector<GenApi::gcstring> AravisEnumerationNode::GetSymbolics() const {
    return withNode<std::vector<GenApi::gcstring>>([](ArvGcNode* node, GError** error) {
        std::vector<GenApi::gcstring> names;
        guint count = 0;
        const char** values =
            arv_gc_enumeration_dup_available_string_values(ARV_GC_ENUMERATION(node), &count, error);
        for (guint i = 0; values && i < count; ++i)
            names.emplace_back(values[i]);
        g_free(values);
        return names;
    });
}

GenApi::gcstring AravisEnumerationNode::GetCurrentEntrySymbolic() const {
    requireReadable();
    return withNode<std::string>([](ArvGcNode* node, GError** error) {
        const char* value = arv_gc_enumeration_get_string_value(ARV_GC_ENUMERATION(node), error);
        return std::string(value ? value : "");
    });
}

void AravisEnumerationNode::SetSymbolic(const GenApi::gcstring& symbolic) {
    requireWritable();
    const std::vector<GenApi::gcstring> entries = GetSymbolics();
    if (std::find(entries.begin(), entries.end(), symbolic) == entries.end())
        throw GenICam::InvalidArgumentException("'" + symbolic + "' is not an entry of " + GetName(),
                                                __FILE__, __LINE__);
    withNode<int>([&symbolic](ArvGcNode* node, GError** error) {
        arv_gc_enumeration_set_string_value(ARV_GC_ENUMERATION(node), symbolic.c_str(), error);
        return 0;
    });
}

}  // namespace ZavizoZoz3
