// SPDX-License-Identifier: Apache-2.0
#include "NuvPointCloudFile.h"

#include <charconv>

#include "Nuv3DFileOperation.h"
#include "NuvFileWriter.h"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
#error "the binary point-cloud layouts are written straight from memory and must be little endian"
#endif
static_assert(sizeof(NuvPoint3D) == 12, "points are written as three packed 32-bit floats");

namespace {
using Op = NUVMV::Nuv3DFileOperation;

// Text lines "<prefix>x y z\n" in chunks, each float in its shortest exact form.
bool writeTextPoints(NuvFileWriter& file, const NuvPointCloud& cloud, const char* prefix) {
    constexpr size_t kChunk = 1 << 20;
    std::string buffer;
    buffer.reserve(kChunk + 128);
    char text[64];
    for (const NuvPoint3D& p : cloud.points()) {
        buffer += prefix;
        for (int i = 0; i < 3; ++i) {
            const float v = i == 0 ? p.x : (i == 1 ? p.y : p.z);
            buffer.append(text, std::to_chars(text, text + sizeof(text), v).ptr);
            buffer += i < 2 ? ' ' : '\n';
        }
        if (buffer.size() >= kChunk) {
            if (!file.write(buffer)) return false;
            buffer.clear();
        }
    }
    return file.write(buffer);
}

int writeWithHeader(const NuvPointCloud& cloud, const std::string& path, const std::string& header,
                    bool ascii, std::string* reason, std::string* savedPath) {
    NuvFileWriter file(path);
    if (file.write(header)) {
        if (ascii) {
            writeTextPoints(file, cloud, "");
        } else {
            file.write(cloud.points().data(), cloud.size() * sizeof(NuvPoint3D));
        }
    }
    return Op::closeFile(file, reason, savedPath);
}
// Each line of `comment` behind `lead`, one per line; line breaks inside a value cannot occur
// (the lines are split at them), so a comment never becomes a header field.
std::string commentLines(const std::string& comment, const char* lead) {
    std::string out;
    size_t begin = 0;
    while (begin < comment.size()) {
        size_t end = comment.find_first_of("\r\n", begin);
        if (end == std::string::npos) end = comment.size();
        if (end > begin) out.append(lead).append(comment, begin, end - begin).push_back('\n');
        begin = end + 1;
    }
    return out;
}
}  // namespace

int NuvPointCloudFile::writePcd(const NuvPointCloud& cloud, const std::string& path, bool ascii,
                                const std::string& comment, std::string* reason, std::string* savedPath) {
    const std::string count = std::to_string(cloud.size());
    const std::string header = "# .PCD v0.7 - Point Cloud Data file format\n" + commentLines(comment, "# ") +
                               "VERSION 0.7\nFIELDS x y z\n"
                               "SIZE 4 4 4\nTYPE F F F\nCOUNT 1 1 1\nWIDTH " +
                               count + "\nHEIGHT 1\nVIEWPOINT 0 0 0 1 0 0 0\nPOINTS " + count + "\nDATA " +
                               (ascii ? "ascii" : "binary") + "\n";
    return writeWithHeader(cloud, path, header, ascii, reason, savedPath);
}

int NuvPointCloudFile::writePly(const NuvPointCloud& cloud, const std::string& path, bool ascii,
                                const std::string& comment, std::string* reason, std::string* savedPath) {
    const std::string header = std::string("ply\nformat ") + (ascii ? "ascii" : "binary_little_endian") +
                               " 1.0\ncomment millimetres\n" + commentLines(comment, "comment ") +
                               "element vertex " + std::to_string(cloud.size()) +
                               "\nproperty float x\nproperty float y\nproperty float z\nend_header\n";
    return writeWithHeader(cloud, path, header, ascii, reason, savedPath);
}

int NuvPointCloudFile::writeObj(const NuvPointCloud& cloud, const std::string& path,
                                const std::string& comment, std::string* reason, std::string* savedPath) {
    NuvFileWriter file(path);
    if (file.write("# point cloud in millimetres, " + std::to_string(cloud.size()) + " vertices\n" +
                   commentLines(comment, "# ")) &&
        writeTextPoints(file, cloud, "v ")) {
        // Point elements make the vertices geometry for readers that drop unreferenced vertices.
        constexpr size_t kPerLine = 1000;
        std::string line;
        char text[24];
        for (size_t first = 1; first <= cloud.size() && file.ok(); first += kPerLine) {
            line = "p";
            for (size_t i = first; i < first + kPerLine && i <= cloud.size(); ++i) {
                line += ' ';
                line.append(text, std::to_chars(text, text + sizeof(text), i).ptr);
            }
            line += '\n';
            file.write(line);
        }
    }
    return Op::closeFile(file, reason, savedPath);
}
