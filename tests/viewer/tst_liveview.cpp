// SPDX-License-Identifier: Apache-2.0
// What a user sees live: single grab ending by itself, zoom buttons, released panes, the laser
// line on the 2D page, pane selection from every page, pixel read-out, grab buttons without a
// camera and drag-and-drop feedback.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QtTest>
#include <limits>
#include <memory>

#include "DisplayRangeTool.h"
#include "DisplayRangeWidget.h"
#include "HostGrab.h"
#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "ImageWndLabel.h"
#include "PaneDragFeedback.h"
#include "ScriptedModalHandler.h"
#include "StreamHealthMonitor.h"
#include "StreamStall.h"
#include "ViewerHost.h"
#include "ZMKImageWnd.h"
#include "ZMKOverlayItem.h"

namespace Control = ZavizoZoz3::Control;

namespace {
int overlayMarks(ZMKImageWnd* display) {
    auto* view = qobject_cast<QGraphicsView*>(display->widget());
    int marks = 0;
    for (QGraphicsItem* item : view->scene()->items()) {
        if (auto* overlay = dynamic_cast<ZMKOverlayItem*>(item)) marks += overlay->primitiveCount();
    }
    return marks;
}

// A 12-bit frame: a ramp 1000..2995 across, with extremes in two corners that change with `k`.
NuvImage mono12Frame(int k) {
    NuvImage frame(400, 300, NuvPixelFormat::Mono16);
    for (int x = 0; x < 400; ++x)
        frame.mat().col(x).setTo(1000 + x * 5);
    frame.mat()(cv::Rect(0, 0, 3, 3)).setTo(4095 - 700 * k);
    frame.mat()(cv::Rect(397, 297, 3, 3)).setTo(300 * k);
    return frame;
}

QImage greyFrame(int width, int height, int value) {
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(value);
    return image;
}
}  // namespace

