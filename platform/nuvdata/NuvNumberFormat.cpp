// SPDX-License-Identifier: Apache-2.0
#include "NuvNumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstring>

char* NuvNumberFormat::formatG10(char* out, double value) {
    // to_chars prints "-nan" and "-0" where Qt prints "nan" and "0".
    if (std::isnan(value)) {
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    if (value == 0.0) {
        *out = '0';
        return out + 1;
    }
    // General format with a precision is printf's %.10g, which is what Qt's 'g' produces too.
    return std::to_chars(out, out + kMaxChars, value, std::chars_format::general, 10).ptr;
}

char* NuvNumberFormat::formatUInt(char* out, unsigned value) {
    return std::to_chars(out, out + kMaxChars, value).ptr;
}
