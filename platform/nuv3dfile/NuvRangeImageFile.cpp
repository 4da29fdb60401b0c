// SPDX-License-Identifier: Apache-2.0
#include "NuvRangeImageFile.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "Nuv3DFileOperation.h"
#include "NuvFileWriter.h"
#include "NuvNumberFormat.h"
#include "NuvTiffFile.h"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
#error "the range-image layouts are written straight from memory and must be little endian"
#endif

namespace {
using Op = NUVMV::Nuv3DFileOperation;
constexpr char kMagic[8] = {'N', 'U', 'V', 'R', 'A', 'N', 'G', 'E'};
constexpr size_t kLayoutHeaderBytes = 72;
#ifdef _WIN32
constexpr const char* kLineEnd = "\r\n";
#else
constexpr const char* kLineEnd = "\n";
#endif

// Writes the samples row by row (the image may be a view with padded rows).
void writeSamples(NuvFileWriter& file, const NuvRangeImage& image) {
    const cv::Mat& m = image.mat();
    if (m.isContinuous()) {
        file.write(m.data, image.byteSize());
        return;
    }
    for (int r = 0; r < m.rows && file.ok(); ++r)
        file.write(m.ptr(r), m.cols * m.elemSize());
}

void put16(std::vector<uint8_t>* out, uint16_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>* out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v));
    put16(out, static_cast<uint16_t>(v >> 16));
}

std::string scaleText(const NuvRangeImage& image) {
    char text[NuvNumberFormat::kMaxChars];
    std::string s = "NuvRangeImage";
    const std::pair<const char*, double> fields[] = {
        {" heightScale=", image.heightScale()}, {" heightOffset=", image.heightOffset()},
        {" xInterval=", image.xInterval()},     {" xOffset=", image.xOffset()},
        {" yInterval=", image.yInterval()},     {" yOffset=", image.yOffset()}};
    for (const auto& f : fields)
        s.append(f.first).append(text, NuvNumberFormat::formatG10(text, f.second));
    return s;
}

// Formatted heights of every 16-bit sample value, so a large image formats each value once.
class HeightTexts16 {
public:
    explicit HeightTexts16(const NuvRangeImage& image) : m_texts(65536) {
        std::memcpy(m_texts[0].text, "nan", 3);
        m_texts[0].size = 3;
        for (uint32_t v = 1; v < 65536; ++v) {
            Text& t = m_texts[v];
            t.size =
                static_cast<uint8_t>(NuvNumberFormat::formatG10(t.text, image.toMillimetres(v)) - t.text);
        }
    }
    char* append(char* out, uint16_t sample) const {
        const Text& t = m_texts[sample];
        std::memcpy(out, t.text, sizeof(t.text));
        return out + t.size;
    }

private:
    struct Text {
        char text[NuvNumberFormat::kMaxChars - 1];
        uint8_t size;
    };
    std::vector<Text> m_texts;
};

double heightAt(const NuvRangeImage& image, int type, const uint8_t* row, int col) {
    if (type == NuvRangeImage::TypeInt32) {
        uint32_t s;
        std::memcpy(&s, row + col * 4, 4);
        s &= NuvRangeImage::kSample32Mask;
        return s == 0 ? std::nan("") : image.toMillimetres(s);
    }
    double s;
    std::memcpy(&s, row + col * 8, 8);
    return std::isfinite(s) ? image.toMillimetres(s) : std::nan("");
}

}  // namespace

int NuvRangeImageFile::writeTiff(const NuvRangeImage& image, const std::string& path,
                                 const std::string& comment, int64_t dateTime, std::string* reason,
                                 std::string* savedPath) {
    const int type = image.TypeCode();
    if (type != NuvRangeImage::TypeUInt16 && type != NuvRangeImage::TypeInt32) {
        *reason = "TIFF takes 16-bit and 32-bit range images only";
        return Op::ErrFormat;
    }
    NuvTiffFile::Tags tags;
    tags.description = scaleText(image) + (comment.empty() ? "" : "\n" + comment);
    if (dateTime >= 0) tags.dateTime = NuvTiffFile::dateTime(dateTime);
    tags.software = Op::kSoftware;
    // 32-bit samples keep their height part only: a reader needs no mask.
    const uint32_t mask = type == NuvRangeImage::TypeInt32 ? NuvRangeImage::kSample32Mask : 0;
    const int status = NuvTiffFile::write(image.mat(), false, mask, tags, path, reason, savedPath);
    if (status == NuvTiffFile::Ok) return Op::Ok;
    return status == NuvTiffFile::ErrOpen       ? Op::ErrOpen
           : status == NuvTiffFile::ErrArgument ? Op::ErrArgument
                                                : Op::ErrWrite;
}

