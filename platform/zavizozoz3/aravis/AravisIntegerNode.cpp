// SPDX-License-Identifier: Apache-2.0
#include "AravisIntegerNode.h"

#include <arv.h>

#include <algorithm>

#include "NodeText.h"

namespace ZavizoZoz3 {

GenApi::gcstring AravisIntegerNode::ToString() const {
    return std::to_string(const_cast<AravisIntegerNode*>(this)->GetValue());
}

void AravisIntegerNode::FromString(const GenApi::gcstring& value) {
    SetValue(NodeText::toInteger(value, GetName()));
}

int64_t AravisIntegerNode::GetValue(bool /*Verify*/, bool /*IgnoreCache*/) {
    requireReadable();
    return withNode<int64_t>([](ArvGcNode* node, GError** error) {
        return arv_gc_integer_get_value(ARV_GC_INTEGER(node), error);
    });
}

void AravisIntegerNode::SetValue(int64_t value, bool /*Verify*/) {
    requireWritable();
    std::string problem;
    withNode<int>([&](ArvGcNode* node, GError** error) {
        auto* integer = ARV_GC_INTEGER(node);
        const int64_t min = arv_gc_integer_get_min(integer, error);
        const int64_t max = *error ? 0 : arv_gc_integer_get_max(integer, error);
        const int64_t inc = *error ? 1 : std::max<int64_t>(1, arv_gc_integer_get_inc(integer, error));
        if (*error) return 0;
        problem = NodeText::integerWriteProblem(value, min, max, inc);
        if (problem.empty()) arv_gc_integer_set_value(integer, value, error);
        return 0;
    });
    if (!problem.empty()) throwOutOfRange(problem);
}

int64_t AravisIntegerNode::GetMin() {
    return withNode<int64_t>(
        [](ArvGcNode* node, GError** error) { return arv_gc_integer_get_min(ARV_GC_INTEGER(node), error); });
}

int64_t AravisIntegerNode::GetMax() {
    return withNode<int64_t>(
        [](ArvGcNode* node, GError** error) { return arv_gc_integer_get_max(ARV_GC_INTEGER(node), error); });
}

int64_t AravisIntegerNode::GetInc() {
    return withNode<int64_t>([](ArvGcNode* node, GError** error) {
        return std::max<int64_t>(1, arv_gc_integer_get_inc(ARV_GC_INTEGER(node), error));
    });
}

}  // namespace ZavizoZoz3
