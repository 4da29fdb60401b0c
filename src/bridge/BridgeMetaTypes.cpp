// SPDX-License-Identifier: Apache-2.0
#include "BridgeMetaTypes.h"

#include <QMap>
#include <QVector>

namespace BridgeMetaTypes {
void registerAll() {
    qRegisterMetaType<QSharedPointer<QImage>>("QSharedPointer<QImage>");
    qRegisterMetaType<QSharedPointer<bool>>("QSharedPointer<bool>");
    qRegisterMetaType<QSharedPointer<NuvImage>>("QSharedPointer<NuvImage>");
    qRegisterMetaType<QSharedPointer<char>>("QSharedPointer<char>");
    qRegisterMetaType<QVector<qreal>>("QVector<qreal>");
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>");
    qRegisterMetaType<QMap<int, NuvImage*>>("QMap<int, NuvImage*>");
    qRegisterMetaType<QMap<int, NuvImage*>>("QMap<int,NuvImage*>");
    qRegisterMetaType<size_t>("size_t");
    qRegisterMetaType<ZavizoZoz3::FOCUS_TYPE>("FOCUS_TYPE");
    qRegisterMetaType<ZavizoZoz3::FOCUS_TYPE>("ZavizoZoz3::FOCUS_TYPE");
    qRegisterMetaType<ZavizoZoz3::LAYOUT_TYPE>("LAYOUT_TYPE");
    qRegisterMetaType<ZavizoZoz3::LAYOUT_TYPE>("ZavizoZoz3::LAYOUT_TYPE");
    qRegisterMetaType<INT32*>("INT32*");
    qRegisterMetaType<NuvRangeImage*>("NuvRangeImage*");
    qRegisterMetaType<std::string>("std::string");
}
}  // namespace BridgeMetaTypes
