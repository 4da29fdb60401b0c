// SPDX-License-Identifier: Apache-2.0
#include "ImageWndLabel.h"

#include <QVBoxLayout>

#include "ImageWndLabelView.h"

ImageWndLabel::ImageWndLabel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

ImageWndLabel::~ImageWndLabel() = default;

int ImageWndLabel::create(bool fitOnFirstImage, int style, bool enableZoom, bool enablePixelInfo) {
    if (m_view != nullptr) destroy(true, true);
    m_view = new ImageWndLabelView(this);
    layout()->addWidget(m_view);
    // Size and show it now: images set right after create() are fitted to the real size.
    m_view->setGeometry(rect());
    m_view->show();
    m_fitOnFirstImage = fitOnFirstImage;
    m_view->setWheelZoomEnabled(enableZoom);
    m_view->setPixelInfoEnabled(enablePixelInfo);
    m_view->setStatusVisible(enablePixelInfo);
    if (fitOnFirstImage) m_view->zoomFitWnd();
    return 0;
}

int ImageWndLabel::destroy(bool releaseImage, bool releaseView) {
    if (m_view == nullptr) return -1;
    if (releaseImage || releaseView) {
        m_view->clearBackground();
        m_view->clearRangeImage();
        m_rangeMode = false;
    }
    if (releaseView) {
        ImageWndLabelView* view = m_view;
        m_view = nullptr;
        if (view->isBusy()) {
            view->hide();
            view->deleteLater();
        } else {
            delete view;
        }
    }
    return 0;
}

int ImageWndLabel::showToolbar(bool show) {
    return m_view == nullptr ? -1 : 0;
}

int ImageWndLabel::showScrollbar(bool show) {
    if (m_view == nullptr) return -1;
    m_view->setScrollBarsVisible(show);
    return 0;
}

int ImageWndLabel::setRangeDisplayXYZ(bool enable) {
    if (m_view == nullptr) return -1;
    m_view->setXYZEnabled(enable);
    return 0;
}

int ImageWndLabel::setRangeImageMode(bool enable, const NuvRangeImage& range) {
    if (m_view == nullptr) return -1;
    if (!enable) {
        m_rangeMode = false;
        m_view->clearRangeImage();
        return 0;
    }
    if (range.isEmpty()) return -1;
    m_rangeMode = true;
    m_view->setRangeImage(range);
    return 0;
}

int ImageWndLabel::setFullResolutionSource(const Source& source) {
    if (m_view == nullptr || (source.sampler && source.size.isEmpty())) return -1;
    m_rangeMode = source.sampler && source.range;
    m_view->setSource(source);
    return 0;
}

int ImageWndLabel::setBackground(const NuvImage* image, int layer) {
    if (m_view == nullptr || image == nullptr || layer != 0) return -1;
    const QSize old = m_view->imageSize();
    if (!m_view->setBackground(*image)) return -1;
    // Frames of the same size keep the user's zoom; a new size starts over.
    if (m_view->imageSize() != old) {
        if (m_fitOnFirstImage) {
            m_view->zoomFitWnd();
        } else {
            m_view->zoomReset();
        }
    }
    return 0;
}

int ImageWndLabel::clearBackground() {
    if (m_view == nullptr) return -1;
    m_view->clearBackground();
    if (m_fitOnFirstImage) m_view->zoomFitWnd();
    return 0;
}

int ImageWndLabel::updateBackgroundRows(const NuvImage* rows, int firstRow) {
    if (m_view == nullptr || rows == nullptr) return -1;
    return m_view->updateBackgroundRows(*rows, firstRow) ? 0 : -1;
}

size_t ImageWndLabel::heldBytes() const {
    return m_view == nullptr ? 0 : m_view->backgroundBytes() + m_view->rangeImageBytes();
}

bool ImageWndLabel::hasBackground() const {
    return m_view != nullptr && m_view->hasBackground();
}

QWidget* ImageWndLabel::viewWidget() const {
    return m_view;
}

QString ImageWndLabel::readoutText() const {
    return m_view == nullptr ? QString() : m_view->statusText();
}
