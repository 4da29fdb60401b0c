// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <string>

// Small variant used by the file libraries to pass paths and values as UTF-8 text.
class NuvVar {
public:
    NuvVar() = default;
    NuvVar(const char* text) : m_text(text ? text : "") {}
    NuvVar(const std::string& text) : m_text(text) {}
    NuvVar(const char* bytes, size_t size) : m_text(bytes ? std::string(bytes, size) : std::string()) {}
    const std::string& toString() const { return m_text; }
    const char* c_str() const { return m_text.c_str(); }
    bool empty() const { return m_text.empty(); }

private:
    std::string m_text;
};
