#pragma once
// Shared helpers for the QtTest suites.
#include <QString>

namespace TestSupport {
// Resets the in-process business layer and replaces every modal run (message boxes, file,
// folder and colour dialogs) with an immediate scripted answer, so no test ever blocks.
void resetEnvironment();
}  // namespace TestSupport
