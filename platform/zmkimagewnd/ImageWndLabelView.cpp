// SPDX-License-Identifier: Apache-2.0
#include "ImageWndLabelView.h"

#include <cmath>

ImageWndLabelView::ImageWndLabelView(QWidget* parent) : ZMKImageView(parent) {}

void ImageWndLabelView::setRangeImage(const NuvRangeImage& range) {
    auto copy = std::make_shared<const NuvRangeImage>(range.clone());
    ImageWndLabel::Source source;
    source.size = QSize(copy->width(), copy->height());
    source.range = true;
    source.heightScale = copy->heightScale();
    source.heightOffset = copy->heightOffset();
    source.xInterval = copy->xInterval();
    source.xOffset = copy->xOffset();
    source.yInterval = copy->yInterval();
    source.yOffset = copy->yOffset();
    source.sampler = [image = copy.get()](int x, int y, int64_t* sample) {
        *sample = image->sample(y, x);
        return true;
    };
    setSource(source);
    m_ownRange = std::move(copy);
}

void ImageWndLabelView::clearRangeImage() {
    setSource(ImageWndLabel::Source());
}

void ImageWndLabelView::setSource(const ImageWndLabel::Source& source) {
    m_source = source;
    m_ownRange.reset();
    viewport()->update();
}

QString ImageWndLabelView::readoutTextAt(const QPointF& imagePos, int x, int y) const {
    const QSize shown = imageSize();
    // Range images without XYZ read out the colour shown.
    if (!m_source.sampler || shown.isEmpty() || (m_source.range && !m_xyz))
        return ZMKImageView::readoutText(x, y);
    // The shown picture covers the whole image, possibly reduced: scale the exact position.
    const int point = static_cast<int>(std::floor(imagePos.x() * m_source.size.width() / shown.width()));
    const int line = static_cast<int>(std::floor(imagePos.y() * m_source.size.height() / shown.height()));
    if (point < 0 || line < 0 || point >= m_source.size.width() || line >= m_source.size.height())
        return QString();
    int64_t sample = 0;
    const bool has = m_source.sampler(point, line, &sample);
    if (!m_source.range)
        return tr("X: %1  Y: %2  Value: %3")
            .arg(point)
            .arg(line)
            .arg(has ? QString::number(sample) : tr("no data"));
    const double wx = m_source.xOffset + point * m_source.xInterval;
    const double wy = m_source.yOffset + line * m_source.yInterval;
    // A zero sample is the sensor's "no measurement".
    const QString z =
        !has ? tr("no data")
        : sample == 0
            ? tr("invalid")
            : QString::number((static_cast<double>(sample) + m_source.heightOffset) * m_source.heightScale,
                              'f', 3);
    return tr("X: %1  Y: %2  Z: %3").arg(wx, 0, 'f', 3).arg(wy, 0, 'f', 3).arg(z);
}
