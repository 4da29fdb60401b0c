#include "TestSupport.h"

#include <memory>

#include "ModalSeam.h"
#include "ScriptedModalHandler.h"
#include "ZavizoZoz3Control.h"

namespace TestSupport {
namespace {
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
