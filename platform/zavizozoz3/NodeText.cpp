// SPDX-License-Identifier: Apache-2.0
#include "NodeText.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "GenApi.h"
#include "NuvNumberParse.h"

namespace ZavizoZoz3 {
namespace NodeText {

bool toBoolean(const std::string& text, const std::string& feature) {
    if (text == "True" || text == "true" || text == "1") return true;
    if (text == "False" || text == "false" || text == "0") return false;
    throw GenICam::InvalidArgumentException("'" + text + "' is not a boolean for " + feature, __FILE__,
                                            __LINE__);
}

int64_t toInteger(const std::string& text, const std::string& feature) {
    long long asInteger = 0;
    if (NuvNumberParse::read(text, &asInteger)) return asInteger;
    double asDouble = 0;
    if (!NuvNumberParse::read(text, &asDouble) || !std::isfinite(asDouble) ||
        std::fabs(asDouble) > static_cast<double>(std::numeric_limits<int32_t>::max()))
        throw GenICam::InvalidArgumentException("'" + text + "' is not an integer for " + feature, __FILE__,
                                                __LINE__);
    return std::llround(asDouble);
}

double toNumber(const std::string& text, const std::string& feature) {
    double parsed = 0;
    if (!NuvNumberParse::read(text, &parsed) || !std::isfinite(parsed))
        throw GenICam::InvalidArgumentException("'" + text + "' is not a number for " + feature, __FILE__,
                                                __LINE__);
    return parsed;
}

std::string integerWriteProblem(int64_t value, int64_t min, int64_t max, int64_t inc) {
    if (value < min || value > max)
        return std::to_string(value) + " is outside [" + std::to_string(min) + ", " + std::to_string(max) +
               "]";
    if ((value - min) % inc != 0)
        return std::to_string(value) + " does not match the increment " + std::to_string(inc);
    return {};
}

}  // namespace NodeText
}  // namespace ZavizoZoz3
