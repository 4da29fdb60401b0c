// SPDX-License-Identifier: Apache-2.0
#include "TestSupport.h"

#include <memory>
#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#endif

#include "ModalSeam.h"
#include "ScriptedModalHandler.h"
#include "ZavizoZoz3Control.h"

namespace TestSupport {
namespace {
#if defined(__SANITIZE_ADDRESS__)
// Mesa's software GL driver is unloaded before the leak check runs, so its one-time allocations
// would be reported without a module name and only a wide suppression could hide them. Kept
// loaded, they carry the driver's name and "leak:swrast_dri" suppresses exactly them.
const bool glDriverKeptLoaded = [] {
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                             "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"}) {
        if (dlopen(path, RTLD_NOW | RTLD_NODELETE)) return true;
    }
    return false;
}();
#endif

// Owned here and by the seam; replaced on every reset so that no answer leaks between cases.
std::shared_ptr<ScriptedModalHandler> scriptedHandler;
}  // namespace

void resetEnvironment() {
    ZavizoZoz3::Control::reset();
    scriptedHandler = std::make_shared<ScriptedModalHandler>();
    ModalSeam::setHandler(scriptedHandler);
}

ScriptedModalHandler& modals() {
    if (!scriptedHandler) {
        resetEnvironment();
    }
    return *scriptedHandler;
}

std::string connectedCamera(ZavizoZoz3::Control::CameraKind kind, const std::string& name) {
    const std::string key = ZavizoZoz3::Control::addCamera(kind, name);
    ZavizoZoz3::Control::setConnected(key, true);
    ZavizoZoz3::Control::setOpen(key, true);
    return key;
}
}  // namespace TestSupport
