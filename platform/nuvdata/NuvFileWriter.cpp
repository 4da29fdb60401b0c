#include "NuvFileWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

NuvFileWriter::NuvFileWriter(const std::string& utf8Path) : m_path(utf8Path) {
    m_file = open(utf8Path, "wb");
    if (m_file == nullptr) fail("cannot create the file");
}

NuvFileWriter::~NuvFileWriter() {
    if (m_file != nullptr) std::fclose(m_file);
}

std::FILE* NuvFileWriter::open(const std::string& utf8Path, const char* mode) {
    if (utf8Path.empty()) {
        errno = ENOENT;
        return nullptr;
    }
#ifdef _WIN32
    // The narrow fopen would read the bytes in the ANSI code page.
    const std::wstring wide = std::filesystem::u8path(utf8Path).wstring();
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(wide.c_str(), wideMode.c_str());
#else
    return std::fopen(utf8Path.c_str(), mode);
#endif
}

bool NuvFileWriter::remove(const std::string& utf8Path) {
#ifdef _WIN32
    return _wremove(std::filesystem::u8path(utf8Path).wstring().c_str()) == 0;
#else
    return std::remove(utf8Path.c_str()) == 0;
#endif
}

bool NuvFileWriter::write(const void* data, size_t size) {
    if (m_file == nullptr || !m_error.empty()) return false;
    if (size == 0) return true;
    if (std::fwrite(data, 1, size, m_file) != size) {
        fail("writing failed");
        return false;
    }
    return true;
}

bool NuvFileWriter::close() {
    if (m_file == nullptr) return false;
    errno = 0;
    const bool flushed = std::fflush(m_file) == 0 && std::ferror(m_file) == 0;
    if (!flushed) fail("writing failed");
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed) fail("closing failed");
    if (!m_error.empty()) remove(m_path);
    return m_error.empty();
}

void NuvFileWriter::fail(const char* what) {
    if (!m_error.empty()) return;
    const int code = errno;
    m_error = std::string(what) + (code != 0 ? std::string(": ") + std::strerror(code) : std::string());
}
