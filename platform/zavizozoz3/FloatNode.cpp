// SPDX-License-Identifier: Apache-2.0
#include "FloatNode.h"

#include <cmath>
#include <cstdlib>
#include <locale>
#include <mutex>
#include <sstream>

#include "NodeMap.h"
#include "NodeText.h"

namespace ZavizoZoz3 {

FloatNode::FloatNode(NodeMap& map, std::string name, double value, double min, double max,
                     GenApi::EAccessMode access)
    : NodeBase(map, std::move(name), access), m_min(min), m_max(max), m_value(value) {}

std::string FloatNode::format(double value) {
    for (int precision = 6; precision <= 17; ++precision) {
        std::ostringstream out;
        out.imbue(std::locale::classic());
        out.precision(precision);
        out << value;
        std::istringstream in(out.str());
        in.imbue(std::locale::classic());
        double back = 0;
        in >> back;
        if (back == value || precision == 17) return out.str();
    }
    return {};
}

GenApi::gcstring FloatNode::ToString() const {
    return format(const_cast<FloatNode*>(this)->GetValue());
}

void FloatNode::FromString(const GenApi::gcstring& value) {
    SetValue(NodeText::toNumber(value, GetName()));
}

std::string FloatNode::writeProblem(double value, double min, double max) {
    if (std::isfinite(value) && value >= min && value <= max) return {};
    return format(value) + " is outside [" + format(min) + ", " + format(max) + "]";
}

double FloatNode::GetValue(bool /*Verify*/, bool /*IgnoreCache*/) {
    requireReadable();
    std::lock_guard<std::mutex> lock(map().valuesMutex());
    return m_value;
}

void FloatNode::setReading(double value) {
    std::lock_guard<std::mutex> lock(map().valuesMutex());
    m_value = value;
}

void FloatNode::SetValue(double value, bool /*Verify*/) {
    requireWritable();
    const std::string problem = writeProblem(value, m_min, m_max);
    if (!problem.empty()) throw GenICam::OutOfRangeException(GetName() + ": " + problem, __FILE__, __LINE__);
    {
        std::lock_guard<std::mutex> lock(map().valuesMutex());
        m_value = value;
    }
    notifyChanged();
}

}  // namespace ZavizoZoz3
