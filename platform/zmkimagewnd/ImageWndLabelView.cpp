#include "ImageWndLabelView.h"

ImageWndLabelView::ImageWndLabelView(QWidget* parent) : ZMKImageView(parent) {}

void ImageWndLabelView::setRangeImage(const NuvRangeImage& range) {
    m_range = range.clone();
    viewport()->update();
}

void ImageWndLabelView::clearRangeImage() {
    m_range = NuvRangeImage();
    viewport()->update();
}

QString ImageWndLabelView::readoutText(int x, int y) const {
    const QSize shown = imageSize();
    if (!m_xyz || m_range.isEmpty() || shown.isEmpty()) return ZMKImageView::readoutText(x, y);
    // The colour image normally has the range image's size; scale in case it was resampled.
    const int point = static_cast<int>(static_cast<qint64>(x) * m_range.width() / shown.width());
    const int line = static_cast<int>(static_cast<qint64>(y) * m_range.height() / shown.height());
    if (point < 0 || line < 0 || point >= m_range.width() || line >= m_range.height()) return QString();
    const double wx = m_range.xOffset() + point * m_range.xInterval();
    const double wy = m_range.yOffset() + line * m_range.yInterval();
    const qint64 sample = m_range.sample(line, point);
    // A zero sample is the sensor's "no measurement".
    const QString z = sample == 0
                          ? tr("invalid")
                          : QString::number(m_range.toMillimetres(static_cast<double>(sample)), 'f', 3);
    return tr("X: %1  Y: %2  Z: %3").arg(wx, 0, 'f', 3).arg(wy, 0, 'f', 3).arg(z);
}
