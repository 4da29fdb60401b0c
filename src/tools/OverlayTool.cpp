// SPDX-License-Identifier: Apache-2.0
#include "OverlayTool.h"

#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QMenu>
#include <QPushButton>
#include <QWidgetAction>

#include "CrossConfigWidget.h"
#include "CrossHairWidget.h"
#include "GridConfigWidget.h"
#include "Image2DWnd.h"
#include "ImageWnd.h"
#include "ModalSeam.h"
#include "NuvOverlay.h"
#include "NuvWidgetStyle.h"
#include "ZMKImageView.h"
#include "ZMKImageWnd.h"

namespace {
constexpr double kMinGridGap = 4.0;  // screen pixels between grid lines

void setPen(ZMKImageWnd* d, const QColor& color, int width) {
    d->setPen(static_cast<quint8>(color.red()), static_cast<quint8>(color.green()),
              static_cast<quint8>(color.blue()), static_cast<unsigned>(width));
}
}  // namespace

OverlayTool::OverlayTool(ImageWnd* pane) : QObject(pane), m_pane(pane) {}

OverlayTool::~OverlayTool() {
    delete m_wndCross.data();
}

CrossHairWidget* OverlayTool::windowCross() const {
    return m_wndCross.data();
}

ZMKImageWnd* OverlayTool::display() const {
    return m_view ? m_view->displayWidget() : nullptr;
}

bool OverlayTool::hasImage() const {
    const QSize size = m_pane->imageSize();
    return size.width() > 0 && size.height() > 0;
}

QSize OverlayTool::wndSize() const {
    ZMKImageWnd* d = display();
    QWidget* viewport = d ? d->viewport() : nullptr;
    return viewport ? viewport->size() : QSize();
}

void OverlayTool::attachView(Image2DWnd* view) {
    m_view = view;
    if (view == nullptr) return;
    connect(view->btnGrid, &QPushButton::clicked, this, &OverlayTool::onGridButtonClicked);
    connect(view->btnGridConfig, &QPushButton::clicked, this, &OverlayTool::onGridConfigButtonClicked);
    connect(view->btnCross, &QPushButton::clicked, this, &OverlayTool::onCrossButtonClicked);
    connect(view->btnCrossConfig, &QPushButton::clicked, this, &OverlayTool::onCrossConfigButtonClicked);
    ZMKImageWnd* d = view->displayWidget();
    if (auto* imageView = qobject_cast<ZMKImageView*>(d ? d->widget() : nullptr)) {
        connect(imageView, &ZMKImageView::zoomChanged, this, [this]() {
            if (m_gridId >= 0 && (gridPenWidth() != m_gridPenWidth || gridStep() != m_gridStep)) drawGrid();
        });
    }
}

// Every line at the configured spacing, unless they would be closer than a few screen pixels and fill
// the picture: then every second, fourth... line, still on the same positions.
int OverlayTool::gridStep() const {
    ZMKImageWnd* d = display();
    const double zoom = d ? d->zoomFactor() : 1.0;
    int step = qMax(1, m_grid.spacing);
    while (step * zoom < kMinGridGap && step < (1 << 20))
        step *= 2;
    return step;
}

// The line width is in image pixels like the spacing, so a zoomed-out grid thins with the image
// instead of covering it; it never gets thinner than one screen pixel.
int OverlayTool::gridPenWidth() const {
    ZMKImageWnd* d = display();
    const double zoom = d ? d->zoomFactor() : 1.0;
    return qMax(1, qRound(m_grid.lineWidth * zoom));
}

void OverlayTool::onImageSizeChanged() {
    if (m_view == nullptr) return;
    if (m_view->btnGrid->isChecked()) drawGrid();
    if (m_view->btnCross->isChecked()) drawCross();
}

void OverlayTool::reset() {
    ZMKImageWnd* d = display();
    if (d && m_gridId >= 0) d->removeShape(m_gridId);
    m_gridId = -1;
    removeCross();
    if (m_view) {
        m_view->btnGrid->setChecked(false);
        m_view->btnCross->setChecked(false);
    }
}

// ---- grid -----------------------------------------------------------------------------------

