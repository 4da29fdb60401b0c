// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstddef>

// Text of numbers for the CSV writers, byte-identical to QString::number(value, 'g', 10): at most
// 10 significant digits, fixed notation unless the decimal exponent is below -4 or at least 10,
// no trailing zeros, exponent with sign and at least two digits ("1e-05", "1.5e+12"), "nan",
// "inf" and "-inf" for the special values. Formats into a caller's buffer without allocating.
class NuvNumberFormat {
public:
    // Room that always suffices for one number.
    static constexpr size_t kMaxChars = 32;
    // Writes the text of value at out (at least kMaxChars bytes) and returns the end of it.
    static char* formatG10(char* out, double value);
    // Decimal text of an unsigned integer; returns the end.
    static char* formatUInt(char* out, unsigned value);
};
