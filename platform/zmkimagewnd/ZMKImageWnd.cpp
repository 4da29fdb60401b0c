// SPDX-License-Identifier: Apache-2.0
#include "ZMKImageWnd.h"

#include <QPen>
#include <QWidget>
#include <algorithm>

#include "ZMKImageView.h"

namespace {
// Wider cosmetic pens only hide the image.
constexpr unsigned kMaxPenWidth = 100;

int status(bool ok) {
    return ok ? 0 : -1;
}
}  // namespace

ZMKImageWnd::ZMKImageWnd(QObject* parent) : QObject(parent) {}

ZMKImageWnd::~ZMKImageWnd() {
    destory();
}

int ZMKImageWnd::create(qint64 host) {
    auto* parent = reinterpret_cast<QWidget*>(host);
    if (parent == nullptr) return -1;
    destory();
    m_view = new ZMKImageView(parent);
    connect(m_view, &ZMKImageView::mouseClicked, this, &ZMKImageWnd::mouseClicked);
    connect(m_view, &ZMKImageView::shapeClicked, this, &ZMKImageWnd::shapeClicked);
    connect(m_view, &ZMKImageView::shapeMoved, this, &ZMKImageWnd::shapeMoved);
    connect(m_view, &ZMKImageView::shapeResized, this, &ZMKImageWnd::shapeResized);
    connect(m_view, &ZMKImageView::shapeContextMenu, this, &ZMKImageWnd::shapeContextMenu);
    connect(m_view, &ZMKImageView::imgInfo, this, &ZMKImageWnd::imgInfo);
    connect(m_view, &ZMKImageView::displayLevelsChanged, this, &ZMKImageWnd::displayLevelsChanged);
    m_view->setGeometry(parent->rect());
    m_view->show();
    return 0;
}

int ZMKImageWnd::destory() {
    if (m_view.isNull()) return -1;
    ZMKImageView* view = m_view.data();
    m_view.clear();
    view->disconnect(this);
    if (view->isBusy()) {
        // Called from a slot of one of the view's own signals: it is still on the stack.
        view->hide();
        view->deleteLater();
    } else {
        delete view;
    }
    return 0;
}

int ZMKImageWnd::move(int x, int y, int width, int height) {
    if (m_view.isNull() || width < 0 || height < 0) return -1;
    m_view->setGeometry(x, y, width, height);
    return 0;
}

int ZMKImageWnd::showToolbar(bool show) {
    return status(!m_view.isNull());
}

int ZMKImageWnd::showStatusbar(bool show) {
    if (m_view.isNull()) return -1;
    m_view->setStatusVisible(show);
    return 0;
}

int ZMKImageWnd::showScrollbar(bool show) {
    if (m_view.isNull()) return -1;
    m_view->setScrollBarsVisible(show);
    return 0;
}

int ZMKImageWnd::setDataRows(int first, int count) {
    if (m_view.isNull()) return -1;
    m_view->setDataRows(first, count);
    return 0;
}

int ZMKImageWnd::enablePixelVisible(bool enable) {
    if (m_view.isNull()) return -1;
    m_view->setPixelInfoEnabled(enable);
    return 0;
}

int ZMKImageWnd::setBackground(const QImage& image) {
    return status(!m_view.isNull() && m_view->setBackground(image));
}

int ZMKImageWnd::setBackground(const NuvImage& image) {
    return status(!m_view.isNull() && m_view->setBackground(image));
}

int ZMKImageWnd::setDisplayRange(const ZMKDisplayRange& range) {
    return status(!m_view.isNull() && m_view->setDisplayRange(range));
}

ZMKDisplayRange ZMKImageWnd::displayRange() const {
    return m_view.isNull() ? ZMKDisplayRange() : m_view->displayRange();
}

int ZMKImageWnd::getBackground(QImage* image) const {
    return status(!m_view.isNull() && m_view->background(image));
}

int ZMKImageWnd::getBackground(NuvImage* image) const {
    return status(!m_view.isNull() && m_view->background(image));
}

int ZMKImageWnd::clear() {
    if (m_view.isNull()) return -1;
    m_view->clearBackground();
    return 0;
}

int ZMKImageWnd::zoomIn() {
    if (m_view.isNull()) return -1;
    m_view->zoomIn();
    return 0;
}

int ZMKImageWnd::zoomOut() {
    if (m_view.isNull()) return -1;
    m_view->zoomOut();
    return 0;
}

int ZMKImageWnd::zoomReset() {
    if (m_view.isNull()) return -1;
    m_view->zoomReset();
    return 0;
}

int ZMKImageWnd::zoomFitWnd() {
    if (m_view.isNull()) return -1;
    m_view->zoomFitWnd();
    return 0;
}

int ZMKImageWnd::zoom(double factor) {
    return status(!m_view.isNull() && m_view->setZoom(factor));
}

double ZMKImageWnd::zoomFactor() const {
    return m_view.isNull() ? 1.0 : m_view->zoomFactor();
}

int ZMKImageWnd::setPen(quint8 red, quint8 green, quint8 blue, unsigned width) {
    m_penColor = QColor(red, green, blue);
    m_penWidth = static_cast<int>(std::min(width, kMaxPenWidth));
    return 0;
}

int ZMKImageWnd::displayROI(const NuvROI& roi, Layer layer) {
    if (m_view.isNull()) return -1;
    QPen pen(m_penColor, m_penWidth);
    pen.setCosmetic(true);
    return m_view->addShape(roi, static_cast<int>(layer), pen);
}

int ZMKImageWnd::removeShape(int id) {
    return status(!m_view.isNull() && m_view->removeItem(id));
}

int ZMKImageWnd::selectShape(int id) {
    return status(!m_view.isNull() && m_view->selectShape(id));
}

int ZMKImageWnd::setShapeMovable(int id, bool movable) {
    return status(!m_view.isNull() && m_view->setShapeMovable(id, movable));
}

int ZMKImageWnd::setShapeSelectable(int id, bool selectable) {
    return status(!m_view.isNull() && m_view->setShapeSelectable(id, selectable));
}

int ZMKImageWnd::getROIShape(int id, NuvROI* roi) const {
    return status(!m_view.isNull() && m_view->shapeROI(id, roi));
}

int ZMKImageWnd::setShapeLabel(int id, const QString& text, Qt::Alignment alignment) {
    return status(!m_view.isNull() && m_view->setShapeLabel(id, text, alignment));
}

QString ZMKImageWnd::shapeLabel(int id) const {
    return m_view.isNull() ? QString() : m_view->shapeLabel(id);
}

int ZMKImageWnd::drawRect() {
    if (m_view.isNull()) return -1;
    QPen pen(m_penColor, m_penWidth);
    pen.setCosmetic(true);
    m_view->startDrawRect(pen);
    return 0;
}

int ZMKImageWnd::displayOverlayPath(const NuvOverlayPath& path, Layer layer) {
    if (m_view.isNull()) return -1;
    QPen pen(m_penColor, m_penWidth);
    pen.setCosmetic(true);
    return m_view->addOverlay(path, static_cast<int>(layer), pen);
}

int ZMKImageWnd::clearLayer(Layer layer) {
    if (m_view.isNull() || (layer != LayerOverlay && layer != LayerShape)) return -1;
    m_view->clearLayer(static_cast<int>(layer));
    return 0;
}

QWidget* ZMKImageWnd::widget() const {
    return m_view.data();
}

QWidget* ZMKImageWnd::viewport() const {
    return m_view ? m_view->viewport() : nullptr;
}
