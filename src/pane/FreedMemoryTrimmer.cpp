// SPDX-License-Identifier: Apache-2.0
#include "FreedMemoryTrimmer.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

FreedMemoryTrimmer::FreedMemoryTrimmer(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [] { trimNow(); });
}

void FreedMemoryTrimmer::schedule(int delayMs) {
    m_timer.start(delayMs);
}

bool FreedMemoryTrimmer::trimNow() {
#if defined(__GLIBC__)
    // Walks every arena and returns its whole free pages, not only the top of the main heap.
    return malloc_trim(0) != 0;
#else
    return false;
#endif
}
