// SPDX-License-Identifier: Apache-2.0
#include "ScanAxis.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "Nuv3DAxes.h"
#include "ZMKImageView.h"

namespace {
constexpr int kTickLength = 5;
constexpr double kPixelsPerTick = 80.0;
}  // namespace

ScanAxis::ScanAxis(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_orientation(orientation) {
    setObjectName(orientation == Qt::Horizontal ? QStringLiteral("scanAxisX") : QStringLiteral("scanAxisY"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScanAxis::setView(ZMKImageView* view) {
    if (m_viewport) m_viewport->removeEventFilter(this);
    m_view = view;
    m_viewport = view ? view->viewport() : nullptr;
    if (view == nullptr) return;
    // Zoom, scrolling and the view's size all move the picture under the ruler.
    view->viewport()->installEventFilter(this);
    connect(view, &ZMKImageView::zoomChanged, this, qOverload<>(&QWidget::update));
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    update();
}

void ScanAxis::setLength(double length) {
    m_length = std::isfinite(length) && length > 0.0 ? length : 0.0;
    update();
}

bool ScanAxis::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_viewport.data() && (event->type() == QEvent::Resize || event->type() == QEvent::Paint))
        update();
    return QWidget::eventFilter(watched, event);
}

QVector<ScanAxis::Tick> ScanAxis::ticks() const {
    QVector<Tick> out;
    if (!m_view || m_length <= 0.0) return out;
    const QSize image = m_view->imageSize();
    const bool horizontal = m_orientation == Qt::Horizontal;
    const double extent = horizontal ? image.width() : image.height();
    if (extent <= 0.0) return out;
    QWidget* viewport = m_view->viewport();
    const QTransform toViewport = m_view->viewportTransform();
    // Ruler position of a picture coordinate along the ruler.
    const auto rulerPos = [&](double imageCoordinate) {
        const QPointF v =
            toViewport.map(horizontal ? QPointF(imageCoordinate, 0.0) : QPointF(0.0, imageCoordinate));
        const QPointF r = mapFromGlobal(viewport->mapToGlobal(QPoint(0, 0))) + v;
        return horizontal ? r.x() : r.y();
    };
    // The part of the picture on screen, in millimetres.
    const QPointF first = m_view->mapToImage(QPoint(0, 0));
    const QPointF last = m_view->mapToImage(QPoint(viewport->width(), viewport->height()));
    const double lo = std::clamp(horizontal ? first.x() : first.y(), 0.0, extent) / extent * m_length;
    const double hi = std::clamp(horizontal ? last.x() : last.y(), 0.0, extent) / extent * m_length;
    const double pixels = std::abs(rulerPos(hi / m_length * extent) - rulerPos(lo / m_length * extent));
    int count = std::max(2, static_cast<int>(pixels / kPixelsPerTick) + 1);
    // A narrow picture still gets a value at each end, or near it.
    while (count < 6 && Nuv3DAxes::ticks(lo, hi, count).size() < 2)
        ++count;
    const double step = Nuv3DAxes::niceStep(lo, hi, count);
    for (double v : Nuv3DAxes::ticks(lo, hi, count))
        out.append({rulerPos(v / m_length * extent), Nuv3DAxes::label(v, step)});
    return out;
}

QStringList ScanAxis::tickLabels() const {
    QStringList labels;
    for (const Tick& t : ticks())
        labels << t.text;
    return labels;
}

void ScanAxis::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(55, 56, 58));
    painter.setPen(QColor(225, 225, 225));
    QFont font = painter.font();
    font.setPointSizeF(8.0);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const bool horizontal = m_orientation == Qt::Horizontal;
    // The name sits where the ruler starts, clear of the values.
    const QString name = horizontal ? tr("X (mm)") : tr("Y (mm)");
    const QRect nameRect = horizontal ? QRect(width() - metrics.horizontalAdvance(name) - 6, height() - 16,
                                              metrics.horizontalAdvance(name) + 4, 14)
                                      : QRect(0, 2, width(), 14);
    painter.drawText(nameRect, Qt::AlignCenter, name);
    QRect lastText;
    for (const Tick& t : ticks()) {
        const int p = static_cast<int>(std::lround(t.position));
        QRect text;
        if (horizontal) {
            painter.drawLine(p, 0, p, kTickLength);
            const int w = metrics.horizontalAdvance(t.text) + 4;
            // A value at the picture's edge stays whole, beside its tick.
            text = QRect(std::clamp(p - w / 2, 0, std::max(0, width() - w)), kTickLength + 1, w, 14);
        } else {
            painter.drawLine(width() - kTickLength, p, width() - 1, p);
            text = QRect(0, std::clamp(p - 7, 0, std::max(0, height() - 14)), width() - kTickLength - 2, 14);
        }
        // Values never overlap each other or the name.
        if (text.intersects(nameRect) || (!lastText.isNull() && text.intersects(lastText))) continue;
        painter.drawText(text, horizontal ? Qt::AlignCenter : (Qt::AlignRight | Qt::AlignVCenter), t.text);
        lastText = text;
    }
}
