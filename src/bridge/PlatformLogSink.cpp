// SPDX-License-Identifier: Apache-2.0
#include "PlatformLogSink.h"

#include <QtGlobal>
#include <cstring>

#include "NuvLogSink.h"

Q_LOGGING_CATEGORY(lcSave, "nuv.save")
Q_LOGGING_CATEGORY(lcView3D, "nuv.view3d")
Q_LOGGING_CATEGORY(lcCorrection, "nuv.correction")
Q_LOGGING_CATEGORY(lcGenICam, "nuv.genicam")
Q_LOGGING_CATEGORY(lcCamera, "nuv.camera")

const QLoggingCategory& PlatformLogSink::categoryOf(const std::string& module) {
    struct Route {
        const char* module;
        const QLoggingCategory& (*category)();
    };
    static const Route kRoutes[] = {
        {"SaveImageTool", lcSave},         {"Nuv3DFileOperation", lcSave},   {"Image3DWnd", lcView3D},
        {"Wnd3DImageTransTool", lcView3D}, {"CorrectionTool", lcCorrection}, {"GenICam", lcGenICam},
    };
    for (const Route& route : kRoutes) {
        if (module == route.module) return route.category();
    }
    return lcCamera();
}

void PlatformLogSink::write(const std::string& module, const std::string& message) {
    qCWarning(categoryOf(module), "%s: %s", module.c_str(), message.c_str());
}

void PlatformLogSink::install() {
    NuvLogSink::install(&PlatformLogSink::write);
}

namespace {
void installAtLoad() {
    PlatformLogSink::install();
}
}  // namespace
Q_CONSTRUCTOR_FUNCTION(installAtLoad)