class TestLiveView : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::resetEnvironment();
        Control::installPayloadEncoder();
        openViewer(1000, 700);
        TestSupport::answerGrabPresses(m_viewer, this, true);
    }

    void cleanup() { closeViewer(); }

    void singleGrabEndsByItself_data() {
        QTest::addColumn<bool>("profiler");
        QTest::addColumn<int>("imageMode");
        QTest::addColumn<int>("frames");
        QTest::newRow("area-scan frame") << false << 0 << 1;
        QTest::newRow("profiler picture") << true << 0 << 1;
        QTest::newRow("profiler contour") << true << 1 << 1;
        QTest::newRow("profiler scan of 3 batches") << true << 2 << 3;
    }

    void singleGrabEndsByItself() {
        QFETCH(bool, profiler);
        QFETCH(int, imageMode);
        QFETCH(int, frames);
        const std::string key = TestSupport::connectedCamera(
            profiler ? Control::CameraKind::LaserProfiler : Control::CameraKind::AreaScan, "");
        Control::setFrameRate(key, 1000.0);
        ZavizoZoz3::SetCameraNodeValue(key, "AcquisitionLineCount", "300");
        ZavizoZoz3::SetCameraImageMode(key, imageMode, false);
        QCOMPARE(ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_SINGLE_GRAB, "1"), 0);
        QCOMPARE(ZavizoZoz3::StartGrab(key), 0);
        // Not waitIdle(): the stop report waits for this (GUI) thread to take it.
        QTRY_VERIFY(!Control::isGrabbing(key));
        QCOMPARE(Control::framesProduced(key), static_cast<uint64_t>(frames));
        // The request holds for one start: the next start runs until stopped.
        QCOMPARE(ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_SINGLE_GRAB), std::string("0"));
        QCOMPARE(ZavizoZoz3::StartGrab(key), 0);
        QTRY_VERIFY(Control::framesProduced(key) > static_cast<uint64_t>(frames));
        QVERIFY(Control::isGrabbing(key));
        ZavizoZoz3::StopGrab(key);
    }

    void singleGrabReturnsPaneToStopped() {
        QVERIFY(bindCamera(Control::CameraKind::LaserProfiler, ""));
        // Two batches half a second apart: the running state is seen before the scan ends.
        Control::setFrameRate(m_key, 200.0);
        ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionLineCount", "200");
        Image3DWnd* v = manager()->pane(1)->view3D();
        v->btn3DMode->click();
        QVERIFY(v->btnSingleGrab->isEnabled());
        v->btnSingleGrab->click();
        QTRY_VERIFY(v->btn3DStopGrab->isEnabled());
        QTRY_VERIFY(v->btn3DStartGrab->isEnabled() && v->btnSingleGrab->isEnabled());
        QVERIFY(!v->btn3DStopGrab->isEnabled() && v->btn3DMode->isEnabled());
        QCOMPARE(Control::framesProduced(m_key), static_cast<uint64_t>(2));
        QVERIFY(!Control::isGrabbing(m_key));
    }

    void zoomButtonsHaveOneMeaning_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("fit");
        QTest::newRow("2D view 1:1") << 1 << false;
        QTest::newRow("2D view fit") << 1 << true;
        QTest::newRow("profiler 2D page 1:1") << 2 << false;
        QTest::newRow("profiler 2D page fit") << 2 << true;
    }

    void zoomButtonsHaveOneMeaning() {
        QFETCH(int, mode);
        QFETCH(bool, fit);
        QImage frame = greyFrame(3000, 2000, 90);
        ZMKImageWnd* display = showFrame(mode, frame);
        display->zoom(0.5);
        ImageWnd* pane = manager()->pane(1);
        if (mode == 1) {
            (fit ? pane->view2D()->btnZoomFit : pane->view2D()->btnRestore)->click();
        } else {
            (fit ? pane->view3D()->btn3DZoomReset : pane->view3D()->btn3DRestore)->click();
        }
        QCOMPARE(display->zoomFactor() < 0.5, fit);
        if (!fit) QCOMPARE(display->zoomFactor(), 1.0);
    }

    void releasedPaneShowsNoImage_data() { paneModes(); }

    void releasedPaneShowsNoImage() {
        QFETCH(int, mode);
        QVERIFY(bindCamera(Control::CameraKind::AreaScan, ""));
        ImageWnd* pane = manager()->pane(1);
        QImage frame = greyFrame(64, 48, 200);
        showFrame(mode, frame, QVector<qreal>(64, 10.0));
        if (mode == 1) QVERIFY(pane->view2D()->btnSingleSave->isEnabled());
        QImage shown;
        pane->get2DImage(&shown);
        QCOMPARE(shown.size(), frame.size());

        Control::setConnected(m_key, false);
        Control::postDeviceList(1);
        QTRY_COMPARE(pane->imageWndTitle(), QStringLiteral("No Camera"));
        pane->get2DImage(&shown);
        QVERIFY(shown.size() != frame.size());
        if (mode == 1) {
            QVERIFY(!pane->view2D()->btnSingleSave->isEnabled());
        } else {
            QCOMPARE(overlayMarks(pane->view3D()->displayWidget()), 0);
        }
    }

    void laserLineHasOnlyValidPoints() {
        ImageWnd* pane = manager()->pane(1);
        Image3DWnd* v = pane->view3D();
        const qreal nan = std::numeric_limits<qreal>::quiet_NaN();
        QImage picture = greyFrame(6, 50, 0);
        // Valid rows 0, 10 and 49; no point (NaN), rows below the picture and a negative row.
        v->showImageWithProfile(picture, {0, 10, nan, 50, -1, 49, 60});
        QCOMPARE(overlayMarks(v->displayWidget()), 3);
        v->showImageWithProfile(QImage(), {10});
        QCOMPARE(overlayMarks(v->displayWidget()), 0);
        v->showImageWithProfile(picture, {5});
        v->reset();
        QCOMPARE(overlayMarks(v->displayWidget()), 0);
    }

    void pressOnEveryPageSelectsPane_data() {
        QTest::addColumn<int>("page");
        QTest::newRow("3D window") << 2;
        QTest::newRow("range image") << 3;
        QTest::newRow("grey image") << 4;
    }

    void pressOnEveryPageSelectsPane() {
        QFETCH(int, page);
        m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
        Image3DWnd* v = manager()->pane(3)->view3D();
        v->stackedWidget->setCurrentIndex(page);
        QWidget* target = nullptr;
        if (page == 2) {
            // The deepest widget of the 3D window's drawing area (GL view or its stand-in).
            target = v->wdg3DImageWnd->findChild<QWidget*>(QStringLiteral("nuv3DView"));
            if (target == nullptr)
                target = v->wdg3DImageWnd->findChild<QWidget*>(QStringLiteral("nuv3DUnavailable"));
        } else {
            ImageWndLabel* label = page == 3 ? v->rangeLabel() : v->greyLabel();
            auto* view = qobject_cast<QGraphicsView*>(label->viewWidget());
            target = view ? view->viewport() : label->viewWidget();
        }
        QVERIFY(target);
        QCOMPARE(m_viewer->getCurrentWnd(), -1);
        QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(m_viewer->getCurrentWnd(), 3);
    }

    void pixelReadout_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("Mono8") << static_cast<int>(NuvPixelFormat::Mono8) << QColor(200, 200, 200);
        QTest::newRow("Mono16 true value") << static_cast<int>(NuvPixelFormat::Mono16)
                                           << QColor(QRgba64::fromRgba64(40000, 40000, 40000, 65535));
        QTest::newRow("RGB") << static_cast<int>(NuvPixelFormat::RGB8) << QColor(10, 20, 30);
    }

    void pixelReadout() {
        QFETCH(int, format);
        QFETCH(QColor, expected);
        ImageWnd* pane = manager()->pane(1);
        pane->setImageWndMode(1);
        NuvImage image(40, 30, static_cast<uint32_t>(format));
        // The frame holds the expected colour: all 16 bits of it in a 16-bit frame, the top 8 otherwise.
        const int shift = format == static_cast<int>(NuvPixelFormat::Mono16) ? 0 : 8;
        const QRgba64 c = expected.rgba64();
        image.mat().setTo(cv::Scalar(c.red() >> shift, c.green() >> shift, c.blue() >> shift));
        pane->showImage(&image, QVector<qreal>());
        m_viewer->setPixelReadoutVisible(true);
        ZMKImageWnd* display = pane->view2D()->displayWidget();
        QWidget* viewport = display->viewport();
        const QImage before = viewport->grab().toImage();

        QSignalSpy moves(m_viewer, &NuvViewerImageWnd::wndMouseMoveInfo);
        QMouseEvent move(QEvent::MouseMove, QPointF(viewport->width() / 2, viewport->height() / 2),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QCOMPARE(moves.count(), 1);
        QCOMPARE(moves.at(0).at(0).toInt(), 1);
        const QColor color = moves.at(0).at(2).value<QColor>();
        QCOMPARE(color.rgba64(), expected.rgba64());
        QVERIFY(moves.at(0).at(3).toFloat() > 0.0f);
        // The read-out line appears at the bottom of the image.
        const QImage after = viewport->grab().toImage();
        const QPoint bottom(4, after.height() - 4);
        QVERIFY(after.pixel(bottom) != before.pixel(bottom));
    }

    // A deep camera's picture stays put from frame to frame in a new pane (its range is taken once),
    // and the strip offers the display range only while deep frames are shown.
    void deepFramesKeepAStillPicture_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("rangeButton");
        QTest::newRow("Mono12 in 16 bits") << int(NuvPixelFormat::Mono16) << true;
        QTest::newRow("Mono8") << int(NuvPixelFormat::Mono8) << false;
    }

    void deepFramesKeepAStillPicture() {
        QFETCH(int, format);
        QFETCH(bool, rangeButton);
        ImageWnd* pane = manager()->pane(1);
        pane->setImageWndMode(1);
        QWidget* viewport = pane->view2D()->displayWidget()->viewport();
        // The pane's final geometry first: a refit between frames would change the picture too.
        QVERIFY(QTest::qWaitForWindowExposed(m_host));
        QCoreApplication::processEvents();
        QImage first;
        for (int k = 0; k < 4; ++k) {
            NuvImage frame = mono12Frame(k);
            if (format == int(NuvPixelFormat::Mono8)) {
                NuvImage narrow(400, 300, NuvPixelFormat::Mono8);
                frame.mat().convertTo(narrow.mat(), CV_8U, 1.0 / 16);
                frame = narrow;
            }
            pane->showImage(&frame, QVector<qreal>());
            const QImage shot = viewport->grab().toImage();
            // The middle of the picture, away from the changing corners.
            const QImage middle = shot.copy(shot.rect().adjusted(shot.width() / 4, shot.height() / 4,
                                                                 -shot.width() / 4, -shot.height() / 4));
            if (k == 0) first = middle;
            QCOMPARE(middle, first);
        }
        QCOMPARE(pane->view2D()->btnDisplayRange->isVisibleTo(pane), rangeButton);
        // An 8-bit frame after deep ones hides the button again.
        NuvImage narrow(40, 30, NuvPixelFormat::Mono8);
        pane->showImage(&narrow, QVector<qreal>());
        QVERIFY(!pane->view2D()->btnDisplayRange->isVisibleTo(pane));
    }

    // The user sets a fixed range with saturation marking in the pane's panel: the picture follows,
    // the host hears of it, and the read-out keeps the true value.
    void displayRangePanelDrivesThePicture() {
        auto modals = std::make_shared<ScriptedModalHandler>();
        ModalSeam::setHandler(modals);
        ImageWnd* pane = manager()->pane(2);
        pane->setImageWndMode(1);
        NuvImage frame(40, 30, NuvPixelFormat::Mono16);
        frame.mat().colRange(0, 20).setTo(2000);
        frame.mat().colRange(20, 40).setTo(4095);
        pane->showImage(&frame, QVector<qreal>());
        Image2DWnd* view = pane->view2D();
        QVERIFY(view->btnDisplayRange->isVisibleTo(pane));
        QTest::mouseClick(view->btnDisplayRange, Qt::LeftButton);
        DisplayRangeTool* tool = pane->displayRangeTool();
        QTRY_VERIFY(tool->isPanelOpen());
        struct {
            QComboBox* comboBoxMode;
            QSpinBox* spinBoxMin;
            QSpinBox* spinBoxMax;
            QCheckBox* checkBoxSaturation;
            QPushButton* btnSaturationColour;
        } widgets{tool->panel()->findChild<QComboBox*>("comboBoxMode"),
                  tool->panel()->findChild<QSpinBox*>("spinBoxMin"),
                  tool->panel()->findChild<QSpinBox*>("spinBoxMax"),
                  tool->panel()->findChild<QCheckBox*>("checkBoxSaturation"),
                  tool->panel()->findChild<QPushButton*>("btnSaturationColour")};
        auto* form = &widgets;
        QVERIFY(form->comboBoxMode && form->spinBoxMin && form->spinBoxMax && form->checkBoxSaturation &&
                form->btnSaturationColour);
        // Auto once took the frame's levels; the boxes show them.
        QCOMPARE(form->spinBoxMin->value(), 2000);
        QCOMPARE(form->spinBoxMax->value(), 4095);

        QSignalSpy changed(m_viewer, &NuvViewerImageWnd::displayRangeChanged);
        form->comboBoxMode->setCurrentIndex(int(ZMKDisplayRange::Mode::Fixed));
        form->spinBoxMin->setValue(0);
        emit form->spinBoxMin->editingFinished();
        form->spinBoxMax->setValue(4000);
        emit form->spinBoxMax->editingFinished();
        form->checkBoxSaturation->setChecked(true);
        modals->pushColor(QColor(0, 255, 0));
        QTest::mouseClick(form->btnSaturationColour, Qt::LeftButton);
        QVERIFY(changed.count() >= 4);
        QCOMPARE(changed.last().at(0).toInt(), 2);
        const auto reported = changed.last().at(1).value<NuvViewerImageWnd::DisplayRange>();
        QCOMPARE(reported.mode, NuvViewerImageWnd::DisplayRange::Fixed);
        QCOMPARE(reported.maximum, 4000);
        QVERIFY(reported.markSaturated);
        QCOMPARE(reported.saturationColour, QColor(0, 255, 0));
        NuvViewerImageWnd::DisplayRange held;
        QCOMPARE(m_viewer->getDisplayRange(2, &held), 0);
        QCOMPARE(held, reported);

        ZMKImageWnd* display = view->displayWidget();
        auto* gv = qobject_cast<QGraphicsView*>(display->widget());
        const QImage shot = display->viewport()->grab().toImage();
        const auto at = [&](int x) { return shot.pixel(gv->mapFromScene(QPointF(x + 0.5, 15.5))); };
        QCOMPARE(at(10), qRgb(128, 128, 128));  // 2000 of 0..4000
        QCOMPARE(at(30), qRgb(0, 255, 0));      // 4095: saturated
        // A minimum above the maximum is refused: the boxes go back, nothing is reported.
        const int reports = changed.count();
        form->spinBoxMin->setValue(4000);
        emit form->spinBoxMin->editingFinished();
        QCOMPARE(form->spinBoxMin->value(), 0);
        QCOMPARE(changed.count(), reports);

        QSignalSpy moves(m_viewer, &NuvViewerImageWnd::wndMouseMoveInfo);
        QMouseEvent move(QEvent::MouseMove, gv->mapFromScene(QPointF(30.5, 15.5)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(display->viewport(), &move);
        QCOMPARE(moves.count(), 1);
        QCOMPARE(moves.at(0).at(2).value<QColor>().rgba64().red(), quint16(4095));
        tool->closePanel();
        ModalSeam::setHandler(nullptr);
    }

    // What the 2D view shows, reads out and saves (its background) stays the frame as it was handed
    // over, whatever its giver does with its own buffer or frame afterwards.
    void framesOutliveTheirGiver_data() {
        QTest::addColumn<int>("handover");
        QTest::newRow("QImage over the host's buffer, then rewritten") << 0;
        QTest::newRow("NuvImage over a camera buffer, then rewritten") << 1;
        QTest::newRow("NuvImage of its own, then dropped") << 2;
    }

    void framesOutliveTheirGiver() {
        QFETCH(int, handover);
        ImageWnd* pane = manager()->pane(1);
        pane->setImageWndMode(1);
        NuvImage original(64, 48, NuvPixelFormat::Mono8);
        cv::randu(original.mat(), cv::Scalar(0), cv::Scalar(256));
        QByteArray buffer(reinterpret_cast<const char*>(original.data()), 64 * 48);
        auto* bytes = reinterpret_cast<uchar*>(buffer.data());
        if (handover == 0) {
            QImage frame(bytes, 64, 48, 64, QImage::Format_Grayscale8);
            pane->show2DImage(frame, false);
        } else if (handover == 1) {
            NuvImage frame(64, 48, NuvPixelFormat::Mono8, bytes, 64, false);
            pane->showImage(&frame, QVector<qreal>());
        } else {
            auto frame = std::make_unique<NuvImage>(original.clone());
            pane->showImage(frame.get(), QVector<qreal>());
        }
        buffer.fill('\x7f');
        NuvImage shown;
        pane->get2DImage(&shown);
        QCOMPARE(shown.width(), 64);
        QCOMPARE(cv::norm(shown.mat(), original.mat(), cv::NORM_INF), 0.0);
        m_viewer->setPixelReadoutVisible(true);
        QWidget* viewport = pane->view2D()->displayWidget()->viewport();
        QSignalSpy moves(m_viewer, &NuvViewerImageWnd::wndMouseMoveInfo);
        QMouseEvent move(QEvent::MouseMove, QPointF(viewport->width() / 2, viewport->height() / 2),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QCOMPARE(moves.count(), 1);
        const QPoint at = moves.at(0).at(1).toPoint();
        QVERIFY(at.x() >= 0 && at.x() < 64 && at.y() >= 0 && at.y() < 48);
        QCOMPARE(moves.at(0).at(2).value<QColor>().red(), int(original.mat().at<uchar>(at.y(), at.x())));
    }

    // A display slower than its camera: the GUI thread is held while the area-scan camera streams at
    // its top rate. Once free, the pane shows the newest frame at once; of the frames that arrived in
    // the stall it is handed one or two, not each in turn (each queued with its pixels, so memory would
    // grow with the stall); every frame it never showed counts as dropped in its health figures.
    void slowDisplayShowsTheNewestFrame_data() { paneModes(); }

    void slowDisplayShowsTheNewestFrame() {
        QFETCH(int, mode);
        QVERIFY(bindCamera(Control::CameraKind::AreaScan, ""));
        ImageWnd* pane = manager()->pane(1);
        pane->setImageWndMode(mode);
        if (mode == 2) pane->view3D()->btn2DMode->click();
        // Small frames at the camera's top rate, the frame number still in them.
        QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "Width", "272"), 0);
        QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "Height", "40"), 0);
        Control::setFrameRate(m_key, 200.0);
        TestSupport::StreamStall stall;
        StreamHealthMonitor* health = pane->streamHealth();
        QPushButton* start = mode == 1 ? pane->view2D()->btnStartGrab : pane->view3D()->btn3DStartGrab;
        start->click();
        QTRY_VERIFY(health->figures().framesShown > 0);

        const StreamHealthMonitor::Figures before = health->figures();
        const uint64_t sentBefore = stall.frames();
        constexpr uint64_t kStalled = 100;
        QVERIFY(stall.hold(kStalled));
        QCOMPARE(ZavizoZoz3::StopGrab(m_key), 0);
        const uint64_t sent = stall.frames() - sentBefore;
        QVERIFY(sent >= kStalled);

        const auto shownCounter = [pane]() {
            NuvImage shown;
            pane->get2DImage(&shown);
            return TestSupport::frameCounterOf(shown);
        };
        QTRY_COMPARE(shownCounter(), int(stall.lastIndex() & 0xffff));
        QCoreApplication::processEvents();
        const StreamHealthMonitor::Figures after = health->figures();
        const quint64 shown = after.framesShown - before.framesShown;
        const quint64 dropped = after.droppedInViewer - before.droppedInViewer;
        QVERIFY2(shown <= 2, qPrintable(QString("%1 of %2 stale frames shown").arg(shown).arg(sent)));
        // Every frame is shown or counted; one may have waited for the display when the stall began.
        QVERIFY2(shown + dropped >= sent && shown + dropped <= sent + 1,
                 qPrintable(QString("%1 shown, %2 dropped of %3").arg(shown).arg(dropped).arg(sent)));
    }

    void grabButtonsNeedCamera_data() { paneModes(); }

    void grabButtonsNeedCamera() {
        QFETCH(int, mode);
        ImageWnd* pane = manager()->pane(2);
        pane->setImageWndMode(mode);
        const auto startEnabled = [pane]() {
            return pane->view3D() ? pane->view3D()->btn3DStartGrab->isEnabled() &&
                                        pane->view3D()->btnSingleGrab->isEnabled()
                                  : pane->view2D()->btnStartGrab->isEnabled();
        };
        QVERIFY(!startEnabled());
        pane->setCameraName(QStringLiteral("cam"));
        QVERIFY(startEnabled());
        if (Image3DWnd* v = pane->view3D()) {
            pane->onGrabStarted();
            QVERIFY(!v->btn2DMode->isEnabled());
            QVERIFY(v->btn2DMode->toolTip().contains(QStringLiteral("stop the acquisition")));
            pane->onGrabStopped();
            QCOMPARE(v->btn2DMode->toolTip(), QStringLiteral("2D Mode"));
        }
        pane->resetCamera();
        QVERIFY(!startEnabled());
    }

    void dragFeedback() {
        m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
        ImageWnd* source = manager()->pane(1);
        ImageWnd* target = manager()->pane(2);

        PaneDragFeedback feedback(source);
        const QImage image = feedback.dragImage(nullptr).toImage();
        QVERIFY(qMax(image.width(), image.height()) <= PaneDragFeedback::kMaxDragSide);
        QVERIFY(qAlpha(image.pixel(image.width() / 2, image.height() / 2)) < 255);

        QMimeData mime;
        mime.setData(QStringLiteral("WndId"), QByteArray());
        mime.setText(QStringLiteral("1"));
        const auto highlight = [&]() {
            return target->findChild<QWidget*>(QStringLiteral("wdgDropHighlight"));
        };
        QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(highlight() && highlight()->isVisible());
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(target, &leave);
        QVERIFY(!highlight()->isVisible());
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QVERIFY(!highlight()->isVisible());
        QCOMPARE(manager()->cellOf(1), QPoint(0, 1));
    }

    void chineseReachesEveryText_data() {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<bool>("toolTip");
        QTest::addColumn<QString>("english");
        QTest::newRow("3D tool bar") << "btn3DOrthographic" << false << "Orthographic";
        QTest::newRow("3D height colours") << "btn3DHeightColours" << false << "Height colours";
        QTest::newRow("enlarge") << "btnWndTransformIn" << true << "Enlarge";
        QTest::newRow("restore layout") << "btnWndTransformOut" << true << "Restore Layout";
        QTest::newRow("2D fit") << "btn3DZoomReset" << true << "Fit";
        QTest::newRow("start grab") << "btn3DStartGrab" << true << "Start Grab";
    }

    void chineseReachesEveryText() {
        QFETCH(QString, objectName);
        QFETCH(bool, toolTip);
        QFETCH(QString, english);
        auto* widget = manager()->pane(1)->findChild<QAbstractButton*>(objectName);
        QVERIFY(widget);
        const auto text = [&]() { return toolTip ? widget->toolTip() : widget->text(); };
        QCOMPARE(text(), english);
        Control::postLanguage("zh_CN");
        QTRY_VERIFY(text() != english);
        QVERIFY(text().at(0).unicode() > 0x2e80);  // CJK
        QString title;
        m_viewer->getImageWndTitle(1, &title);
        QCOMPARE(title, QStringLiteral("\u65e0\u76f8\u673a"));
        Control::postLanguage("en");
        QTRY_COMPARE(text(), english);
    }

private:
    static void paneModes() {
        QTest::addColumn<int>("mode");
        QTest::newRow("2D view") << 1;
        QTest::newRow("profiler") << 2;
    }
    // Shows `frame` on pane 1's 2D view (mode 1) or its profiler's 2D page (mode 2); returns that display.
    ZMKImageWnd* showFrame(int mode, QImage& frame, const QVector<qreal>& profile = {}) {
        ImageWnd* pane = manager()->pane(1);
        pane->setImageWndMode(mode);
        if (mode == 1) {
            pane->show2DImage(frame, false);
            return pane->view2D()->displayWidget();
        }
        pane->view3D()->btn2DMode->click();
        pane->showImage(&frame, profile);
        return pane->view3D()->displayWidget();
    }
};

QTEST_MAIN(TestLiveView)
#include "tst_liveview.moc"
