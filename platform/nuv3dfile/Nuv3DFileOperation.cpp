#include "Nuv3DFileOperation.h"

#include <algorithm>
#include <cstdio>
#include <opencv2/core.hpp>

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
}  // namespace

int Nuv3DFileOperation::fail(int status, const std::string& reason, const std::string& path) {
    m_lastError = reason;
    std::fprintf(stderr, "Nuv3DFileOperation: %s, path = %s\n", reason.c_str(), path.c_str());
    return status;
}

int Nuv3DFileOperation::Save(NuvRangeImage& image, NuvVar& path, bool compressed, int layoutVersion) {
    const std::string& p = path.toString();
    m_lastError.clear();
    if (image.isEmpty() || image.TypeCode() == 0) return fail(ErrArgument, "empty range image", p);
    if (p.empty()) return fail(ErrArgument, "empty path", p);
    if (compressed) return fail(ErrArgument, "compressed range images are not supported", p);
    if (layoutVersion != kLayoutVersion)
        return fail(ErrArgument, "unknown layout version " + std::to_string(layoutVersion), p);
    const std::string suffix = lowerSuffix(p);
    std::string reason;
    int status = ErrFormat;
    try {
        if (suffix == "tif" || suffix == "tiff") {
            status = NuvRangeImageFile::writeTiff(image, p, &reason);
        } else if (suffix == "csv") {
            status = NuvRangeImageFile::writeHeightCsv(image, p, &reason);
        } else if (suffix == "srt" || suffix == "ecd" || suffix == "mri") {
            status = NuvRangeImageFile::writeLayout(image, p, &reason);
        } else if (suffix == "jxr") {
            status = NuvJxrFile::write(image, p, &reason);
        } else {
            reason = "unknown range-image format \"" + suffix + "\"";
        }
    } catch (const std::exception& e) {
        status = ErrWrite;
        reason = e.what();
    }
    return status == Ok ? Ok : fail(status, reason, p);
}

int Nuv3DFileOperation::Save(NuvPointCloud& cloud, NuvVar& path, bool ascii, bool withIntensity,
                             int layoutVersion) {
    const std::string& p = path.toString();
    m_lastError.clear();
    if (p.empty()) return fail(ErrArgument, "empty path", p);
    if (withIntensity) return fail(ErrArgument, "intensity fields are not supported", p);
    if (layoutVersion != kLayoutVersion)
        return fail(ErrArgument, "unknown layout version " + std::to_string(layoutVersion), p);
    const std::string suffix = lowerSuffix(p);
    std::string reason;
    int status = ErrFormat;
    try {
        if (suffix == "pcd") {
            status = NuvPointCloudFile::writePcd(cloud, p, ascii, &reason);
        } else if (suffix == "ply") {
            status = NuvPointCloudFile::writePly(cloud, p, ascii, &reason);
        } else if (suffix == "obj") {
            status = NuvPointCloudFile::writeObj(cloud, p, &reason);
        } else {
            reason = "unknown point-cloud format \"" + suffix + "\"";
        }
    } catch (const std::exception& e) {
        status = ErrWrite;
        reason = e.what();
    }
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
    const int status = NuvRangeImageFile::readLayout(image, p, &reason);
    return status == Ok ? Ok : fail(status, reason, p);
}

}  // namespace NUVMV
