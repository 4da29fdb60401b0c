// SPDX-License-Identifier: Apache-2.0
#include "Nuv3DFileOperation.h"

#include <algorithm>
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

// Not logged here: the caller reports the failure once, with lastError() as its reason.
int Nuv3DFileOperation::fail(int status, const std::string& reason, const std::string& /*path*/) {
    m_lastError = reason;
    return status;
}

int Nuv3DFileOperation::checkRequest(const std::string& path, int layoutVersion) {
    m_lastError.clear();
    m_savedPath.clear();
    if (path.empty()) return fail(ErrArgument, "empty path", path);
    if (layoutVersion != kLayoutVersion)
        return fail(ErrArgument, "unknown layout version " + std::to_string(layoutVersion), path);
    return Ok;
}

int Nuv3DFileOperation::closeFile(NuvFileWriter& file, std::string* reason, std::string* savedPath) {
    if (!file.isOpen()) {
        *reason = file.error();
        return ErrOpen;
    }
    if (!file.close()) {
        *reason = file.error();
        return ErrWrite;
    }
    *savedPath = file.path();
    return Ok;
}

int Nuv3DFileOperation::Save(NuvRangeImage& image, NuvVar& path, bool compressed, int layoutVersion) {
    const std::string& p = path.toString();
    if (const int status = checkRequest(p, layoutVersion)) return status;
    if (image.isEmpty() || image.TypeCode() == 0) return fail(ErrArgument, "empty range image", p);
    if (compressed) return fail(ErrArgument, "compressed range images are not supported", p);
    const std::string suffix = lowerSuffix(p);
    std::string reason;
    std::string saved;
    const int status = guarded(
        [&] {
            if (suffix == "tif" || suffix == "tiff")
                return NuvRangeImageFile::writeTiff(image, p, m_comment, m_dateTime, &reason, &saved);
            if (suffix == "csv") return NuvRangeImageFile::writeHeightCsv(image, p, &reason, &saved);
            if (suffix == "srt" || suffix == "ecd" || suffix == "mri")
                return NuvRangeImageFile::writeLayout(image, p, &reason, &saved);
            if (suffix == "jxr") return NuvJxrFile::write(image, p, &reason, &saved);
            reason = "unknown range-image format \"" + suffix + "\"";
            return int(ErrFormat);
        },
        &reason);
    if (status != Ok) return fail(status, reason, p);
    m_savedPath = saved;
    return Ok;
}

int Nuv3DFileOperation::Save(NuvPointCloud& cloud, NuvVar& path, bool ascii, bool withIntensity,
                             int layoutVersion) {
    const std::string& p = path.toString();
    if (const int status = checkRequest(p, layoutVersion)) return status;
    if (withIntensity) return fail(ErrArgument, "intensity fields are not supported", p);
    const std::string suffix = lowerSuffix(p);
    std::string reason;
    std::string saved;
    const int status = guarded(
        [&] {
            if (suffix == "pcd")
                return NuvPointCloudFile::writePcd(cloud, p, ascii, m_comment, &reason, &saved);
            if (suffix == "ply")
                return NuvPointCloudFile::writePly(cloud, p, ascii, m_comment, &reason, &saved);
            if (suffix == "obj") return NuvPointCloudFile::writeObj(cloud, p, m_comment, &reason, &saved);
            reason = "unknown point-cloud format \"" + suffix + "\"";
            return int(ErrFormat);
        },
        &reason);
    if (status != Ok) return fail(status, reason, p);
    m_savedPath = saved;
    return Ok;
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
