#include "NodeText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale>
#include <sstream>

#include "GenApi.h"

namespace ZavizoZoz3 {
namespace NodeText {

bool toBoolean(const std::string& text, const std::string& feature) {
    if (text == "True" || text == "true" || text == "1") return true;
    if (text == "False" || text == "false" || text == "0") return false;
    throw GenICam::InvalidArgumentException("'" + text + "' is not a boolean for " + feature, __FILE__,
                                            __LINE__);
}

int64_t toInteger(const std::string& text, const std::string& feature) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long asInteger = std::strtoll(begin, &end, 10);
    if (end != begin && *end == '\0' && errno == 0) return asInteger;
    errno = 0;
    const double asDouble = std::strtod(begin, &end);
    if (end == begin || *end != '\0' || errno != 0 || !std::isfinite(asDouble) ||
        std::fabs(asDouble) > static_cast<double>(std::numeric_limits<int32_t>::max()))
        throw GenICam::InvalidArgumentException("'" + text + "' is not an integer for " + feature, __FILE__,
                                                __LINE__);
    return std::llround(asDouble);
}

double toNumber(const std::string& text, const std::string& feature) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double parsed = 0;
    in >> parsed;
    if (in.fail() || !in.eof() || !std::isfinite(parsed))
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
