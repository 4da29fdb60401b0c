// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstdio>
#include <string>

// Binary file written through a UTF-8 path (non-ASCII folder names work on every platform).
// The bytes go to a temporary file in the target's folder, which close() renames to the target
// in one step: a reader never finds a partial file under the target's name, and a failed or
// abandoned file leaves nothing behind. An existing file is never replaced: the new one takes
// the next free name, "name_1.ext", "name_2.ext" and so on (path() tells which).
// Every failure is remembered with the system's reason; the first one is kept in error().
class NuvFileWriter {
public:
    // Creates the temporary file for binary writing.
    explicit NuvFileWriter(const std::string& utf8Path);
    // Removes the temporary file of a writer that was not closed; the target is not created.
    ~NuvFileWriter();
    NuvFileWriter(const NuvFileWriter&) = delete;
    NuvFileWriter& operator=(const NuvFileWriter&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    bool ok() const { return m_error.empty(); }
    // Writes all bytes; false (and error() set) on a short write or after an earlier failure.
    bool write(const void* data, size_t size);
    bool write(const std::string& bytes) { return write(bytes.data(), bytes.size()); }
    // Flushes, closes and renames the file to its final name; false if anything failed since
    // opening (a full disk shows up here too), in which case the temporary file is removed.
    bool close();
    // The final name: after a successful close() the name the file was given, else the target.
    const std::string& path() const { return m_path; }
    const std::string& error() const { return m_error; }

    // fopen with a UTF-8 path; null and errno set on failure.
    static std::FILE* open(const std::string& utf8Path, const char* mode);
    static bool remove(const std::string& utf8Path);
    // "dir/name_<n>.ext" for "dir/name.ext" (a name without a suffix gets "_<n>" at its end).
    static std::string numberedName(const std::string& utf8Path, int n);

    // For a file another library writes by its name (a video encoder): a fresh hidden name in the
    // target's folder that keeps the target's suffix, so that the library still knows the format;
    // the name is taken (an empty file is created). Empty, with `error` set, when it cannot be.
    static std::string reserveTemporary(const std::string& utf8Path, std::string* error);
    // Gives such a finished temporary file its final name by close()'s rules (never replaces; the
    // next free name otherwise), which `finalPath` receives. On failure the temporary file is
    // removed and `error` says why.
    static bool commitTemporary(const std::string& temporary, const std::string& utf8Path,
                                std::string* finalPath, std::string* error);

    // Called by close() after the bytes are complete, before the file gets its final name, with
    // the target path: lets a test hold a writer at that point. Null (the default) for none.
    using CommitHook = void (*)(const std::string& utf8Path);
    static void setCommitHook(CommitHook hook);

private:
    NuvFileWriter() = default;  // for commitTemporary: no file of its own
    void fail(const char* what);
    bool commit();

    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_temporary;
    std::string m_error;
};