void OverlayTool::onGridButtonClicked() {
    if (m_view == nullptr) return;
    if (!hasImage()) {
        m_view->btnGrid->setChecked(false);
        return;
    }
    drawGrid();
}

void OverlayTool::drawGrid() {
    ZMKImageWnd* d = display();
    if (d == nullptr) return;
    if (m_gridId >= 0) d->removeShape(m_gridId);
    m_gridId = -1;
    if (!m_view->btnGrid->isChecked() || !hasImage()) return;
    const QSize size = m_pane->imageSize();
    m_gridStep = gridStep();
    const int step = m_gridStep;
    NuvOverlayPath path;
    for (int x = step; x < size.width(); x += step)
        path.addOverlay(NuvOverlay::line(NuvPoint(x, 0), NuvPoint(x, size.height())));
    for (int y = step; y < size.height(); y += step)
        path.addOverlay(NuvOverlay::line(NuvPoint(0, y), NuvPoint(size.width(), y)));
    m_gridPenWidth = gridPenWidth();
    setPen(d, m_grid.color, m_gridPenWidth);
    m_gridId = d->displayOverlayPath(path, ZMKImageWnd::LayerOverlay);
}

void OverlayTool::onGridConfigButtonClicked() {
    auto* button = qobject_cast<QPushButton*>(sender());
    if (button == nullptr && m_view) button = m_view->btnGridConfig;
    if (button == nullptr) return;
    auto* panel = new GridConfigWidget(m_pane);
    panel->setLineWidth(m_grid.lineWidth);
    panel->setLineSpace(m_grid.spacing);
    panel->setColor(m_grid.color);
    connect(panel, &GridConfigWidget::lineWidthChanged, this, [this](int width) {
        m_grid.lineWidth = width;
        drawGrid();
    });
    connect(panel, &GridConfigWidget::lineSpaceChanged, this, [this](int space) {
        m_grid.spacing = space;
        drawGrid();
    });
    connect(panel, &GridConfigWidget::colorChanged, this, [this](const QColor& color) {
        m_grid.color = color;
        drawGrid();
    });
    runPopup(button, panel);
}

// ---- cross ----------------------------------------------------------------------------------

QPoint OverlayTool::crossPos() const {
    const QSize size = m_cross.mode == 0 ? wndSize() : m_pane->imageSize();
    const int x = m_cross.pos.x() >= 0 ? m_cross.pos.x() : size.width() / 2;
    const int y = m_cross.pos.y() >= 0 ? m_cross.pos.y() : size.height() / 2;
    return QPoint(qBound(0, x, qMax(0, size.width())), qBound(0, y, qMax(0, size.height())));
}

void OverlayTool::onCrossButtonClicked() {
    if (m_view == nullptr) return;
    if (!hasImage()) {
        m_view->btnCross->setChecked(false);
        return;
    }
    drawCross();
}

void OverlayTool::removeCross() {
    ZMKImageWnd* d = display();
    if (d && m_crossId >= 0) d->removeShape(m_crossId);
    m_crossId = -1;
    if (m_wndCross) m_wndCross->hide();
}

void OverlayTool::drawCross() {
    removeCross();
    ZMKImageWnd* d = display();
    if (d == nullptr || !m_view->btnCross->isChecked() || !hasImage()) return;
    const QPoint pos = crossPos();
    if (m_cross.mode == 0) {
        QWidget* viewport = d->viewport();
        if (viewport == nullptr) return;
        if (m_wndCross == nullptr) {
            // A sibling above the viewport, not its child: scrolling the viewport moves its children.
            m_wndCross = new CrossHairWidget(viewport->parentWidget());
            viewport->installEventFilter(this);
        }
        m_wndCross->setGeometry(viewport->geometry());
        m_wndCross->setCross(pos, m_cross.width, m_cross.color);
        m_wndCross->raise();
        m_wndCross->show();
        return;
    }
    const QSize size = m_pane->imageSize();
    const double cx = pos.x() + 0.5, cy = pos.y() + 0.5;
    NuvOverlayPath path;
    path.addOverlay(NuvOverlay::line(NuvPoint(0, cy), NuvPoint(size.width(), cy)));
    path.addOverlay(NuvOverlay::line(NuvPoint(cx, 0), NuvPoint(cx, size.height())));
    setPen(d, m_cross.color, m_cross.width);
    m_crossId = d->displayOverlayPath(path, ZMKImageWnd::LayerOverlay);
}

