// SPDX-License-Identifier: Apache-2.0
#include "HistogramTour.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace {
void sendMouse(QWidget* target, QEvent::Type type, const QPoint& pos, Qt::MouseButtons buttons) {
    QMouseEvent event(type, pos, target->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

QWidget* byClass(QWidget* root, const char* className) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (qstrcmp(w->metaObject()->className(), className) == 0 && w->isVisible()) return w;
    }
    return nullptr;
}

QWidget* histogramDialog() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qstrcmp(w->metaObject()->className(), "GreyHistogramDialog") == 0) return w;
    }
    return nullptr;
}

template <class T>
T* named(QWidget* root, const char* name) {
    return root ? root->findChild<T*>(QLatin1String(name)) : nullptr;
}

// Press, drag and release on the image, in image pixels.
void drag(QGraphicsView* view, const QPointF& from, const QPointF& to) {
    const QPoint a = view->mapFromScene(from), b = view->mapFromScene(to);
    sendMouse(view->viewport(), QEvent::MouseButtonPress, a, Qt::LeftButton);
    for (int i = 1; i <= 4; ++i)
        sendMouse(view->viewport(), QEvent::MouseMove, a + (b - a) * i / 4, Qt::LeftButton);
    sendMouse(view->viewport(), QEvent::MouseButtonRelease, b, Qt::NoButton);
}
}  // namespace

HistogramTour::HistogramTour(QWidget* window, const QString& folder, QObject* parent)
    : QObject(parent), m_window(window), m_folder(folder) {}

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
    // The area-scan camera's pane is the one showing a 2D view.
    QWidget* view2D = byClass(m_window, "Image2DWnd");
    auto* image = qobject_cast<QGraphicsView*>(view2D ? byClass(view2D, "ZMKImageView") : nullptr);
    QWidget* dialog = histogramDialog();
    auto* viewBox = named<QComboBox>(dialog, "comboBoxSelectView");
    if (image == nullptr || (m_step > 0 && viewBox == nullptr)) {
        std::fprintf(stderr, "histogram tour: the area-scan pane or its histogram is missing\n");
        QApplication::exit(1);
        return;
    }
    switch (m_step++) {
        case 0:
            named<QPushButton>(view2D, "btnGreyHistogram")->click();
            // Beside the viewer, so that the image stays in sight.
            if ((dialog = histogramDialog()))
                dialog->move(m_window->frameGeometry().topRight() + QPoint(8, 0));
            break;
        case 1:
            shoot(QStringLiteral("1-histogram.png"));
            viewBox->setCurrentIndex(1);
            drag(image, QPointF(900, 600), QPointF(900, 600));  // a click: the profile row and the marker
            break;
        case 2:
            shoot(QStringLiteral("2-line-profile.png"));
            viewBox->setCurrentIndex(2);
            break;
        case 3:
            shoot(QStringLiteral("3-column-profile.png"));
            viewBox->setCurrentIndex(0);
            named<QPushButton>(dialog, "btnLocalROI")->click();
            drag(image, QPointF(1400, 300), QPointF(1800, 800));
            break;
        case 4:
            shoot(QStringLiteral("4-local-region.png"));
            if (auto* enlarge = named<QPushButton>(view2D, "btnEnlarge")) enlarge->click();
            break;
        case 5:
            shoot(QStringLiteral("5-region-table.png"));
            QApplication::exit(0);
            return;
    }
    QTimer::singleShot(1500, this, &HistogramTour::step);
}
