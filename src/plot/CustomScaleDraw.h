// SPDX-License-Identifier: Apache-2.0
#pragma once
// Scale draw that paints ticks, backbone and labels in white for the dark plot background.
#include <qwt_scale_draw.h>

class CustomScaleDraw : public QwtScaleDraw {
public:
    CustomScaleDraw();

protected:
    void drawTick(QPainter* painter, double value, double len) const override;
    void drawBackbone(QPainter* painter) const override;
    void drawLabel(QPainter* painter, double value) const override;
};
