// SPDX-License-Identifier: Apache-2.0
// The profiler view: its tool strip, overflow menu and contour zoom; height colours of the range
// page and the legends beside it; and a whole scan of the simulated laser profiler through the
// viewer: the user picks 3D mode and starts, batches stream into the pane's buffers and the 3D
// window, and the finished range and grey images appear on their pages. Also live contours;
// sensors of both sample widths.
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "HeightColourBar.h"
#include "HostGrab.h"
#include "Image3DWnd.h"
#include "ImageWndLabel.h"
#include "LiveRangePages.h"
#include "ModalSeam.h"
#include "Nuv3DPointBuffer.h"
#include "Nuv3DRegistry.h"
#include "Nuv3DView.h"
#include "Nuv3DWindow.h"
#include "NuvColorMap.h"
#include "RangeStreamer.h"
#include "ScanAxis.h"
#include "ScriptedModalHandler.h"
#include "ViewerHost.h"
#include "ZMKImageView.h"
#include "ZMKImageWnd.h"

namespace Control = ZavizoZoz3::Control;

namespace {
// Memory a profiler view holds for its scan, read from the buffers themselves.
size_t heldBytes(Image3DWnd* view) {
    size_t bytes =
        view->streamer()->heldBytes() + view->rangeLabel()->heldBytes() + view->greyLabel()->heldBytes();
    if (const auto points = Nuv3DRegistry::instance().buffer(view->window3D())) bytes += points->heldBytes();
    Nuv3DWindow* window = Nuv3DRegistry::instance().window(view->window3D());
    if (window && window->view()) bytes += window->view()->gpuBytes();
    return bytes;
}

// Pixels of a grabbed page that are black (lines still to come) and coloured (lines shown).
QPair<int, int> blackAndColoured(QWidget* page) {
    const QImage image = page->grab().toImage();
    int black = 0, coloured = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            black += c.red() + c.green() + c.blue() == 0;
            coloured +=
                qMax(qMax(c.red(), c.green()), c.blue()) - qMin(qMin(c.red(), c.green()), c.blue()) > 60;
        }
    }
    return {black, coloured};
}

// A synthetic scan written into a view's streamer batch by batch, as the business layer does:
// heights spread over the camera's range with some invalid samples, grey ramps.
struct SyntheticScan {
    int points = 0;
    int lines = 0;
    RangeStreamer::Format format;
    std::vector<uint8_t> range;
    std::vector<uint8_t> grey;

    SyntheticScan(int width, int height, int dataType) : points(width), lines(height) {
        format = RangeStreamer::formatFor(dataType, 3200);
        const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
        range.resize(n * static_cast<size_t>(format.bytesPerPoint));
        grey.resize(n);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
                const double h = -40.0 + 80.0 * ((x * 7 + y * 13) % 101) / 100.0;
                const auto raw = (x + y) % 17 == 0
                                     ? 0u
                                     : static_cast<uint32_t>(format.heightOffset + h / format.heightScale);
                if (format.bytesPerPoint == 2) {
                    const auto r16 = static_cast<uint16_t>(raw);
                    std::memcpy(&range[2 * i], &r16, 2);
                } else {
                    std::memcpy(&range[4 * i], &raw, 4);
                }
                grey[i] = static_cast<uint8_t>((x * 3 + y * 5) % 256);
            }
        }
    }
    int64_t sample(int x, int y) const {
        const size_t i = static_cast<size_t>(y) * static_cast<size_t>(points) + static_cast<size_t>(x);
        uint32_t raw = 0;
        std::memcpy(&raw, &range[i * static_cast<size_t>(format.bytesPerPoint)],
                    static_cast<size_t>(format.bytesPerPoint));
        return raw & format.rawMask;
    }
    // Prepares the view's streamer and streams every batch, the last one ending the scan.
    bool streamInto(Image3DWnd* view, int linesPerBatch) const {
        const auto streamer = view->streamer();
        if (!streamer->prepare(lines, linesPerBatch, points, format, 0.05, 3)) return false;
        const int batches = (lines + linesPerBatch - 1) / linesPerBatch;
        const size_t lineBytes = static_cast<size_t>(points) * static_cast<size_t>(format.bytesPerPoint);
        for (int b = 0; b < batches; ++b) {
            const int first = b * linesPerBatch;
            const int count = std::min(linesPerBatch, lines - first);
            const RangeStreamer::BatchShape shape{count, points, format.bytesPerPoint};
            const bool written =
                streamer->writeBatch(1, b, shape, [&](const RangeStreamer::BatchBuffers& out) {
                    std::memcpy(out.range, &range[static_cast<size_t>(first) * lineBytes], lineBytes * count);
                    std::memcpy(out.grey, &grey[static_cast<size_t>(first) * static_cast<size_t>(points)],
                                static_cast<size_t>(points) * static_cast<size_t>(count));
                    return true;
                });
            if (!written) return false;
            view->onBatchArrived(range.data(), 1, b, b == batches - 1);
        }
        return true;
    }
};

