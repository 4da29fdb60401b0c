// SPDX-License-Identifier: Apache-2.0
#include "NuvFileWriter.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <filesystem>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// Numbered names tried after the target's own before a save gives up.
constexpr int kMaxNumber = 100000;

// The test hook of setCommitHook: set by a test thread, read by every writer's close().
std::atomic<NuvFileWriter::CommitHook> g_commitHook{nullptr};
// Makes the temporary names of one process unique.
std::atomic<unsigned long long> g_temporaryCount{0};

#ifdef _WIN32
const char* const kSeparators = "/\\";
int processId() {
    return _getpid();
}
std::wstring wide(const std::string& utf8Path) {
    return std::filesystem::u8path(utf8Path).wstring();
}
#else
const char* const kSeparators = "/";
int processId() {
    return static_cast<int>(::getpid());
}
#endif

// The folder part of a path with its separator ("" for a bare name).
std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A hidden name of our own in the target's folder, so the rename stays on one file system.
std::string temporaryName(const std::string& utf8Path, const std::string& suffix) {
    return folderOf(utf8Path) + ".nuvsave-" + std::to_string(processId()) + '-' +
           std::to_string(g_temporaryCount.fetch_add(1)) + ".part" + suffix;
}

// The suffix of a path's name with its dot ("" without one; a leading dot starts a hidden name).
std::string suffixOf(const std::string& utf8Path) {
    const size_t nameStart = utf8Path.find_last_of(kSeparators) + 1;
    const size_t dot = utf8Path.find_last_of('.');
    return dot == std::string::npos || dot <= nameStart ? std::string() : utf8Path.substr(dot);
}

// Renames without ever replacing an existing entry: 0, EEXIST when `to` exists, or the errno.
int renameNoReplace(const std::string& from, const std::string& to) {
#ifdef _WIN32
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), 0)) return 0;
    const DWORD code = GetLastError();
    return code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS ? EEXIST : EIO;
#else
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
#endif
    // A file system without the no-replace rename: a hard link refuses an existing name too.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST || (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)) return errno;
    // Nor hard links (FAT, some network shares): look first, then rename.
    struct stat existing;
    if (::lstat(to.c_str(), &existing) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
#endif
}
}  // namespace

NuvFileWriter::NuvFileWriter(const std::string& utf8Path) : m_path(utf8Path) {
    if (utf8Path.empty() || utf8Path.find_last_of(kSeparators) == utf8Path.size() - 1) {
        errno = ENOENT;
        fail("cannot create the file");
        return;
    }
    for (int attempt = 0; attempt < 100 && m_file == nullptr; ++attempt) {
        m_temporary = temporaryName(utf8Path, std::string());
        m_file = open(m_temporary, "wbx");
        if (m_file == nullptr && errno != EEXIST) break;
    }
    if (m_file == nullptr) fail("cannot create the file");
}

NuvFileWriter::~NuvFileWriter() {
    if (m_file == nullptr) return;
    std::fclose(m_file);
    remove(m_temporary);
}

std::FILE* NuvFileWriter::open(const std::string& utf8Path, const char* mode) {
    if (utf8Path.empty()) {
        errno = ENOENT;
        return nullptr;
    }
#ifdef _WIN32
    // The narrow fopen would read the bytes in the ANSI code page.
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(wide(utf8Path).c_str(), wideMode.c_str());
#else
    return std::fopen(utf8Path.c_str(), mode);
#endif
}

bool NuvFileWriter::remove(const std::string& utf8Path) {
#ifdef _WIN32
    return _wremove(wide(utf8Path).c_str()) == 0;
#else
    return std::remove(utf8Path.c_str()) == 0;
#endif
}

std::string NuvFileWriter::numberedName(const std::string& utf8Path, int n) {
    const size_t nameStart = utf8Path.find_last_of(kSeparators) + 1;  // 0 without a folder
    size_t dot = utf8Path.find_last_of('.');
    // A leading dot starts a hidden name, not a suffix.
    if (dot == std::string::npos || dot <= nameStart) dot = utf8Path.size();
    return utf8Path.substr(0, dot) + '_' + std::to_string(n) + utf8Path.substr(dot);
}

std::string NuvFileWriter::reserveTemporary(const std::string& utf8Path, std::string* error) {
    NuvFileWriter file;
    errno = ENOENT;
    if (!utf8Path.empty() && utf8Path.find_last_of(kSeparators) != utf8Path.size() - 1) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = temporaryName(utf8Path, suffixOf(utf8Path));
            if (std::FILE* reserved = open(name, "wbx")) {
                std::fclose(reserved);
                return name;
            }
            if (errno != EEXIST) break;
        }
    }
    file.fail("cannot create the file");
    if (error) *error = file.error();
    return std::string();
}

bool NuvFileWriter::commitTemporary(const std::string& temporary, const std::string& utf8Path,
                                    std::string* finalPath, std::string* error) {
    NuvFileWriter file;
    file.m_path = utf8Path;
    file.m_temporary = temporary;
    if (const CommitHook hook = g_commitHook.load()) hook(utf8Path);
    if (!file.commit()) {
        remove(temporary);
        if (error) *error = file.error();
        return false;
    }
    if (finalPath) *finalPath = file.path();
    return true;
}

void NuvFileWriter::setCommitHook(CommitHook hook) {
    g_commitHook.store(hook);
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
    if (m_error.empty()) {
        if (const CommitHook hook = g_commitHook.load()) hook(m_path);
        commit();
    }
    if (!m_error.empty()) remove(m_temporary);
    return m_error.empty();
}

bool NuvFileWriter::commit() {
    for (int n = 0; n <= kMaxNumber; ++n) {
        const std::string candidate = n == 0 ? m_path : numberedName(m_path, n);
        const int result = renameNoReplace(m_temporary, candidate);
        if (result == 0) {
            m_path = candidate;
            return true;
        }
        if (result != EEXIST) {
            errno = result;
            fail("the file cannot get its name");
            return false;
        }
    }
    errno = EEXIST;
    fail("no free file name");
    return false;
}

void NuvFileWriter::fail(const char* what) {
    if (!m_error.empty()) return;
    const int code = errno;
    m_error = std::string(what) + (code != 0 ? std::string(": ") + std::strerror(code) : std::string());
}
