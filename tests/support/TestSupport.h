// SPDX-License-Identifier: Apache-2.0
#pragma once
// Shared helpers for the QtTest suites.
#include <QObject>
#include <QString>
#include <string>

#include "ZavizoZoz3Control.h"

class ScriptedModalHandler;

namespace TestSupport {
// Resets the in-process business layer and replaces every modal run (message boxes, file,
// folder and colour dialogs) with an immediate scripted answer, so no test ever blocks.
// Message boxes are accepted (first visible button), paths come back empty.
void resetEnvironment();

// The scripted handler the last resetEnvironment() installed: queue answers on it and read
// what was asked. Calls resetEnvironment() first if it never ran.
ScriptedModalHandler& modals();

// Adds a simulated camera that is connected and open, and returns its key.
std::string connectedCamera(ZavizoZoz3::Control::CameraKind kind, const std::string& name);

// A named child (a designer form's widget names), null when there is none.
template <class T>
T* child(QObject* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}
}  // namespace TestSupport
