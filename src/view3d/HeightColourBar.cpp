#include "HeightColourBar.h"

#include <QPainter>

#include "Nuv3DAxes.h"
#include "NuvColorMap.h"

namespace {
constexpr int kStripLeft = 6;
constexpr int kStripWidth = 14;
constexpr int kTop = 22;
constexpr int kBottom = 10;
constexpr int kPixelsPerTick = 36;
}  // namespace

HeightColourBar::HeightColourBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("heightColourBar"));
    setFixedWidth(kWidth);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HeightColourBar::setScale(int colorMap, float minimum, float maximum) {
    m_colorMap = colorMap;
    m_minimum = minimum;
    m_maximum = maximum;
    m_greyLevels = false;
    update();
}

void HeightColourBar::setGreyLevels() {
    setScale(NuvColorMap::Grey, 0.0f, 255.0f);
    m_greyLevels = true;
}

QRect HeightColourBar::stripRect() const {
    return QRect(kStripLeft, kTop, kStripWidth, std::max(1, height() - kTop - kBottom));
}

QVector<double> HeightColourBar::ticks() const {
    const int count = std::max(2, stripRect().height() / kPixelsPerTick + 1);
    return Nuv3DAxes::ticks(m_minimum, m_maximum, count);
}

QStringList HeightColourBar::tickLabels() const {
    const int count = std::max(2, stripRect().height() / kPixelsPerTick + 1);
    const double step = Nuv3DAxes::niceStep(m_minimum, m_maximum, count);
    QStringList labels;
    for (double t : ticks())
        labels << Nuv3DAxes::label(t, step);
    return labels;
}

void HeightColourBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(55, 56, 58));
    const QRect strip = stripRect();
    const NuvColor* table = NuvColorMap::table(m_colorMap);
    if (table == nullptr || !(m_maximum > m_minimum)) return;
    // One line per pixel row, the top row at the maximum.
    for (int y = 0; y < strip.height(); ++y) {
        const double t = strip.height() > 1 ? 1.0 - static_cast<double>(y) / (strip.height() - 1) : 0.5;
        const float h = static_cast<float>(m_minimum + t * (static_cast<double>(m_maximum) - m_minimum));
        const NuvColor c = table[NuvColorMap::index(h, m_minimum, m_maximum)];
        painter.setPen(QColor(c.r, c.g, c.b));
        painter.drawLine(strip.left(), strip.top() + y, strip.right(), strip.top() + y);
    }
    painter.setPen(QColor(225, 225, 225));
    QFont font = painter.font();
    font.setPointSizeF(8.0);
    painter.setFont(font);
    painter.drawText(QRect(0, 2, width(), kTop - 6), Qt::AlignCenter,
                     m_greyLevels ? tr("Grey") : tr("Z (mm)"));
    const QStringList labels = tickLabels();
    const QVector<double> values = ticks();
    const double span = static_cast<double>(m_maximum) - m_minimum;
    for (int i = 0; i < values.size(); ++i) {
        const int y =
            strip.bottom() - static_cast<int>((values.at(i) - m_minimum) / span * (strip.height() - 1));
        // Tick across the strip's edge, so that it does not read as a minus sign.
        painter.drawLine(strip.right() - 3, y, strip.right(), y);
        painter.drawText(QRect(strip.right() + 5, y - 8, width() - strip.right() - 5, 16),
                         Qt::AlignLeft | Qt::AlignVCenter, labels.at(i));
    }
}
