#include "Nuv3DFileOperation.h"

#include <algorithm>
#include <cstdio>
#include <opencv2/core.hpp>

#include "NuvFileWriter.h"
#include "NuvJxrFile.h"
#include "NuvPointCloudFile.h"
#include "NuvRangeImageFile.h"

namespace NUVMV {
namespace {
std::string lowerSuffix(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string s = path.substr(dot + 1);
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Runs a writer; an exception from a library below (allocation, OpenCV) becomes a write failure.
template <typename Write>
int guarded(Write write, std::string* reason) {
    try {
        return write();
    } catch (const std::exception& e) {
        *reason = e.what();
        return Nuv3DFileOperation::ErrWrite;
    }
}
}  // namespace

int Nuv3DFileOperation::fail(int status, const std::string& reason, const std::string& path) {
    m_lastError = reason;
    std::fprintf(stderr, "Nuv3DFileOperation: %s, path = %s\n", reason.c_str(), path.c_str());
    return status;
}

int Nuv3DFileOperation::checkRequest(const std::string& path, int layoutVersion) {
    m_lastError.clear();
    if (path.empty()) return fail(ErrArgument, "empty path", path);
    if (layoutVersion != kLayoutVersion)
        return fail(ErrArgument, "unknown layout version " + std::to_string(layoutVersion), path);
    return Ok;
}

int Nuv3DFileOperation::closeFile(NuvFileWriter& file, std::string* reason) {
    if (!file.isOpen()) {
        *reason = file.error();
        return ErrOpen;
    }
    if (!file.close()) {
        *reason = file.error();
        return ErrWrite;
    }
    return Ok;
}

int Nuv3DFileOperation::Save(NuvRangeImage& image, NuvVar& path, bool compressed, int layoutVersion) {
    const std::string& p = path.toString();
    if (const int status = checkRequest(p, layoutVersion)) return status;
    if (image.isEmpty() || image.TypeCode() == 0) return fail(ErrArgument, "empty range image", p);
    if (compressed) return fail(ErrArgument, "compressed range images are not supported", p);
    const std::string suffix = lowerSuffix(p);
    std::string reason;
    const int status = guarded(
        [&] {
            if (suffix == "tif" || suffix == "tiff") return NuvRangeImageFile::writeTiff(image, p, &reason);
            if (suffix == "csv") return NuvRangeImageFile::writeHeightCsv(image, p, &reason);
            if (suffix == "srt" || suffix == "ecd" || suffix == "mri")
                return NuvRangeImageFile::writeLayout(image, p, &reason);
            if (suffix == "jxr") return NuvJxrFile::write(image, p, &reason);
            reason = "unknown range-image format \"" + suffix + "\"";
            return int(ErrFormat);
        },
        &reason);
    return status == Ok ? Ok : fail(status, reason, p);
}

int Nuv3DFileOperation::Save(NuvPointCloud& cloud, NuvVar& path, bool ascii, bool withIntensity,
                             int layoutVersion) {
    const std::string& p = path.toString();
    if (const int status = checkRequest(p, layoutVersion)) return status;
    if (withIntensity) return fail(ErrArgument, "intensity fields are not supported", p);
    const std::string suffix = lowerSuffix(p);
    std::string reason;
    const int status = guarded(
        [&] {
            if (suffix == "pcd") return NuvPointCloudFile::writePcd(cloud, p, ascii, &reason);
            if (suffix == "ply") return NuvPointCloudFile::writePly(cloud, p, ascii, &reason);
            if (suffix == "obj") return NuvPointCloudFile::writeObj(cloud, p, &reason);
            reason = "unknown point-cloud format \"" + suffix + "\"";
            return int(ErrFormat);
        },
        &reason);
    return status == Ok ? Ok : fail(status, reason, p);
}

int Nuv3DFileOperation::Load(NuvRangeImage* image, NuvVar& path) {
    const std::string& p = path.toString();
    m_lastError.clear();
    if (image == nullptr) return fail(ErrArgument, "no image to load into", p);
    const std::string suffix = lowerSuffix(p);
    if (suffix != "srt" && suffix != "ecd" && suffix != "mri")
        return fail(ErrFormat, "only our own range-image layout can be loaded", p);
    std::string reason;
    int status = ErrRead;
    try {
        status = NuvRangeImageFile::readLayout(image, p, &reason);
    } catch (const std::exception& e) {  // a file larger than the memory left
        reason = e.what();
    }
    return status == Ok ? Ok : fail(status, reason, p);
}

}  // namespace NUVMV
