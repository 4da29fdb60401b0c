#pragma once
#include <QSharedPointer>

// The finish flag is written on the GUI thread and polled by a business-layer thread.
namespace FinishFlag {
inline void set(const QSharedPointer<bool>& flag) {
    if (flag) __atomic_store_n(flag.data(), true, __ATOMIC_RELEASE);
}
inline bool isSet(const QSharedPointer<bool>& flag) {
    return flag && __atomic_load_n(flag.data(), __ATOMIC_ACQUIRE);
}
}  // namespace FinishFlag
