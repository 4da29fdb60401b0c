// SPDX-License-Identifier: Apache-2.0
#pragma once
// Types that travel through queued connections from business-layer threads.
#include <QImage>
#include <QMap>
#include <QMetaType>
#include <QSharedPointer>
#include <QVector>
#include <cstdint>
#include <string>

#include "NuvImage.h"
#include "NuvRangeImage.h"
#include "ZavizoZoz3.h"

typedef int32_t INT32;

Q_DECLARE_METATYPE(ZavizoZoz3::FOCUS_TYPE)
Q_DECLARE_METATYPE(ZavizoZoz3::LAYOUT_TYPE)
Q_DECLARE_METATYPE(QSharedPointer<QImage>)
Q_DECLARE_METATYPE(QSharedPointer<bool>)
Q_DECLARE_METATYPE(QSharedPointer<NuvImage>)
Q_DECLARE_METATYPE(QSharedPointer<char>)
Q_DECLARE_METATYPE(NuvRangeImage*)
Q_DECLARE_METATYPE(std::string)

namespace BridgeMetaTypes {
// Registers every queued argument type once; safe to call repeatedly.
void registerAll();
}  // namespace BridgeMetaTypes
