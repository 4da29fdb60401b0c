// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstdint>
#include <string>

#include "NuvPointCloud.h"
#include "NuvRangeImage.h"
#include "NuvVar.h"

class NuvFileWriter;

namespace NUVMV {

// Writes range images and point clouds; the format follows the path's suffix (case-insensitive).
// Paths are UTF-8. Every call returns 0 on success or one of the negative Status values, and on
// failure keeps the reason for lastError() and logs nothing: the caller reports it. Never throws. Files are
// written under a temporary name and renamed when complete, so a failed save leaves no file; an existing file
// is never replaced: the new one takes the next free name ("scan_1.tif", see NuvFileWriter),
// which savedPath() tells.
//
// Range images, Save(NuvRangeImage&, ...):
//   ".tif"/".tiff"  uncompressed single-channel TIFF of unsigned integer samples (SampleFormat 1),
//                   16-bit or 32-bit as the image's samples; 64-bit floating images are refused.
//                   16-bit: the raw samples as they are. 32-bit: the height part of each sample,
//                   its low 21 bits (sample & 0x1FFFFF); the flag bits above are cleared, so a
//                   reader needs no mask. In both, 0 is a point without height and any other
//                   sample s is the height (s + heightOffset) * heightScale millimetres. The scale
//                   information is in the ImageDescription tag as "NuvRangeImage heightScale=..
//                   heightOffset=.. xInterval=.. xOffset=.. yInterval=.. yOffset=..", followed by
//                   the comment lines (setComment); DateTime (setDateTime) and Software
//                   (kSoftware) tags.
//                   Written through libtiff (NuvTiffFile): BigTIFF when the file would pass 4 GiB.
//   ".csv"          heights in millimetres: one line per row, values separated by ",",
//                   formatted as NuvNumberFormat::formatG10, "nan" for invalid samples, rows end
//                   with the platform's text line end.
//   ".srt", ".ecd", ".mri"  our own little-endian layout, read back bit-exactly by Load:
//                   offset 0  char[8]  magic "NUVRANGE"
//                          8  uint32   layout version (2)
//                         12  uint32   type code (2, 4 or 6, see NuvRangeImage)
//                         16  uint32   width
//                         20  uint32   height
//                         24  float64[6] heightScale, heightOffset, xInterval, xOffset,
//                                    yInterval, yOffset (the SetInfo order)
//                         72  samples, row-major, width * height * bytes per sample
//   ".jxr"          lossless JPEG XR 16-bit grey through libjxr; a build without libjxr fails
//                   with ErrUnavailable. JPEG XR has no lossless 32-bit integer grey: 32-bit and
//                   64-bit images are refused with ErrFormat (save those as ".tif" or ".srt").
// Point clouds, Save(NuvPointCloud&, ...):
//   ".pcd"  PCD v0.7, FIELDS x y z as 32-bit floats, WIDTH = POINTS = count, HEIGHT 1,
//           VIEWPOINT 0 0 0 1 0 0 0, DATA binary (or ascii); each comment line as a "# " line
//           after the first.
//   ".ply"  PLY 1.0 binary_little_endian (or ascii), element vertex with float x, y, z; each
//           comment line as a "comment " line after "comment millimetres".
//   ".obj"  Wavefront OBJ, one "v x y z" line per point, then "p" point elements naming them
//           (up to 1000 indices a line).
class Nuv3DFileOperation {
public:
    enum Status : int {
        Ok = 0,
        ErrArgument = -1,     // empty data, empty path, unsupported option value
        ErrFormat = -2,       // suffix not known, or the data's type cannot go into that format
        ErrOpen = -3,         // file cannot be created (missing folder, no permission)
        ErrWrite = -4,        // writing or closing failed (disk full, file size limit)
        ErrRead = -5,         // Load: file missing, truncated or not our layout
        ErrUnavailable = -6,  // the codec for the format is not available in this build
    };
    // Layout version of the files written; the only one there is.
    static constexpr int kLayoutVersion = 2;
    // The Software tag of the TIFF files written.
    static constexpr const char* kSoftware = "NuvViewer";

    Nuv3DFileOperation() = default;

    // compressed must be false (no format here is written compressed); layoutVersion must be
    // kLayoutVersion.
    int Save(NuvRangeImage& image, NuvVar& path, bool compressed = false, int layoutVersion = kLayoutVersion);
    // ascii writes PCD/PLY as text instead of binary (OBJ is always text); withIntensity must be
    // false (no intensity field is written); layoutVersion must be kLayoutVersion.
    int Save(NuvPointCloud& cloud, NuvVar& path, bool ascii = false, bool withIntensity = false,
             int layoutVersion = kLayoutVersion);
    // Reads a file of our own layout (".srt", ".ecd", ".mri") into image.
    int Load(NuvRangeImage* image, NuvVar& path);

    // Lines ("key=value", separated by '\n') the next saves carry where the format has room for
    // text: the TIFF's ImageDescription, PCD and PLY comments, OBJ "#" lines. Empty for none.
    void setComment(const std::string& lines) { m_comment = lines; }
    // The time of the data (seconds since 1970) for the TIFF's DateTime tag; none when not set.
    void setDateTime(int64_t secondsSinceEpoch) { m_dateTime = secondsSinceEpoch; }

    // Reason of the last failure of this object; empty after a success.
    const std::string& lastError() const { return m_lastError; }
    // The name the last successful Save gave its file (UTF-8); empty after a failure.
    const std::string& savedPath() const { return m_savedPath; }

    // Closes a file the writers made: Ok, ErrOpen if it never opened, ErrWrite if writing,
    // closing or naming failed; the system's reason in *reason, the file's name in *savedPath.
    static int closeFile(NuvFileWriter& file, std::string* reason, std::string* savedPath);

private:
    int checkRequest(const std::string& path, int layoutVersion);
    int fail(int status, const std::string& reason, const std::string& path);

    std::string m_lastError;
    std::string m_savedPath;
    std::string m_comment;
    int64_t m_dateTime = -1;
};

}  // namespace NUVMV
