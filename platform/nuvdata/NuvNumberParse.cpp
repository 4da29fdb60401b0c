// SPDX-License-Identifier: Apache-2.0
#include "NuvNumberParse.h"

#include <charconv>

namespace {
std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    // from_chars takes no '+'; a signed text ("+5", "+-5" is not) keeps its minus.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    return text;
}

template <class T>
bool readWhole(std::string_view text, T* value) {
    text = trimmed(text);
    T parsed{};
    const char* end = text.data() + text.size();
    const std::from_chars_result result = std::from_chars(text.data(), end, parsed);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) return false;
    *value = parsed;
    return true;
}
}  // namespace

bool NuvNumberParse::read(std::string_view text, double* value) {
    return readWhole(text, value);
}
bool NuvNumberParse::read(std::string_view text, float* value) {
    return readWhole(text, value);
}
bool NuvNumberParse::read(std::string_view text, int* value) {
    return readWhole(text, value);
}
bool NuvNumberParse::read(std::string_view text, long long* value) {
    return readWhole(text, value);
}
bool NuvNumberParse::read(std::string_view text, unsigned long long* value) {
    return readWhole(text, value);
}
