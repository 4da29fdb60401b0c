// SPDX-License-Identifier: Apache-2.0
#include "HeightColourBar.h"

#include <qwt_color_map.h>
#include <qwt_interval.h>
#include <qwt_scale_div.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_map.h>
#include <QPainter>
#include <algorithm>

#include "Nuv3DAxes.h"
#include "NuvColorMap.h"

namespace {
constexpr int kTop = 22;  // room for the title
constexpr int kBottom = 10;
constexpr int kStripWidth = 14;
constexpr int kPixelsPerTick = 36;
const QColor kBackground(55, 56, 58);
const QColor kText(225, 225, 225);

// A Qwt colour map that reads NuvColorMap's table, so the bar shows exactly the picture's colours.
class LookupColourMap : public QwtColorMap {
public:
    LookupColourMap(int colorMap, int rows)
        : m_table(NuvColorMap::table(colorMap)), m_rows(std::max(1, rows)) {}
    QRgb rgb(const QwtInterval& interval, double value) const override {
        if (m_table == nullptr || !(interval.width() > 0)) return qRgb(0, 0, 0);
        // Qwt spreads the interval over one row more than it paints, so its last row would miss
        // the lowest colour: stretched back, the top row shows the maximum and the bottom row the
        // minimum, as the ticks beside them say.
        const double f = (value - interval.minValue()) / interval.width();
        const double rows = m_rows;
        const double stretched = m_rows > 1 ? std::clamp((rows * f - 1.0) / (rows - 1.0), 0.0, 1.0) : f;
        const double h = interval.minValue() + stretched * interval.width();
        const NuvColor c =
            m_table[NuvColorMap::index(static_cast<float>(h), static_cast<float>(interval.minValue()),
                                       static_cast<float>(interval.maxValue()))];
        return qRgb(c.r, c.g, c.b);
    }
    unsigned char colorIndex(const QwtInterval&, double) const override { return 0; }  // RGB format only

private:
    const NuvColor* m_table;
    int m_rows;  // pixel rows Qwt paints
};

// Labels with as many decimals as the tick step needs, as the 3D axes write them.
class StepLabelDraw : public QwtScaleDraw {
public:
    void setStep(double step) {
        m_step = step;
        invalidateCache();
    }
    QwtText label(double value) const override { return QwtText(Nuv3DAxes::label(value, m_step)); }

protected:
    // The ticks go across the strip's edge, over the colours: HeightColourBar draws them after
    // the strip. Their length still places the labels.
    void drawTick(QPainter*, double, double) const override {}

private:
    double m_step = 1.0;
};
}  // namespace

HeightColourBar::HeightColourBar(QWidget* parent) : QwtScaleWidget(QwtScaleDraw::RightScale, parent) {
    setObjectName(QStringLiteral("heightColourBar"));
    setFixedWidth(kWidth);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    colours.setColor(QPalette::WindowText, kText);
    colours.setColor(QPalette::Text, kText);
    setPalette(colours);
    setAutoFillBackground(true);
    QFont small = font();
    small.setPointSizeF(8.0);
    setFont(small);
    // The strip at the left edge, the ticks across its right edge, the labels beside them.
    setMargin(6);
    setSpacing(0);
    // Qwt paints the rows at both ends of the scale: the strip's last row is kBottom + 1 from the
    // bottom edge.
    setBorderDist(kTop, kBottom + 1);
    setColorBarEnabled(true);
    setColorBarWidth(kStripWidth);
    auto* draw = new StepLabelDraw;
    draw->enableComponent(QwtAbstractScaleDraw::Backbone, false);
    draw->setTickLength(QwtScaleDiv::MajorTick, 4);
    draw->setSpacing(0);  // the labels start 4 pixels right of the strip
    setScaleDraw(draw);
    updateScale();
}

void HeightColourBar::setScale(int colorMap, float minimum, float maximum) {
    m_colorMap = colorMap;
    m_minimum = minimum;
    m_maximum = maximum;
    m_greyLevels = false;
    updateScale();
}

void HeightColourBar::setGreyLevels() {
    setScale(NuvColorMap::Grey, 0.0f, 255.0f);
    m_greyLevels = true;
    update();
}

QRect HeightColourBar::stripRect() const {
    return QRect(margin(), kTop, kStripWidth, std::max(1, height() - kTop - kBottom));
}

int HeightColourBar::tickCount() const {
    return std::max(2, stripRect().height() / kPixelsPerTick + 1);
}

QStringList HeightColourBar::tickLabels() const {
    const double step = Nuv3DAxes::niceStep(m_minimum, m_maximum, tickCount());
    QStringList labels;
    for (double t : Nuv3DAxes::ticks(m_minimum, m_maximum, tickCount()))
        labels << Nuv3DAxes::label(t, step);
    return labels;
}

void HeightColourBar::updateScale() {
    const int count = tickCount();
    QList<double> majors;
    for (double t : Nuv3DAxes::ticks(m_minimum, m_maximum, count))
        majors << t;
    static_cast<StepLabelDraw*>(scaleDraw())->setStep(Nuv3DAxes::niceStep(m_minimum, m_maximum, count));
    setScaleDiv(QwtScaleDiv(m_minimum, m_maximum, QList<double>(), QList<double>(), majors));
    // An empty range has no colours to show: the strip stays blank.
    const QwtInterval interval(m_minimum, m_maximum);
    setColorMap(m_maximum > m_minimum ? interval : QwtInterval(),
                new LookupColourMap(m_colorMap, stripRect().height()));
    update();
}

void HeightColourBar::resizeEvent(QResizeEvent* event) {
    QwtScaleWidget::resizeEvent(event);
    // The number of ticks follows the strip's length.
    updateScale();
}

void HeightColourBar::paintEvent(QPaintEvent* event) {
    QwtScaleWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(kText);
    if (m_maximum > m_minimum) {
        // Across the strip's edge, so that a tick does not read as a minus sign before its label.
        const QRect strip = stripRect();
        const QwtScaleMap map = scaleDraw()->scaleMap();
        for (double t : scaleDraw()->scaleDiv().ticks(QwtScaleDiv::MajorTick)) {
            const int y = qRound(map.transform(t));
            painter.drawLine(strip.right() - 3, y, strip.right(), y);
        }
    }
    painter.setFont(font());
    painter.drawText(QRect(0, 2, width(), kTop - 6), Qt::AlignCenter,
                     m_greyLevels ? tr("Grey") : tr("Z (mm)"));
}
