// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QString>

// The sub-folder a camera's runs are saved into, made from its name. Camera names come from the
// business layer and, for GenICam devices, from the network, so the name is made into one
// harmless folder name that always stays inside the save folder.
class CameraFolderName {
public:
    // Longest folder name in UTF-8 bytes.
    static constexpr int kMaxBytes = 64;

    // Path separators and characters no file system takes become "_"; control and format
    // characters, ".." and leading dots and spaces go, as do trailing dots and spaces (dropped
    // by Windows); device names ("CON", "LPT1") get a leading "_". Empty results become "camera".
    static QString fromCameraName(const QString& name);
};
