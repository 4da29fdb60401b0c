// SPDX-License-Identifier: Apache-2.0
#include "NuvTiffFile.h"

#include <tiffio.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "NuvFileWriter.h"

namespace {
// The largest classic TIFF less a margin for the directory and the strip tables.
constexpr uint64_t kDefaultThreshold = 0xFFFFFFFFull - (uint64_t(1) << 20);
std::atomic<uint64_t> g_threshold{kDefaultThreshold};
// Strips of about this size: few table entries, and a strip never needs a buffer of its own.
constexpr size_t kStripBytes = size_t(1) << 20;

// libtiff's messages about one file go to that file's write (its reason), never to stderr; handlers
// per file, so that writers on several threads and other users of libtiff (OpenCV) do not meet.
int keepMessage(TIFF*, void* reason, const char* module, const char* format, va_list args) {
    auto* text = static_cast<std::string*>(reason);
    if (text->empty()) {
        char message[512];
        std::vsnprintf(message, sizeof message, format, args);
        *text = std::string(module ? module : "libtiff") + ": " + message;
    }
    return 1;  // handled: the global handler is not called
}
int ignoreWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// TIFFOpen with a UTF-8 path and the handlers above.
TIFF* openTiff(const std::string& utf8Path, const char* mode, std::string* reason) {
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                         &TIFFOpenOptionsFree);
    if (!options) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &keepMessage, reason);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &ignoreWarning, nullptr);
#ifdef _WIN32
    const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8Path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(chars, 1)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8Path.c_str(), -1, &wide[0], chars);
    return TIFFOpenWExt(wide.c_str(), mode, options.get());
#else
    return TIFFOpenExt(utf8Path.c_str(), mode, options.get());
#endif
}

bool supported(const cv::Mat& m) {
    return !m.empty() &&
           (m.type() == CV_8UC1 || m.type() == CV_16UC1 || m.type() == CV_32SC1 || m.type() == CV_8UC3);
}

size_t rowBytes(const cv::Mat& m) {
    return static_cast<size_t>(m.cols) * m.elemSize();
}
}  // namespace

void NuvTiffFile::setBigTiffThreshold(uint64_t bytes) {
    g_threshold = bytes == 0 ? kDefaultThreshold : bytes;
}

uint64_t NuvTiffFile::bigTiffThreshold() {
    return g_threshold;
}

bool NuvTiffFile::needsBigTiff(const cv::Mat& image, const Tags& tags) {
    const uint64_t rows = static_cast<uint64_t>(std::max(0, image.rows));
    const uint64_t pixels = rowBytes(image) * rows;
    const uint64_t rowsPerStrip = std::max<uint64_t>(1, kStripBytes / std::max<size_t>(1, rowBytes(image)));
    const uint64_t strips = (rows + rowsPerStrip - 1) / rowsPerStrip;
    const uint64_t overhead = 4096 + tags.description.size() + tags.software.size() + strips * 8;
    return pixels + overhead > g_threshold;
}

std::string NuvTiffFile::dateTime(int64_t secondsSinceEpoch) {
    const std::time_t now = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[20];
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
    return text;
}

std::string NuvTiffFile::description(const std::string& utf8Path) {
    std::string reason;
    TIFF* tiff = openTiff(utf8Path, "r", &reason);
    if (tiff == nullptr) return {};
    const char* text = nullptr;
    std::string result;
    if (TIFFGetField(tiff, TIFFTAG_IMAGEDESCRIPTION, &text) == 1 && text != nullptr) result = text;
    TIFFClose(tiff);
    return result;
}