int NuvRangeImageFile::writeHeightCsv(const NuvRangeImage& image, const std::string& path,
                                      std::string* reason, std::string* savedPath) {
    const int type = image.TypeCode();
    const size_t width = static_cast<size_t>(image.width());
    // 16-bit images larger than the table format through it; the rest value by value.
    std::unique_ptr<HeightTexts16> table;
    if (type == NuvRangeImage::TypeUInt16 && width * static_cast<size_t>(image.height()) > 2 * 65536)
        table = std::make_unique<HeightTexts16>(image);
    constexpr size_t kChunk = 1 << 20;
    const size_t rowBytes = width * NuvNumberFormat::kMaxChars + 4;
    std::vector<char> buffer(kChunk + rowBytes);
    char* out = buffer.data();

    NuvFileWriter file(path);
    for (int r = 0; r < image.height() && file.ok(); ++r) {
        const uint8_t* row = image.mat().ptr(r);
        for (size_t c = 0; c < width; ++c) {
            if (c != 0) *out++ = ',';
            if (table) {
                out = table->append(out, reinterpret_cast<const uint16_t*>(row)[c]);
            } else if (type == NuvRangeImage::TypeUInt16) {
                const uint16_t s = reinterpret_cast<const uint16_t*>(row)[c];
                out = NuvNumberFormat::formatG10(out, s == 0 ? std::nan("") : image.toMillimetres(s));
            } else {
                out = NuvNumberFormat::formatG10(out, heightAt(image, type, row, static_cast<int>(c)));
            }
        }
        for (const char* e = kLineEnd; *e != '\0'; ++e)
            *out++ = *e;
        if (static_cast<size_t>(out - buffer.data()) >= kChunk) {
            file.write(buffer.data(), static_cast<size_t>(out - buffer.data()));
            out = buffer.data();
        }
    }
    file.write(buffer.data(), static_cast<size_t>(out - buffer.data()));
    return Op::closeFile(file, reason, savedPath);
}

int NuvRangeImageFile::writeLayout(const NuvRangeImage& image, const std::string& path, std::string* reason,
                                   std::string* savedPath) {
    std::vector<uint8_t> head(kMagic, kMagic + sizeof(kMagic));
    put32(&head, static_cast<uint32_t>(Op::kLayoutVersion));
    put32(&head, static_cast<uint32_t>(image.TypeCode()));
    put32(&head, static_cast<uint32_t>(image.width()));
    put32(&head, static_cast<uint32_t>(image.height()));
    for (double v : {image.heightScale(), image.heightOffset(), image.xInterval(), image.xOffset(),
                     image.yInterval(), image.yOffset()}) {
        uint8_t bytes[8];
        std::memcpy(bytes, &v, 8);
        head.insert(head.end(), bytes, bytes + 8);
    }
    NuvFileWriter file(path);
    if (file.write(head.data(), head.size())) writeSamples(file, image);
    return Op::closeFile(file, reason, savedPath);
}

int NuvRangeImageFile::readLayout(NuvRangeImage* image, const std::string& path, std::string* reason) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(NuvFileWriter::open(path, "rb"), &std::fclose);
    if (!file) {
        *reason = std::string("cannot open the file: ") + std::strerror(errno);
        return Op::ErrRead;
    }
    uint8_t head[kLayoutHeaderBytes];
    uint32_t fields[4];
    double info[6];
    if (std::fread(head, 1, sizeof(head), file.get()) != sizeof(head) ||
        std::memcmp(head, kMagic, sizeof(kMagic)) != 0) {
        *reason = "not a range-image file of ours";
        return Op::ErrRead;
    }
    std::memcpy(fields, head + 8, sizeof(fields));
    std::memcpy(info, head + 24, sizeof(info));
    if (fields[0] != static_cast<uint32_t>(Op::kLayoutVersion)) {
        *reason = "unknown layout version " + std::to_string(fields[0]);
        return Op::ErrRead;
    }
    // The header must match the file's length before anything is allocated from it. The samples'
    // byte count is derived from the file, never multiplied up from the header, so no header can
    // wrap the check.
    const int type = static_cast<int>(fields[1]);
    const uint64_t sampleBytes = type == NuvRangeImage::TypeUInt16    ? 2
                                 : type == NuvRangeImage::TypeInt32   ? 4
                                 : type == NuvRangeImage::TypeFloat64 ? 8
                                                                      : 0;
    const uint64_t width = fields[2];
    const uint64_t height = fields[3];
    const long dataStart = std::ftell(file.get());
    long fileEnd = -1;
    if (dataStart >= 0 && std::fseek(file.get(), 0, SEEK_END) == 0) fileEnd = std::ftell(file.get());
    const bool seekBack = std::fseek(file.get(), dataStart, SEEK_SET) == 0;
    const uint64_t dataBytes = fileEnd >= dataStart ? uint64_t(fileEnd - dataStart) : 0;
    const uint64_t samples = sampleBytes == 0 ? 0 : dataBytes / sampleBytes;
    const bool sized = seekBack && fileEnd >= dataStart && sampleBytes != 0 && width != 0 && height != 0 &&
                       dataBytes % sampleBytes == 0 && samples % width == 0 && samples / width == height;
    NuvRangeImage loaded;
    if (!sized || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu ||
        !loaded.SetSize(static_cast<int>(width), static_cast<int>(height), type)) {
        *reason = "bad size or sample type in the header, or the file is truncated";
        return Op::ErrRead;
    }
    if (std::fread(loaded.Data(), 1, loaded.byteSize(), file.get()) != loaded.byteSize()) {
        *reason = "the file is truncated";
        return Op::ErrRead;
    }
    loaded.SetInfo(info[0], info[1], info[2], info[3], info[4], info[5]);
    *image = loaded;
    return Op::Ok;
}
