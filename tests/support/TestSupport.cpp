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
}  // namespace TestSupport
