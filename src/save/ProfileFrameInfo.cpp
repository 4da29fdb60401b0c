// SPDX-License-Identifier: Apache-2.0
#include "ProfileFrameInfo.h"

ProfileFrameInfo::Values ProfileFrameInfo::values() const {
    std::lock_guard<std::mutex> lock(m_valuesMutex);
    return m_values;
}

void ProfileFrameInfo::setValues(const Values& values) {
    std::lock_guard<std::mutex> lock(m_valuesMutex);
    m_values = values;
}
