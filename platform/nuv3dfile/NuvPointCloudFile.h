// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <string>

#include "NuvPointCloud.h"

// Writers of the point-cloud formats of Nuv3DFileOperation. Each returns a Nuv3DFileOperation
// status and, on failure, the reason in *reason; on success the name the file got in
// *savedPath (see NuvFileWriter). `comment`: lines separated by '\n' written as the format's
// comment lines (may be empty).
class NuvPointCloudFile {
public:
    static int writePcd(const NuvPointCloud& cloud, const std::string& path, bool ascii,
                        const std::string& comment, std::string* reason, std::string* savedPath);
    static int writePly(const NuvPointCloud& cloud, const std::string& path, bool ascii,
                        const std::string& comment, std::string* reason, std::string* savedPath);
    static int writeObj(const NuvPointCloud& cloud, const std::string& path, const std::string& comment,
                        std::string* reason, std::string* savedPath);
};
