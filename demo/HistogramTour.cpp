#include "HistogramTour.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "GreyHistogramDialog.h"
#include "GreyHistogramTool.h"
#include "GreyHistogramWidget.h"
#include "HistogramSubFrame.h"
#include "Image2DWnd.h"
#include "ImageWnd.h"
#include "ImageWndManager.h"
#include "NuvViewerImageWnd.h"
#include "ZMKImageView.h"
#include "ZMKImageWnd.h"

namespace {
void sendMouse(QWidget* target, QEvent::Type type, const QPoint& pos, Qt::MouseButtons buttons) {
    QMouseEvent event(type, pos, target->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}
}  // namespace

HistogramTour::HistogramTour(NuvViewerImageWnd* viewer, const QString& cameraKey, const QString& folder,
                             QObject* parent)
    : QObject(parent), m_viewer(viewer), m_cameraKey(cameraKey), m_folder(folder) {}

void HistogramTour::start(int delayMs) {
    QDir().mkpath(m_folder);
    QTimer::singleShot(delayMs, this, &HistogramTour::step);
}

void HistogramTour::shoot(const QString& name) {
    const QString path = QDir(m_folder).filePath(name);
    const bool ok = QGuiApplication::primaryScreen()->grabWindow(0).save(path);
    std::printf("%s %s\n", ok ? "screenshot written to" : "could not write", qPrintable(path));
}

void HistogramTour::step() {
    ImageWnd* pane = m_viewer->manager()->paneOf(m_cameraKey);
    Image2DWnd* view = pane ? pane->view2D() : nullptr;
    if (view == nullptr) {
        std::fprintf(stderr, "no 2D pane for %s\n", qPrintable(m_cameraKey));
        QApplication::exit(1);
        return;
    }
    GreyHistogramTool* tool = pane->histogramTool();
    auto* zmk = qobject_cast<ZMKImageView*>(view->displayWidget()->widget());
    QWidget* viewport = zmk ? zmk->viewport() : nullptr;
    auto child = [tool](const char* name) { return tool->panel()->findChild<QWidget*>(QLatin1String(name)); };
    switch (m_step++) {
        case 0:
            view->btnGreyHistogram->click();
            // Beside the viewer, so that the image stays in sight.
            tool->dialog()->move(pane->window()->frameGeometry().topRight() + QPoint(8, 0));
            break;
        case 1:
            shoot(QStringLiteral("1-histogram.png"));
            qobject_cast<QComboBox*>(child("comboBoxSelectView"))->setCurrentIndex(1);
            if (viewport) {
                const QPoint at = zmk->mapFromImage(QPointF(900, 600));
                sendMouse(viewport, QEvent::MouseButtonPress, at, Qt::LeftButton);
                sendMouse(viewport, QEvent::MouseButtonRelease, at, Qt::NoButton);
            }
            break;
        case 2:
            shoot(QStringLiteral("2-line-profile.png"));
            qobject_cast<QComboBox*>(child("comboBoxSelectView"))->setCurrentIndex(2);
            break;
        case 3:
            shoot(QStringLiteral("3-column-profile.png"));
            qobject_cast<QComboBox*>(child("comboBoxSelectView"))->setCurrentIndex(0);
            qobject_cast<QPushButton*>(child("btnLocalROI"))->click();
            if (viewport) {
                const QPoint from = zmk->mapFromImage(QPointF(1400, 300)),
                             to = zmk->mapFromImage(QPointF(1800, 800));
                sendMouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton);
                for (int i = 1; i <= 4; ++i)
                    sendMouse(viewport, QEvent::MouseMove, from + (to - from) * i / 4, Qt::LeftButton);
                sendMouse(viewport, QEvent::MouseButtonRelease, to, Qt::NoButton);
            }
            break;
        case 4:
            shoot(QStringLiteral("4-local-region.png"));
            if (tool->subFrame()) qobject_cast<QPushButton*>(tool->subFrame()->enlargeButton())->click();
            break;
        case 5:
            shoot(QStringLiteral("5-region-table.png"));
            QApplication::exit(0);
            return;
    }
    QTimer::singleShot(1500, this, &HistogramTour::step);
}
