#include "FloatNode.h"

#include <cmath>
#include <cstdlib>
#include <locale>
#include <mutex>
#include <sstream>

#include "NodeMap.h"

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
    std::istringstream in(value);
    in.imbue(std::locale::classic());
    double parsed = 0;
    in >> parsed;
    if (in.fail() || !in.eof() || !std::isfinite(parsed))
        throw GenICam::InvalidArgumentException("'" + value + "' is not a number for " + GetName(), __FILE__,
                                                __LINE__);
    SetValue(parsed);
}

double FloatNode::GetValue(bool /*Verify*/, bool /*IgnoreCache*/) {
    requireReadable();
    std::lock_guard<std::mutex> lock(map().valuesMutex());
    return m_value;
}

void FloatNode::SetValue(double value, bool /*Verify*/) {
    requireWritable();
    if (!std::isfinite(value) || value < m_min || value > m_max)
        throw GenICam::OutOfRangeException(
            GetName() + ": " + format(value) + " is outside [" + format(m_min) + ", " + format(m_max) + "]",
            __FILE__, __LINE__);
    {
        std::lock_guard<std::mutex> lock(map().valuesMutex());
        m_value = value;
    }
    notifyChanged();
}

}  // namespace ZavizoZoz3
