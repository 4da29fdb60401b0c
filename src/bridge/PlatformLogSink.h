// SPDX-License-Identifier: Apache-2.0
#pragma once
// The viewer's logging categories, one per subsystem, so that a host filters the library's lines
// with QT_LOGGING_RULES or its own message handler; the Qt-free libraries' lines (the business
// layer's VLogError included) reach them through the sink installed here.
#include <QLoggingCategory>
#include <string>

Q_DECLARE_LOGGING_CATEGORY(lcSave)        // nuv.save: file writing and the save worker
Q_DECLARE_LOGGING_CATEGORY(lcView3D)      // nuv.view3d: the profiler view and its frame conversion
Q_DECLARE_LOGGING_CATEGORY(lcCorrection)  // nuv.correction: tilt and height correction
Q_DECLARE_LOGGING_CATEGORY(lcGenICam)     // nuv.genicam: GenICam cameras
Q_DECLARE_LOGGING_CATEGORY(lcCamera)      // nuv.camera: the business layer and its cameras

class PlatformLogSink {
public:
    // The category of the lines of a platform module ("SaveImageTool", "GenICam", ...); modules
    // it does not know log as nuv.camera.
    static const QLoggingCategory& categoryOf(const std::string& module);
    // Makes the platform's lines warnings of their module's category; done when the library
    // loads, so that nothing is ever written past a host's handler.
    static void install();

private:
    static void write(const std::string& module, const std::string& message);
};
