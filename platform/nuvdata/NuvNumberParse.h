// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <string_view>

// Reads machine numbers (node values, camera information, file headers) the same in every locale:
// '.' is the decimal point whatever LC_NUMERIC says, unlike std::atof/strtod. The whole text must
// be one number; ASCII blanks around it and a leading '+' are accepted. A failed read reports false
// and leaves *value untouched.
class NuvNumberParse {
public:
    static bool read(std::string_view text, double* value);
    static bool read(std::string_view text, float* value);
    static bool read(std::string_view text, int* value);
    static bool read(std::string_view text, long long* value);
    static bool read(std::string_view text, unsigned long long* value);

    // The number in text, or fallback when text is not one.
    template <class T>
    static T valueOr(std::string_view text, T fallback) {
        read(text, &fallback);
        return fallback;
    }
};