int NuvTiffFile::write(const cv::Mat& image, bool bgr, uint32_t sampleMask, const Tags& tags,
                       const std::string& utf8Path, std::string* reason, std::string* savedPath) {
    if (!supported(image)) {
        *reason = "TIFF takes 8-bit grey or RGB and 16-bit or 32-bit grey images only";
        return ErrArgument;
    }
    const std::string temporary = NuvFileWriter::reserveTemporary(utf8Path, reason);
    if (temporary.empty()) return ErrOpen;
    reason->clear();
    // "w8" is BigTIFF: 64-bit offsets, so the 4 GiB limit of a classic file does not apply.
    TIFF* tiff = openTiff(temporary, needsBigTiff(image, tags) ? "wl8" : "wl", reason);
    if (tiff == nullptr) {
        if (reason->empty()) *reason = "libtiff cannot open the temporary file";
        NuvFileWriter::remove(temporary);
        return ErrOpen;
    }
    const int channels = image.channels();
    const size_t bytesPerRow = rowBytes(image);
    const uint32_t rowsPerStrip =
        static_cast<uint32_t>(std::max<size_t>(1, std::min<size_t>(image.rows, kStripBytes / bytesPerRow)));
    bool ok =
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.cols)) &&
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.rows)) &&
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(image.elemSize1() * 8)) &&
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(channels)) &&
        // 32-bit samples without a mask are a camera's signed values; masked ones are heights.
        TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT,
                     image.type() == CV_32SC1 && sampleMask == 0 ? SAMPLEFORMAT_INT : SAMPLEFORMAT_UINT) &&
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, channels == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK) &&
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    if (ok && !tags.description.empty())
        ok = TIFFSetField(tiff, TIFFTAG_IMAGEDESCRIPTION, tags.description.c_str());
    if (ok && !tags.dateTime.empty()) ok = TIFFSetField(tiff, TIFFTAG_DATETIME, tags.dateTime.c_str());
    if (ok && !tags.software.empty()) ok = TIFFSetField(tiff, TIFFTAG_SOFTWARE, tags.software.c_str());

    // Strip by strip: straight from the image when its rows lie as the file wants them, else
    // through one strip buffer of our own (the image is shared and only read).
    const bool mask = image.type() == CV_32SC1 && sampleMask != 0;
    const bool direct = image.isContinuous() && !mask && !(channels == 3 && bgr);
    std::vector<uint8_t> strip(direct ? 0 : bytesPerRow * rowsPerStrip);
    for (int first = 0, index = 0; ok && first < image.rows;
         first += static_cast<int>(rowsPerStrip), ++index) {
        const int rows = std::min<int>(static_cast<int>(rowsPerStrip), image.rows - first);
        const size_t bytes = bytesPerRow * static_cast<size_t>(rows);
        const void* data = image.ptr(first);
        if (!direct) {
            for (int r = 0; r < rows; ++r) {
                const uint8_t* src = image.ptr(first + r);
                uint8_t* dst = strip.data() + bytesPerRow * static_cast<size_t>(r);
                if (mask) {
                    const auto* s = reinterpret_cast<const uint32_t*>(src);
                    auto* d = reinterpret_cast<uint32_t*>(dst);
                    for (int c = 0; c < image.cols; ++c)
                        d[c] = s[c] & sampleMask;
                } else if (channels == 3 && bgr) {
                    for (int c = 0; c < image.cols; ++c) {
                        dst[3 * c] = src[3 * c + 2];
                        dst[3 * c + 1] = src[3 * c + 1];
                        dst[3 * c + 2] = src[3 * c];
                    }
                } else {
                    std::copy(src, src + bytesPerRow, dst);
                }
            }
            data = strip.data();
        }
        ok = TIFFWriteEncodedStrip(tiff, static_cast<uint32_t>(index), const_cast<void*>(data),
                                   static_cast<tmsize_t>(bytes)) == static_cast<tmsize_t>(bytes);
    }
    ok = ok && TIFFWriteDirectory(tiff);
    TIFFClose(tiff);  // a full disk may show only here: the file is checked by its size below
    if (ok) {
        std::FILE* check = NuvFileWriter::open(temporary, "rb");
        ok = check != nullptr && std::fseek(check, 0, SEEK_END) == 0 &&
             static_cast<uint64_t>(std::ftell(check)) >= bytesPerRow * static_cast<uint64_t>(image.rows);
        if (check) std::fclose(check);
    }
    if (!ok) {
        if (reason->empty()) *reason = "writing the TIFF failed (disk full?)";
        NuvFileWriter::remove(temporary);
        return ErrWrite;
    }
    std::string error;
    if (!NuvFileWriter::commitTemporary(temporary, utf8Path, savedPath, &error)) {
        *reason = error;
        return ErrWrite;
    }
    return Ok;
}