bool OverlayTool::eventFilter(QObject* watched, QEvent* event) {
    ZMKImageWnd* d = display();
    const bool moved = event->type() == QEvent::Resize || event->type() == QEvent::Move;
    if (moved && m_wndCross && d && watched == d->viewport()) {
        m_wndCross->setGeometry(d->viewport()->geometry());
        // A centred cross stays centred; a placed one stays where it was, within the new size.
        m_wndCross->setCross(crossPos(), m_cross.width, m_cross.color);
    }
    return QObject::eventFilter(watched, event);
}

void OverlayTool::onCrossConfigButtonClicked() {
    auto* button = qobject_cast<QPushButton*>(sender());
    if (button == nullptr && m_view) button = m_view->btnCrossConfig;
    if (button == nullptr) return;
    auto* panel = new CrossConfigWidget(m_pane);
    const QSize image = m_pane->imageSize();
    panel->setWndSize(wndSize());
    panel->setImageSize(QSize(qMax(0, image.width()), qMax(0, image.height())));
    panel->setCoordinateMode(m_cross.mode);
    const QSize bounds = m_cross.mode == 0 ? wndSize() : image;
    const QPoint pos = crossPos();
    panel->setPosX(qMax(0, bounds.width()), pos.x());
    panel->setPosY(qMax(0, bounds.height()), pos.y());
    panel->setLineWidth(m_cross.width);
    panel->setColor(m_cross.color);
    connect(panel, &CrossConfigWidget::coordinateModeChanged, this, [this, panel](int mode) {
        // A point means something else in the other system: the cross starts from its centre.
        m_cross.mode = mode;
        m_cross.pos = QPoint(-1, -1);
        const QSize size = mode == 0 ? wndSize() : m_pane->imageSize();
        const QPoint centre = crossPos();
        panel->setPosX(qMax(0, size.width()), centre.x());
        panel->setPosY(qMax(0, size.height()), centre.y());
        drawCross();
    });
    connect(panel, &CrossConfigWidget::posChanged, this, [this](int x, int y) {
        m_cross.pos = QPoint(x, y);
        drawCross();
    });
    connect(panel, &CrossConfigWidget::withChanged, this, [this](int width) {
        m_cross.width = width;
        drawCross();
    });
    connect(panel, &CrossConfigWidget::colorChanged, this, [this](const QColor& color) {
        m_cross.color = color;
        drawCross();
    });
    runPopup(button, panel);
}

// ---- pop-up ---------------------------------------------------------------------------------

QMenu* OverlayTool::makePopup(QPushButton* button, QWidget* panel) {
    auto* menu = new QMenu(button);
    menu->setWindowFlags(menu->windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    if (NuvWidgetStyle::translucentWindows()) {
        menu->setAttribute(Qt::WA_TranslucentBackground);
        auto* shadow = new QGraphicsDropShadowEffect(menu);
        shadow->setOffset(0, 0);
        shadow->setColor(QColor(QStringLiteral("#444444")));
        shadow->setBlurRadius(5.0);
        menu->setGraphicsEffect(shadow);
        menu->setStyleSheet(QStringLiteral("QMenu{padding:5px; margin:6px; border-radius:5px;}"));
    } else {
        // Without a compositor the shadow margin would show black.
        menu->setStyleSheet(QStringLiteral("QMenu{padding:5px; border:1px solid #5a5b5e;}"));
    }
    auto* action = new QWidgetAction(menu);
    action->setDefaultWidget(panel);
    menu->addAction(action);
    return menu;
}

void OverlayTool::runPopup(QPushButton* button, QWidget* panel) {
    const QPointer<QMenu> menu = makePopup(button, panel);
    ModalSeam::execMenu(menu, button->mapToGlobal(QPoint(0, button->height())));
    // The pane (and the button with it) may have gone while the pop-up ran.
    delete menu.data();
}