QString readoutAt(ImageWndLabel* label, const QPoint& pos) {
    QWidget* viewport = qobject_cast<ZMKImageView*>(label->viewWidget())->viewport();
    QMouseEvent move(QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    return label->readoutText();
}

NuvImage shownPicture(ImageWndLabel* label) {
    NuvImage picture;
    qobject_cast<ZMKImageView*>(label->viewWidget())->background(&picture);
    return picture;
}
}  // namespace

class TestScan : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::resetEnvironment();
        Control::installPayloadEncoder();
        openViewer(900, 700);
        QVERIFY(bindCamera(Control::CameraKind::LaserProfiler, "LP"));
        // The host starts acquisition when the pane asks for it, as the demo does.
        TestSupport::answerGrabPresses(m_viewer, this, false);
    }

    void cleanup() { closeViewer(); }

    void narrowStripMovesButtonsIntoMenu() {
        Image3DWnd view;
        view.relayoutToolBar(370);
        QCOMPARE(visibleStripButtons(view), 10);
        QVERIFY(!view.btnShowMenu->isHidden());
        QCOMPARE(view.menuWidgets().size(), 6);
        for (QWidget* w : view.menuWidgets())
            QVERIFY(w->property("inMenu").toBool());
        view.relayoutToolBar(2000);
        QCOMPARE(visibleStripButtons(view), 16);
        QVERIFY(view.btnShowMenu->isHidden() && view.menuWidgets().isEmpty());
        // The overflow menu triggers the button it stands for.
        view.relayoutToolBar(100);
        QVERIFY(view.menuWidgets().contains(view.btn3DZoomReset));
        QSignalSpy clicked(view.btn3DStartGrab, &QPushButton::clicked);
        TestSupport::modals().pushMenuChoice(QStringLiteral("Start Grab"));
        view.onShowMenuButtonClicked();
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(TestSupport::modals().count(ModalSeam::Kind::Menu), 1);
        // Buttons the owner hid stay hidden at any width, and out of the menu.
        view.setStripButtonHidden(view.btnSingleSave, true);
        view.relayoutToolBar(2000);
        QVERIFY(view.btnSingleSave->isHidden());
        view.relayoutToolBar(370);
        QVERIFY(!view.menuWidgets().contains(view.btnSingleSave) && view.btnSingleSave->isHidden());
    }

    void contourZoomAndProfiles() {
        Image3DWnd view;
        view.resize(800, 600);
        view.setContourXSpan(40.0f);
        view.setContourYRange(-5.0f, 15.0f);
        QVector<qreal> profile(3200, 1.5);
        profile[10] = std::numeric_limits<qreal>::quiet_NaN();
        view.showContour(profile);
        QCOMPARE(view.lastProfile().size(), 3200);
        // Contour: restore does nothing to the picture, fit brings back the contour ranges (the picture
        // page's buttons are covered by the live view tests).
        view.btnContourMode->setChecked(true);
        ZMKImageWnd* display = view.displayWidget();
        const double before = display->zoomFactor();
        view.btn3DRestore->click();
        QCOMPARE(display->zoomFactor(), before);
        view.btn3DZoomIn->click();
        view.btn3DZoomReset->click();
        QCOMPARE(view.contourXSpan(), 40.0f);
        QVERIFY(view.contourYMin() == -5.0f && view.contourYMax() == 15.0f);
        view.showContour(QVector<qreal>());  // an empty profile clears the page without trouble
        QVERIFY(view.lastProfile().isEmpty());
    }

    void heightKeepsItsColour_data() {
        QTest::addColumn<int>("dataType");
        QTest::addColumn<double>("height");
        QTest::addColumn<uint>("flags");
        QTest::addColumn<bool>("valid");
        // Camera range -20 to 20 mm. 16-bit: scaler 32768 (1/1024 mm); 32-bit: scaler 4000 (1/1000 mm).
        QTest::newRow("16 middle") << 0 << 0.0 << 0u << true;
        QTest::newRow("16 top of range") << 0 << 20.0 << 0u << true;
        QTest::newRow("16 above range") << 0 << 25.0 << 0u << false;
        QTest::newRow("32 low") << 1 << -19.5 << 0u << true;
        QTest::newRow("32 flag bits ignored") << 1 << 7.25 << 0x80000000u << true;
        QTest::newRow("32 below range") << 1 << -21.0 << 0u << false;
    }

    void heightKeepsItsColour() {
        QFETCH(int, dataType);
        QFETCH(double, height);
        QFETCH(uint, flags);
        QFETCH(bool, valid);
        const RangeStreamer::Format f = RangeStreamer::formatFor(dataType, dataType == 0 ? 32768 : 4000);
        const auto raw = [&](double h) {
            return static_cast<uint32_t>(std::lround(f.heightOffset + h / f.heightScale));
        };
        NuvRangeLUT16 lut;
        // The sample under test next to two different neighbours: a re-stretch would change its colour.
        QColor seen[2];
        for (int pass = 0; pass < 2; ++pass) {
            const uint32_t samples[2] = {raw(height) | flags, raw(pass == 0 ? -3.0 : 19.0)};
            std::vector<uint8_t> bytes(2 * static_cast<size_t>(f.bytesPerPoint));
            for (int i = 0; i < 2; ++i)  // little-endian: a sample is the low 2 or 4 bytes
                std::memcpy(bytes.data() + i * f.bytesPerPoint, &samples[i],
                            static_cast<size_t>(f.bytesPerPoint));
            uint8_t rgb[6] = {};
            LiveRangePages::colourRows(bytes.data(), 2, f, -20.0f, 20.0f, &lut, rgb);
            seen[pass] = QColor(rgb[0], rgb[1], rgb[2]);
        }
        QCOMPARE(seen[0], seen[1]);
        const NuvColor c =
            NuvColorMap::table(LiveRangePages::kColorMap)[NuvColorMap::index(float(height), -20, 20)];
        QCOMPARE(seen[0], valid ? QColor(c.r, c.g, c.b) : QColor(Qt::black));
    }

    void colourBarShowsMapAndTicks_data() {
        QTest::addColumn<int>("colorMap");
        QTest::addColumn<float>("minimum");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("range page") << 0 << -20.0f << 20.0f << QStringList{"-20", "-10", "0", "10", "20"};
        QTest::newRow("3D page") << 5 << -1.5f << 2.5f << QStringList{"-1", "0", "1", "2"};
        QTest::newRow("fine heights")
            << 5 << -0.045f << 0.035f << QStringList{"-0.04", "-0.02", "0.00", "0.02"};
        QTest::newRow("long scan in mm")
            << 0 << 0.0f << 120.0f << QStringList{"0", "20", "40", "60", "80", "100", "120"};
        QTest::newRow("empty range") << 0 << 1.0f << 1.0f << QStringList{};
    }

    void colourBarShowsMapAndTicks() {
        QFETCH(int, colorMap);
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        QFETCH(QStringList, labels);
        HeightColourBar bar;
        bar.resize(HeightColourBar::kWidth, 300);
        bar.setScale(colorMap, minimum, maximum);
        QCOMPARE(bar.tickLabels(), labels);
        if (labels.isEmpty()) return;
        const QImage image = bar.grab().toImage();
        const QRect strip = bar.stripRect();
        const NuvColor* table = NuvColorMap::table(colorMap);
        const auto colourOf = [](const NuvColor& c) { return QColor(c.r, c.g, c.b); };
        // Highest height at the top, lowest at the bottom.
        QCOMPARE(image.pixelColor(strip.center().x(), strip.top()),
                 colourOf(table[NuvColorMap::kTableSize - 1]));
        QCOMPARE(image.pixelColor(strip.center().x(), strip.bottom()), colourOf(table[0]));
    }

    void pagesShowScanAtDisplayResolution_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("dataType");
        QTest::addColumn<int>("reduction");
        QTest::newRow("small scan, full resolution") << 400 << 300 << 0 << 1;
        QTest::newRow("long 16-bit scan, reduced") << 3000 << 6000 << 0 << 3;
        QTest::newRow("long 32-bit scan, reduced") << 3000 << 6000 << 1 << 3;
    }

    // The pages hold pictures at display resolution: the same picture as a plain area downscale
    // of the full-resolution one, while the read-out finds the full-resolution sample at any zoom,
    // and clearing gives everything back.
    void pagesShowScanAtDisplayResolution() {
        QFETCH(int, points);
        QFETCH(int, lines);
        QFETCH(int, dataType);
        QFETCH(int, reduction);
        const SyntheticScan scan(points, lines, dataType);
        Image3DWnd view;
        view.resize(900, 700);
        view.stackedWidget->setCurrentIndex(3);  // the range page, as the pane shows it
        view.show();
        QVERIFY(scan.streamInto(&view, 1000));
        QTRY_COMPARE_WITH_TIMEOUT(view.livePages()->rowsShown(), lines - 1,
                                  10000);  // arrivals are handed on in order
        QCOMPARE(view.livePages()->reduction(), reduction);
        const QSize shown(points / reduction, lines / reduction);

        // What a plain downscale of the full-resolution pictures gives.
        const RangeStreamer::DisplaySettings settings = view.streamer()->displaySettings();
        cv::Mat colours(lines, points, CV_8UC3);
        NuvRangeLUT16 lut;
        LiveRangePages::colourRows(scan.range.data(), scan.range.size() / scan.format.bytesPerPoint,
                                   scan.format, settings.heightMin, settings.heightMax, &lut, colours.data);
        const cv::Mat grey(lines, points, CV_8UC1, const_cast<uint8_t*>(scan.grey.data()));
        cv::Mat expectedColours, expectedGrey;
        cv::resize(colours, expectedColours, cv::Size(shown.width(), shown.height()), 0, 0, cv::INTER_AREA);
        cv::resize(grey, expectedGrey, cv::Size(shown.width(), shown.height()), 0, 0, cv::INTER_AREA);
        const NuvImage rangePicture = shownPicture(view.rangeLabel());
        const NuvImage greyPicture = shownPicture(view.greyLabel());
        QCOMPARE(QSize(rangePicture.width(), rangePicture.height()), shown);
        QCOMPARE(QSize(greyPicture.width(), greyPicture.height()), shown);
        QVERIFY(cv::norm(rangePicture.mat(), expectedColours, cv::NORM_INF) <= 1.0);
        QVERIFY(cv::norm(greyPicture.mat(), expectedGrey, cv::NORM_INF) <= 1.0);
        // The pages cost a fraction of the scan they show, not a colour copy of it.
        const size_t scanBytes = scan.range.size() + scan.grey.size();
        const size_t pageBytes = view.rangeLabel()->heldBytes() + view.greyLabel()->heldBytes();
        if (reduction > 1) QVERIFY2(pageBytes < scanBytes / 4, qPrintable(QString::number(pageBytes)));

        // The rulers show the scan's extent in millimetres: X over the points, Y over the lines.
        const auto spans = [](ScanAxis* axis, double length) {
            const QStringList labels = axis->tickLabels();
            if (labels.size() < 2 || labels.first().toDouble() != 0.0) return false;
            const double step = labels.at(1).toDouble() - labels.at(0).toDouble();
            const double last = labels.last().toDouble();
            return last <= length + 1e-9 && last + step > length - 1e-9;
        };
        QVERIFY(!view.rangeAxis(Qt::Horizontal)->isHidden() && !view.rangeAxis(Qt::Vertical)->isHidden());
        QVERIFY2(spans(view.rangeAxis(Qt::Horizontal), points * 0.05),
                 qPrintable(view.rangeAxis(Qt::Horizontal)->tickLabels().join(' ')));
        QVERIFY2(spans(view.rangeAxis(Qt::Vertical), lines * settings.yInterval),
                 qPrintable(view.rangeAxis(Qt::Vertical)->tickLabels().join(' ')));
        // The grey page's legend reads grey levels, black at the bottom.
        QVERIFY(view.greyLevelBar()->showsGreyLevels() && !view.greyLevelBar()->isHidden());
        QCOMPARE(view.greyLevelBar()->tickLabels().first(), QStringLiteral("0"));

        // Read-out: at the fitted zoom, 1:1 and close up, the sample under the cursor at full resolution.
        auto* rangeView = qobject_cast<ZMKImageView*>(view.rangeLabel()->viewWidget());
        const RangeStreamer::Format& f = scan.format;
        for (double zoom : {0.0, 1.0, 8.0}) {
            if (zoom > 0) QVERIFY(rangeView->setZoom(zoom));
            rangeView->centerOn(rangeView->sceneRect().center() +
                                QPointF(shown.width() / 7.0, shown.height() / 5.0));
            const QPoint centre = rangeView->viewport()->rect().center();
            QSet<QPair<int, int>> samplesRead;
            for (int dx = 0; dx < 8; ++dx) {
                const QPoint pos = centre + QPoint(dx, 0);
                const QPointF image = rangeView->mapToImage(pos);
                const int x = static_cast<int>(std::floor(image.x() * reduction));
                const int y = static_cast<int>(std::floor(image.y() * reduction));
                QVERIFY(x >= 0 && y >= 0 && x < points && y < lines);
                samplesRead.insert({x, y});
                const int64_t raw = scan.sample(x, y);
                const QString z =
                    raw == 0 ? QStringLiteral("invalid")
                             : QString::number((static_cast<double>(raw) - f.heightOffset) * f.heightScale,
                                               'f', 3);
                QCOMPARE(readoutAt(view.rangeLabel(), pos), QStringLiteral("X: %1  Y: %2  Z: %3")
                                                                .arg(x * 0.05, 0, 'f', 3)
                                                                .arg(y * settings.yInterval, 0, 'f', 3)
                                                                .arg(z));
            }
            // Close up, neighbouring screen pixels inside one shown pixel reach different samples.
            if (zoom == 8.0) QVERIFY(samplesRead.size() >= reduction);
        }
        // Close up, the X ruler shows the part of the scan on screen.
        QVERIFY(view.rangeAxis(Qt::Horizontal)->tickLabels().first().toDouble() > 0.0);
        auto* greyView = qobject_cast<ZMKImageView*>(view.greyLabel()->viewWidget());
        view.stackedWidget->setCurrentIndex(4);
        QVERIFY(greyView->setZoom(8.0));
        const QPoint centre = greyView->viewport()->rect().center();
        const QPointF image = greyView->mapToImage(centre);
        const int gx = static_cast<int>(std::floor(image.x() * reduction));
        const int gy = static_cast<int>(std::floor(image.y() * reduction));
        QVERIFY(readoutAt(view.greyLabel(), centre)
                    .startsWith(QStringLiteral("X: %1  Y: %2  Value: %3")
                                    .arg(gx)
                                    .arg(gy)
                                    .arg(scan.grey[static_cast<size_t>(gy) * points + gx])));

        // Clearing the view gives the scan and the pages back, read-outs included.
        view.clearAll();
        QCOMPARE(view.streamer()->heldBytes(), size_t(0));
        QCOMPARE(view.rangeLabel()->heldBytes() + view.greyLabel()->heldBytes(), size_t(0));
        QCOMPARE(readoutAt(view.greyLabel(), centre), QString());
    }

    void threeDScanFillsRangeAndGreyPages_data() {
        QTest::addColumn<QString>("bits");
        QTest::addColumn<bool>("stopMidScan");
        QTest::newRow("16-bit") << "16" << false;
        QTest::newRow("32-bit") << "32" << false;
        QTest::newRow("stopped mid-scan") << "16" << true;
    }

    void threeDScanFillsRangeAndGreyPages() {
        QFETCH(QString, bits);
        QFETCH(bool, stopMidScan);
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_RANGE_BITS, bits.toStdString());
        QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionLineCount", stopMidScan ? "5000" : "1000"),
                 0);
        QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "BatchNumber", "100"), 0);
        QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionFrameRate", "400"), 0);
        Image3DWnd* view = m_pane->view3D();
        view->btn3DMode->click();
        view->btn2DRangeImageShow->click();
        QCOMPARE(view->stackedWidget->currentIndex(), 3);
        const size_t idleBytes = heldBytes(view);
        // One scan: a free-running camera's next scan would take the pages over once this one ends.
        if (!stopMidScan) ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_SINGLE_GRAB, "1");
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(Control::isGrabbing(m_key), 5000);
        const auto streamer = m_pane->rangeStreamer();
        if (stopMidScan) {
            QTRY_VERIFY_WITH_TIMEOUT(streamer->lastRowAppended() >= 0, 15000);
            m_pane->onGrabStarted();
            QTest::mouseClick(view->btn3DStopGrab, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!Control::isGrabbing(m_key), 5000);
            // Replacing the view while batches may still be queued must be safe.
            QCOMPARE(m_pane->setImageWndMode(2), 0);
            QVERIFY(m_pane->view3D() != view);
            Control::waitIdle();
            QCoreApplication::processEvents();
            return;
        }
        QVERIFY(streamer);
        // Mid-scan the pages have grown by the lines converted so far: coloured at the top, black below.
        QTRY_VERIFY_WITH_TIMEOUT(view->livePages()->rowsShown() >= 99, 15000);
        if (view->livePages()->rowsShown() < 950) {
            const QPair<int, int> pixels = blackAndColoured(view->rangeLabel());
            QVERIFY2(pixels.first > 0 && pixels.second > 0,
                     qPrintable(QStringLiteral("%1 %2").arg(pixels.first).arg(pixels.second)));
        }
        QVERIFY(view->greyLabel()->hasBackground());
        // The legend shows the camera's height range (-20 to 20 mm), the same for every scan.
        HeightColourBar* bar = view->rangeColourBar();
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->tickLabels().first(), QStringLiteral("-20"));
        QCOMPARE(bar->tickLabels().last(), QStringLiteral("20"));
        QVERIFY(!view->colourBar3D()->isHidden());
        QCOMPARE(view->colourBar3D()->maximum(), bar->maximum());
        QTRY_COMPARE_WITH_TIMEOUT(streamer->lastRowAppended(), 999, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(view->livePages()->rowsShown(), 999, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(view->rangeLabel()->hasBackground(), 15000);
        NuvRangeImage range;
        QVERIFY(streamer->copyRangeImage(&range));
        QCOMPARE(range.height(), 1000);
        QCOMPARE(range.bytesPerPoint(), bits == "16" ? 2 : 4);
        // The conveyor sits at 0 mm: most samples of a scan line are valid heights near zero.
        int valid = 0;
        for (int p = 0; p < range.width(); ++p)
            valid += range.sample(150, p) != 0;
        QVERIFY(valid > range.width() / 2);

        // Rendering redraws what arrived as one block from the first row.
        ZavizoZoz3::StopGrab(m_key);
        m_pane->onGrabStopped();
        Control::waitIdle();
        QCoreApplication::processEvents();
        streamer->waitUntilIdle();
        std::atomic<int> redrawnFrom{-1};
        streamer->setAppendObserver([&](int first, int) { redrawnFrom = first; });
        view->btn3DShow->click();
        view->btn3DRender->click();
        QCOMPARE(view->stackedWidget->currentIndex(), 2);
        if (streamer->lastRowAppended() >= 0) QCOMPARE(redrawnFrom.load(), 0);
        streamer->setAppendObserver(nullptr);

        // Unbinding gives back everything the scan took.
        QVERIFY(heldBytes(view) > idleBytes + 3200 * 1000 * 2);
        Control::setConnected(m_key, false);
        Control::postDeviceList(1);
        QTRY_VERIFY_WITH_TIMEOUT(m_pane->cameraName().isEmpty(), 5000);
        QTRY_COMPARE(heldBytes(view), idleBytes);
        QVERIFY(bar->isHidden() && view->colourBar3D()->isHidden());
    }

    void contourShowsLiveProfiles_data() {
        QTest::addColumn<QString>("bits");
        QTest::newRow("16-bit") << "16";
        QTest::newRow("32-bit") << "32";
    }

    void contourShowsLiveProfiles() {
        QFETCH(QString, bits);
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_RANGE_BITS, bits.toStdString());
        Image3DWnd* view = m_pane->view3D();
        view->btnContourMode->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(view->lastProfile().size() == 3200, 10000);
        const QVector<qreal> profile = view->lastProfile();
        QVERIFY(std::count_if(profile.begin(), profile.end(), [](qreal h) { return h > -20 && h < 20; }) >
                1000);
    }

private:
    static int visibleStripButtons(Image3DWnd& view) {
        int n = 0;
        for (QPushButton* b : view.wdg3DToolSingle->findChildren<QPushButton*>()) {
            if (b != view.btnShowMenu && !b->isHidden()) ++n;
        }
        return n;
    }

    void startGrab() { QTest::mouseClick(m_pane->view3D()->btn3DStartGrab, Qt::LeftButton); }
};

QTEST_MAIN(TestScan)
#include "tst_scan.moc"
