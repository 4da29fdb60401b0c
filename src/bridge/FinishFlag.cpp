// SPDX-License-Identifier: Apache-2.0
#include "FinishFlag.h"

#include <condition_variable>
#include <mutex>

namespace {
// Guards no data (the flags are atomic stores): set() takes it after storing, so a waiter between
// its look at the flag and its sleep cannot miss the wake-up. Few callbacks wait at a time, so one
// condition for all flags is enough.
std::mutex& setMutex() {
    static std::mutex mutex;
    return mutex;
}
std::condition_variable& setCondition() {
    static std::condition_variable condition;
    return condition;
}
}  // namespace

void FinishFlag::set(const QSharedPointer<bool>& flag) {
    if (!flag) return;
    __atomic_store_n(flag.data(), true, __ATOMIC_RELEASE);
    { std::lock_guard<std::mutex> lock(setMutex()); }
    setCondition().notify_all();
}

bool FinishFlag::isSet(const QSharedPointer<bool>& flag) {
    return flag && __atomic_load_n(flag.data(), __ATOMIC_ACQUIRE);
}

bool FinishFlag::waitFor(const QSharedPointer<bool>& flag, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(setMutex());
    return setCondition().wait_for(lock, timeout, [&flag] { return isSet(flag); });
}
