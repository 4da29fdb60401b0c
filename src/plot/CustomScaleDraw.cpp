// SPDX-License-Identifier: Apache-2.0
#include "CustomScaleDraw.h"

#include <QPainter>
#include <QPen>

namespace {
// Keeps the pen width chosen by the scale and only changes the colour.
void useWhitePen(QPainter* painter) {
    QPen pen = painter->pen();
    pen.setColor(Qt::white);
    painter->setPen(pen);
}
}  // namespace

CustomScaleDraw::CustomScaleDraw() = default;

void CustomScaleDraw::drawTick(QPainter* painter, double value, double len) const {
    useWhitePen(painter);
    QwtScaleDraw::drawTick(painter, value, len);
}

void CustomScaleDraw::drawBackbone(QPainter* painter) const {
    useWhitePen(painter);
    QwtScaleDraw::drawBackbone(painter);
}

void CustomScaleDraw::drawLabel(QPainter* painter, double value) const {
    useWhitePen(painter);
    QwtScaleDraw::drawLabel(painter, value);
}
