// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QSharedPointer>
#include <chrono>

// The finish flag is written on the GUI thread and waited for by a business-layer thread: set()
// wakes every waiter at once.
namespace FinishFlag {
void set(const QSharedPointer<bool>& flag);
bool isSet(const QSharedPointer<bool>& flag);
// Blocks until the flag is set or `timeout` has passed; whether it was set.
bool waitFor(const QSharedPointer<bool>& flag, std::chrono::milliseconds timeout);
}  // namespace FinishFlag
