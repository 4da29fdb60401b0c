// SPDX-License-Identifier: Apache-2.0
#include "AravisFloatNode.h"

#include <arv.h>

#include "FloatNode.h"
#include "NodeText.h"

namespace ZavizoZoz3 {

GenApi::gcstring AravisFloatNode::ToString() const {
    return FloatNode::format(const_cast<AravisFloatNode*>(this)->GetValue());
}

void AravisFloatNode::FromString(const GenApi::gcstring& value) {
    SetValue(NodeText::toNumber(value, GetName()));
}

double AravisFloatNode::GetValue(bool /*Verify*/, bool /*IgnoreCache*/) {
    requireReadable();
    return withNode<double>(
        [](ArvGcNode* node, GError** error) { return arv_gc_float_get_value(ARV_GC_FLOAT(node), error); });
}

void AravisFloatNode::SetValue(double value, bool /*Verify*/) {
    requireWritable();
    std::string problem;
    withNode<int>([&](ArvGcNode* node, GError** error) {
        auto* number = ARV_GC_FLOAT(node);
        const double min = arv_gc_float_get_min(number, error);
        const double max = *error ? 0.0 : arv_gc_float_get_max(number, error);
        if (*error) return 0;
        problem = FloatNode::writeProblem(value, min, max);
        if (problem.empty()) arv_gc_float_set_value(number, value, error);
        return 0;
    });
    if (!problem.empty()) throwOutOfRange(problem);
}

double AravisFloatNode::GetMin() {
    return withNode<double>(
        [](ArvGcNode* node, GError** error) { return arv_gc_float_get_min(ARV_GC_FLOAT(node), error); });
}

double AravisFloatNode::GetMax() {
    return withNode<double>(
        [](ArvGcNode* node, GError** error) { return arv_gc_float_get_max(ARV_GC_FLOAT(node), error); });
}

}  // namespace ZavizoZoz3
