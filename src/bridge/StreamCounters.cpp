// SPDX-License-Identifier: Apache-2.0
#include "StreamCounters.h"

void StreamCounters::reset() {
    m_shown.store(0, std::memory_order_relaxed);
    m_dropped.store(0, std::memory_order_relaxed);
}
