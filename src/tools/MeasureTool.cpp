// SPDX-License-Identifier: Apache-2.0
#include "MeasureTool.h"

#include <QPushButton>

#include "Image2DWnd.h"
#include "ImageWnd.h"
#include "MeasureLengthDialog.h"
#include "MeasureLengthWidget.h"
#include "NuvROI.h"
#include "ZMKImageWnd.h"

namespace {
constexpr double kFirstLineEnd = 400.0;
constexpr int kDialogMargin = 8;
}  // namespace

MeasureTool::MeasureTool(ImageWnd* pane) : QObject(pane), m_pane(pane) {}

MeasureTool::~MeasureTool() {
    const QPointer<MeasureLengthDialog> dialog = m_dialog;
    close();
    // The pane is going: its window goes now, not at the next turn of the event loop.
    delete dialog.data();
}

MeasureLengthDialog* MeasureTool::dialog() const {
    return m_dialog.data();
}

ZMKImageWnd* MeasureTool::display() const {
    return m_view ? m_view->displayWidget() : nullptr;
}

void MeasureTool::attachView(Image2DWnd* view) {
    m_view = view;
    if (view == nullptr) return;
    connect(view->btnMeasure, &QPushButton::clicked, this, &MeasureTool::onMeasureButtonClicked);
    if (ZMKImageWnd* d = view->displayWidget()) {
        connect(d, &ZMKImageWnd::shapeMoved, this, &MeasureTool::onShapeChanged);
        connect(d, &ZMKImageWnd::shapeResized, this, &MeasureTool::onShapeChanged);
    }
}

void MeasureTool::close() {
    // Cleared first: closing the window reports back through finished().
    const QPointer<MeasureLengthDialog> dialog = m_dialog;
    m_dialog = nullptr;
    if (dialog) {
        dialog->close();
        dialog->deleteLater();
    }
    if (ZMKImageWnd* d = display(); d && m_lineId >= 0) d->removeShape(m_lineId);
    m_lineId = -1;
    if (m_view) m_view->btnMeasure->setChecked(false);
}

void MeasureTool::retranslate() {
    if (m_dialog == nullptr) return;
    m_dialog->setTitle(MeasureLengthDialog::tr("Measure Length"));
    m_dialog->panel()->retranslate();
}

void MeasureTool::onMeasureButtonClicked() {
    if (m_view == nullptr) return;
    const QSize size = m_pane->imageSize();
    if (size.width() < 1 || size.height() < 1 || display() == nullptr) {
        m_view->btnMeasure->setChecked(false);
        return;
    }
    if (m_dialog) {
        close();
        return;
    }
    // The first line runs down-right from the origin, shortened to fit a smaller picture.
    m_start = NuvPoint(0, 0);
    m_stop = NuvPoint(qMin(kFirstLineEnd, size.width() - 1.0), qMin(kFirstLineEnd, size.height() - 1.0));
    drawLine();
    m_view->btnMeasure->setChecked(true);
    m_dialog = new MeasureLengthDialog(m_pane);
    m_dialog->setCloseOnButton(false);
    connect(m_dialog.data(), &CBaseDialog::onCloseButtonClicked, this, &MeasureTool::onMeasureButtonClicked);
    // Escape closes the window too.
    connect(m_dialog.data(), &QDialog::finished, this, &MeasureTool::close);
    m_dialog->show();
    // Over the image's top-right corner, clear of the line that starts at the top left.
    QWidget* area = m_view->wdg2DImageWnd;
    const QPoint corner = area->mapToGlobal(QPoint(area->width() - kDialogMargin, kDialogMargin));
    m_dialog->move(corner.x() - m_dialog->frameGeometry().width(), corner.y());
    onShapeChanged(m_lineId);
}

void MeasureTool::drawLine() {
    ZMKImageWnd* d = display();
    if (d == nullptr) return;
    NuvROI line;
    line.GenLine(m_start, m_stop);
    d->setPen(255, 0, 0, 5);
    m_lineId = d->displayROI(line, ZMKImageWnd::LayerShape);
}

// The line was moved or resized: kept when both ends lie on the picture, else put back.
void MeasureTool::onShapeChanged(long id) {
    ZMKImageWnd* d = display();
    if (d == nullptr || id < 0 || id != m_lineId) return;
    NuvROI roi;
    NuvPoint start, stop;
    if (d->getROIShape(m_lineId, &roi) != 0 || !roi.GetLine(&start, &stop)) return;
    const QSize size = m_pane->imageSize();
    const auto inside = [&size](const NuvPoint& p) {
        return p.x >= 0 && p.y >= 0 && p.x < size.width() && p.y < size.height();
    };
    if (inside(start) && inside(stop)) {
        m_start = start;
        m_stop = stop;
    } else {
        d->removeShape(m_lineId);
        drawLine();
    }
    if (m_dialog) m_dialog->panel()->setPoints(m_start, m_stop);
}
