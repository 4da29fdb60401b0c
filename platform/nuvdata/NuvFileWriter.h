#pragma once
#include <cstdio>
#include <string>

// Binary file written through a UTF-8 path (non-ASCII folder names work on every platform).
// Every failure is remembered with the system's reason; the first one is kept in error().
class NuvFileWriter {
public:
    // Opens (creating or truncating) the file for binary writing.
    explicit NuvFileWriter(const std::string& utf8Path);
    // Closes an unclosed file; a failure there is lost, so call close() to learn of it.
    ~NuvFileWriter();
    NuvFileWriter(const NuvFileWriter&) = delete;
    NuvFileWriter& operator=(const NuvFileWriter&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    bool ok() const { return m_error.empty(); }
    // Writes all bytes; false (and error() set) on a short write or after an earlier failure.
    bool write(const void* data, size_t size);
    bool write(const std::string& bytes) { return write(bytes.data(), bytes.size()); }
    // Flushes and closes; false if anything failed since opening (full disk shows up here too).
    // A file that was not written completely is removed, so no truncated file looks valid.
    bool close();
    const std::string& error() const { return m_error; }

    // fopen with a UTF-8 path; null and errno set on failure.
    static std::FILE* open(const std::string& utf8Path, const char* mode);
    static bool remove(const std::string& utf8Path);

private:
    void fail(const char* what);

    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_error;
};
