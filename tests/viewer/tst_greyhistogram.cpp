// SPDX-License-Identifier: Apache-2.0
// Grey statistics, their worker thread (results, clamping, bad input, bounded queue and pacing), and
// the histogram panel, dialog and the 2D pane's histogram tools, driven through their buttons and
// the mouse.
#include <qwt_plot.h>
#include <qwt_scale_div.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>

#include "CalculateGreyThread.h"
#include "DisplayRangeTool.h"
#include "GreyHistogramDialog.h"
#include "GreyHistogramTool.h"
#include "GreyHistogramWidget.h"
#include "GreyStatistics.h"
#include "HistogramPlot.h"
#include "HistogramSubFrame.h"
#include "NuvPixelFormat.h"
#include "PaneHost.h"
#include "WindowDrag.h"

using Region = GreyStatistics::Region;
using Series = GreyStatistics::Series;
using Stats = QVector<double>;  // min, max, average, deviation
Q_DECLARE_METATYPE(Region)
Q_DECLARE_METATYPE(QImage::Format)

namespace {
QImage grey(int w, int h, std::function<int(int, int)> value, QImage::Format f = QImage::Format_Grayscale8) {
    QImage img(w, h, f);
    // Padding bytes get a value no pixel has, so reading them would show in the results.
    std::memset(img.bits(), 200, size_t(img.sizeInBytes()));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (f == QImage::Format_Grayscale16) {
                reinterpret_cast<quint16*>(img.scanLine(y))[x] = quint16(value(x, y));
            } else {
                img.scanLine(y)[x] = uchar(value(x, y));
            }
        }
    return img;
}

QImage colour(int w, int h, QImage::Format f, uchar r, uchar g, uchar b) {
    QImage img(w, h, f);
    std::memset(img.bits(), 200, size_t(img.sizeInBytes()));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixelColor(x, y, QColor(r, g, b));
    return img;
}

Region whole(const QImage& img) {
    return {0, uint32_t(img.width()), 0, uint32_t(img.height())};
}

double count(const Series& s, double x) {
    const int i = s[0].indexOf(x);
    return i < 0 ? -1.0 : s[1][i];
}

QImage ramp(int w, int h) {
    return grey(w, h, [](int x, int y) { return (x + y) & 0xFF; });
}

using TestSupport::child;

QString cell(GreyHistogramWidget* p, int row, int col) {
    QTableWidgetItem* item = child<QTableWidget>(p, "greyValue_tableWidget")->item(row, col);
    return item ? item->text() : QString();
}
}  // namespace

class TestGreyHistogram : public QObject, private TestSupport::PaneHost {
    Q_OBJECT
private slots:
    void init() { QVERIFY(openPane(900, 700)); }

    void cleanup() { closePane(); }

    void statistics_data() {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("position");
        QTest::addColumn<Region>("region");
        QTest::addColumn<Stats>("expected");
        QTest::addColumn<int>("points");
        QTest::addColumn<double>("pixels");  // counted by the histogram

        const QImage seven = grey(13, 5, [](int, int) { return 7; });
        const QImage zeroThree = grey(10, 4, [](int x, int) { return x % 2 ? 3 : 0; });
        const QImage ramp = grey(9, 7, [](int x, int y) { return x * 10 + y; });
        QTest::newRow("constant 7") << seven << 0 << 0 << whole(seven) << Stats{7, 7, 7, 0} << 256 << 65.0;
        QTest::newRow("0 and 3: floor average, sqrt 2.5")
            << zeroThree << 0 << 0 << whole(zeroThree) << Stats{0, 3, 1, std::sqrt(2.5)} << 256 << 40.0;
        QTest::newRow("region wider than image clamps")
            << ramp << 0 << 0 << Region{5, 1000, 0, 7} << Stats{50, 86, 68, std::sqrt(129.0)} << 256 << 28.0;
        QTest::newRow("start beyond image becomes 0")
            << ramp << 0 << 0 << Region{50, 1, 60, 1} << Stats{0, 0, 0, 0} << 256 << 1.0;
        QTest::newRow("line profile row 3")
            << ramp << 1 << 3 << whole(ramp) << Stats{3, 83, 43, std::sqrt(6000.0 / 9)} << 9 << 0.0;
        QTest::newRow("column profile column 2")
            << ramp << 2 << 2 << whole(ramp) << Stats{20, 26, 23, 2} << 7 << 0.0;
        // Over 5 million pixels the squared deviations sum far beyond 32 bits.
        const QImage halves = grey(2448, 2048, [](int x, int) { return x < 1224 ? 0 : 255; });
        const double spread = std::sqrt((127.0 * 127.0 + 128.0 * 128.0) / 2.0);
        QTest::newRow("half 0, half 255 over 2448 x 2048")
            << halves << 0 << 0 << whole(halves) << Stats{0, 255, 127, spread} << 256 << 2448.0 * 2048;
    }

    void statistics() {
        QFETCH(QImage, image);
        QFETCH(int, mode);
        QFETCH(int, position);
        QFETCH(Region, region);
        QFETCH(Stats, expected);
        GreyStatistics::Result r;
        QVERIFY(GreyStatistics::compute(image, mode, position, position, region, &r));
        QVERIFY(r.green.isEmpty() && r.blue.isEmpty());
        QCOMPARE(r.calResult.size(), 1);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(qFuzzyCompare(1 + r.calResult[0][i], 1 + expected[i]), qPrintable(QString::number(i)));
        QTEST(r.red[0].size(), "points");
        if (mode == 0) {
            // Padding (value 200) is never counted, and all pixels of the region are.
            QCOMPARE(count(r.red, 200), 0.0);
            QTEST(std::accumulate(r.red[1].begin(), r.red[1].end(), 0.0), "pixels");
            // A constant region fills one bin.
            if (expected[0] == expected[1]) QTEST(count(r.red, expected[0]), "pixels");
        }
    }

    void failures_data() {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("position");
        QTest::addColumn<Region>("region");
        QTest::addColumn<bool>("ok");
        const QImage img = grey(8, 6, [](int x, int) { return x; });
        QTest::newRow("null image") << QImage() << 0 << 0 << Region{0, 8, 0, 6} << false;
        for (int mode : {0, 1, 2}) {
            QTest::newRow(qPrintable(QStringLiteral("zero width, mode %1").arg(mode)))
                << img << mode << 0 << Region{4, 4, 0, 6} << false;
        }
        QTest::newRow("zero height") << img << 0 << 0 << Region{0, 8, 6, 6} << false;
        QTest::newRow("line below image") << img << 1 << 6 << Region{0, 8, 0, 6} << false;
        QTest::newRow("negative line") << img << 1 << -1 << Region{0, 8, 0, 6} << false;
        QTest::newRow("column right of image") << img << 2 << 8 << Region{0, 8, 0, 6} << false;
        QTest::newRow("unknown mode") << img << 3 << 0 << Region{0, 8, 0, 6} << false;
        QImage argb(8, 6, QImage::Format_ARGB32);
        argb.fill(Qt::red);
        QTest::newRow("32-bit: empty results") << argb << 0 << 0 << Region{0, 8, 0, 6} << true;
    }

    void failures() {
        QFETCH(QImage, image);
        QFETCH(int, mode);
        QFETCH(int, position);
        QFETCH(Region, region);
        GreyStatistics::Result r;
        QTEST(GreyStatistics::compute(image, mode, position, position, region, &r), "ok");
        QVERIFY(r.red.isEmpty() && r.green.isEmpty() && r.blue.isEmpty() && r.calResult.isEmpty());
    }

    void colourChannelsByName_data() {
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("RGB888") << QImage::Format_RGB888;
        QTest::newRow("BGR888") << QImage::Format_BGR888;
    }

    void colourChannelsByName() {
        QFETCH(QImage::Format, format);
        const QImage img = colour(7, 3, format, 10, 20, 30);  // 21-byte rows are padded to 24
        for (int mode : {0, 1, 2}) {
            GreyStatistics::Result r;
            QVERIFY(GreyStatistics::compute(img, mode, 1, 1, whole(img), &r));
            QCOMPARE(r.calResult.size(), 3);
            const Series* series[3] = {&r.red, &r.green, &r.blue};
            for (int c = 0; c < 3; ++c) {
                const double v = 10.0 * (c + 1);
                QCOMPARE(r.calResult[c], (Stats{v, v, v, 0}));
                if (mode == 0) QCOMPARE(count(*series[c], v), 21.0);
            }
        }
    }

    void sixteenBitBinning() {
        const QImage img = grey(
            10, 3, [](int x, int) { return x < 5 ? 1000 : 3000; }, QImage::Format_Grayscale16);
        GreyStatistics::Result r;
        QVERIFY(GreyStatistics::compute(img, 0, 0, 0, whole(img), &r));
        QCOMPARE(r.calResult[0], (Stats{1000, 3000, 2000, 1000}));
        // 2000 values apart need bins of 8: the first starts at 1000.
        QCOMPARE(r.red[0].first(), 1000.0);
        QCOMPARE(r.red[0][1] - r.red[0][0], 8.0);
        QCOMPARE(count(r.red, 1000), 15.0);
        QCOMPARE(count(r.red, 3000), 15.0);
        QVERIFY(GreyStatistics::compute(img, 1, 2, 0, whole(img), &r));
        QCOMPARE(r.red[1][9], 3000.0);
    }

    void queueKeepsTwoNewestAndStopEndsWorker() {
        CalculateGreyThread t;
        t.start();
        t.resume();
        t.pause();
        QImage img(4, 4, QImage::Format_Grayscale8);
        for (int i = 0; i < 5; ++i)
            t.addImage(img);
        QCOMPARE(t.queuedImages(), 2);
        t.resume();  // drops what was queued
        QCOMPARE(t.queuedImages(), 0);
        t.addImage(img);
        t.stop();
        QVERIFY(t.isFinished());
        // A panel closed as it opens: the loop may not have begun, and nothing waits for it.
        for (int i = 0; i < 20; ++i) {
            CalculateGreyThread quick;
            quick.start();
            quick.addImage(img);
            quick.stop();
            QVERIFY(quick.isFinished());
        }
    }

    void resultsWaitForTheReceiver() {
        CalculateGreyThread t;
        t.setMinimumInterval(0);
        // Received queued on this thread, as the panel receives them: a spy's list would be
        // written on the worker's thread and read here.
        QList<QPair<Series, Series>> results;
        connect(
            &t, &CalculateGreyThread::calculateFinish, this,
            [&results](Series red, Series, Series, Series calResult) {
                results.append({red, calResult});
            },
            Qt::QueuedConnection);
        t.setROI(0, 6, 0, 2);
        t.start();
        const QImage img = grey(6, 2, [](int x, int y) { return x + 10 * y; });
        for (int i = 0; i < 20; ++i)
            t.addImage(img);
        QTRY_COMPARE(results.size(), 1);
        QTest::qWait(50);  // nothing more until the receiver has shown it
        QCOMPARE(results.size(), 1);
        // A new setting is computed on the last image, without a new frame.
        t.setLinePosition(1);
        t.setViewMode(1);
        t.resultShown();
        QTRY_COMPARE(results.size(), 2);
        QCOMPARE(results.at(1).first.value(0).size(), 6);
        QCOMPARE(results.at(1).second[0], (Stats{10, 15, 12, std::sqrt(19.0 / 6)}));
        t.stop();
    }

    void tableRowsAndColourBoxes_data() {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("grey") << ramp(16, 8) << QStringList{"Grey"};
        QTest::newRow("RGB") << colour(16, 8, QImage::Format_RGB888, 10, 20, 30)
                             << QStringList{"Red", "Green", "Blue"};
    }

    void tableRowsAndColourBoxes() {
        QFETCH(QImage, image);
        QFETCH(QStringList, rows);
        GreyHistogramWidget p;
        p.show();
        GreyStatistics::Result r;
        QVERIFY(GreyStatistics::compute(image, 0, 0, 0, {0, 16, 0, 8}, &r));
        p.showCalculateData(r.red, r.green, r.blue, r.calResult);
        QTableWidget* table = child<QTableWidget>(&p, "greyValue_tableWidget");
        QCOMPARE(table->rowCount(), rows.size());
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(cell(&p, i, 0), rows[i]);
        const bool colour = rows.size() == 3;
        QCOMPARE(cell(&p, 0, 3), colour ? QStringLiteral("10") : QStringLiteral("11"));
        QCOMPARE(child<QCheckBox>(&p, "checkBoxGreen")->isVisible(), colour);
        QCOMPARE(p.plot()->isCurveHidden(HistogramPlot::Grey), colour);
        if (!colour) return;
        QTest::mouseClick(child<QCheckBox>(&p, "checkBoxGreen"), Qt::LeftButton);
        QVERIFY(p.plot()->isCurveHidden(HistogramPlot::Green));
        QVERIFY(!p.plot()->isCurveHidden(HistogramPlot::Red));
        QVERIFY(!p.plot()->isCurveHidden(HistogramPlot::Blue));
    }

    void regionSpinBoxesAndLineProfile() {
        GreyHistogramWidget p;
        p.setImageSize(640, 480);
        QSignalSpy roi(&p, &GreyHistogramWidget::ROIChanged);
        QSpinBox* width = child<QSpinBox>(&p, "spinBoxWidth");
        QSpinBox* centerX = child<QSpinBox>(&p, "spinBoxCenterX");
        // On the whole image an edit reaches the worker but moves no drawn region.
        width->setValue(100);
        emit width->editingFinished();
        centerX->setValue(200);
        emit centerX->editingFinished();
        QCOMPARE(roi.count(), 0);
        QCOMPARE(QPoint(p.worker()->roi().startColumn, p.worker()->roi().endColumn), QPoint(150, 250));
        // A region narrower than ten pixels widens to ten.
        p.setROIInfo(100, 100, 50, 50);
        width->setValue(4);
        emit width->editingFinished();
        QCOMPARE(width->value(), 10);
        QCOMPARE(centerX->minimum(), 5);
        QCOMPARE(centerX->maximum(), 635);

        // The line profile's axis follows the image width; its line starts in the middle.
        p.setImageSize(1280, 1024);
        QSignalSpy pos(&p, &GreyHistogramWidget::PosChanged);
        child<QComboBox>(&p, "comboBoxSelectView")->setCurrentIndex(1);
        const QwtScaleDiv& x = p.plot()->plot()->axisScaleDiv(QwtPlot::xBottom);
        QCOMPARE(x.lowerBound(), 0.0);
        QCOMPARE(x.upperBound(), 1280.0);
        QCOMPARE(x.ticks(QwtScaleDiv::MajorTick).value(1), 213.0);
        QCOMPARE(p.worker()->viewMode(), 1);
        QCOMPARE(p.worker()->linePosition(), 512);
        QCOMPARE(pos.count(), 1);
        QVERIFY(child<QSpinBox>(&p, "spinBoxPosX")->isVisibleTo(&p));
        QVERIFY(!child<QPushButton>(&p, "btnLocalROI")->isVisibleTo(&p));
    }

    void openerTogglesThroughButtons() {
        Image2DWnd* v = m_pane->view2D();
        QVERIFY(!v->btnGreyHistogram->isEnabled());
        NuvImage frame(320, 240, NuvPixelFormat::Mono8);
        frame.mat().setTo(7);
        m_pane->showImage(&frame, {});
        QVERIFY(v->btnGreyHistogram->isEnabled());

        // Closed in turn by the pane's button, the title bar's close button and Confirm.
        for (int closer = 0; closer < 3; ++closer) {
            openHistogram();
            QPointer<GreyHistogramDialog> dialog = tool()->dialog();
            QVERIFY(dialog && dialog->isVisible());
            QVERIFY(v->btnGreyHistogram->property("SelectedStatus").toBool());
            QCOMPARE(panel()->imageSize(), QSize(320, 240));  // no camera: the frame's size
            // The shown frame is computed at once, without waiting for the next one.
            QTRY_COMPARE(cell(panel(), 0, 1), QStringLiteral("7"));
            QCOMPARE(cell(panel(), 0, 0), QStringLiteral("Grey"));
            if (closer == 0) QTest::mouseClick(v->btnGreyHistogram, Qt::LeftButton);
            if (closer == 1) QTest::mouseClick(child<QToolButton>(dialog, "nuvDialogClose"), Qt::LeftButton);
            if (closer == 2) QTest::mouseClick(child<QPushButton>(panel(), "btnConfirm"), Qt::LeftButton);
            QVERIFY(!tool()->isOpen());
            QVERIFY(!v->btnGreyHistogram->property("SelectedStatus").toBool());
            QTRY_VERIFY(dialog.isNull());
        }
    }

    // A deep frame shown through a narrow display range: the histogram still counts true values.
    void deepFrameStatisticsIgnoreTheDisplayRange() {
        ZMKDisplayRange range;
        range.mode = ZMKDisplayRange::Mode::Fixed;
        range.minimum = 1500;
        range.maximum = 2500;
        range.gamma = 2.0;
        QVERIFY(m_pane->displayRangeTool()->setRange(range));
        NuvImage frame(320, 240, NuvPixelFormat::Mono16);
        frame.mat().colRange(0, 160).setTo(1000);
        frame.mat().colRange(160, 320).setTo(3000);
        m_pane->showImage(&frame, {});
        openHistogram();
        QTRY_COMPARE(cell(panel(), 0, 1), QStringLiteral("1000"));
        QCOMPARE(cell(panel(), 0, 2), QStringLiteral("3000"));
        QCOMPARE(cell(panel(), 0, 3), QStringLiteral("2000"));
    }

    void regionFromMouseAndFrameThenTeardown() {
        openOnRamp();
        QTest::mouseClick(child<QPushButton>(panel(), "btnLocalROI"), Qt::LeftButton);
        QVERIFY(tool()->subFrame() && tool()->subFrame()->isVisible());
        QVERIFY(!tool()->dialog()->isVisible());

        const auto at = [this](QPointF imagePos) { return inPane(imagePos); };
        TestSupport::dragInWindow(m_pane->windowHandle(), at, {100, 80}, {220, 160});

        const GreyStatistics::Region r = panel()->worker()->roi();
        QVERIFY2(qAbs(int(r.startColumn) - 100) <= 1 && qAbs(int(r.endColumn) - 220) <= 1,
                 qPrintable(QStringLiteral("%1..%2").arg(r.startColumn).arg(r.endColumn)));
        QVERIFY(qAbs(int(r.startRow) - 80) <= 1 && qAbs(int(r.endRow) - 160) <= 1);
        QVERIFY(tool()->regionShapeId() >= 0);
        QVERIFY(child<QSpinBox>(panel(), "spinBoxWidth")->isEnabled());

        QTest::mouseClick(qobject_cast<QPushButton*>(tool()->subFrame()->enlargeButton()), Qt::LeftButton);
        QVERIFY(!tool()->subFrame());
        QVERIFY(tool()->dialog()->isVisible());
        QVERIFY(panel()->plot()->isVisible());

        // Back to the whole image: the region leaves the picture.
        const int region = tool()->regionShapeId();
        QTest::mouseClick(child<QPushButton>(panel(), "btnGlobalROI"), Qt::LeftButton);
        NuvROI gone;
        QVERIFY(m_pane->view2D()->displayWidget()->getROIShape(region, &gone) != 0);
        QCOMPARE(panel()->worker()->roi().endColumn, 400u);

        // A smaller frame shrinks the region; the camera going away closes everything.
        QImage smaller = ramp(200, 100);
        m_pane->show2DImage(smaller, false);
        QCOMPARE(panel()->imageSize(), QSize(200, 100));
        QCOMPARE(panel()->worker()->roi().endRow, 100u);

        QPointer<GreyHistogramDialog> dialog = tool()->dialog();
        CalculateGreyThread* worker = panel()->worker();
        std::atomic<int> finished{0};  // counted on the worker's thread as it ends
        connect(
            worker, &CalculateGreyThread::finished, worker, [&finished] { ++finished; },
            Qt::DirectConnection);
        m_pane->resetCamera();  // the camera went away
        QVERIFY(!tool()->isOpen());
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(finished.load(), 1);

        // A released pane shows nothing to measure until a new frame arrives.
        QVERIFY(!m_pane->view2D()->btnGreyHistogram->isEnabled());
        openOnRamp();  // the pane goes with the histogram open
    }

    void clickSetsMarkerCrossAndProfilePosition() {
        openOnRamp();
        child<QComboBox>(panel(), "comboBoxSelectView")->setCurrentIndex(1);
        QTest::mouseClick(m_pane->windowHandle(), Qt::LeftButton, Qt::NoModifier, inPane({50, 40}));
        QCOMPARE(QPoint(child<QSpinBox>(panel(), "spinBoxPosX")->value(),
                        child<QSpinBox>(panel(), "spinBoxPosY")->value()),
                 QPoint(50, 40));
        QCOMPARE(panel()->worker()->linePosition(), 40);
        NuvROI horizontal;
        ZMKImageWnd* display = m_pane->view2D()->displayWidget();
        QCOMPARE(display->getROIShape(tool()->markerLineId(0), &horizontal), 0);
        NuvPoint a, b;
        QVERIFY(horizontal.GetLine(&a, &b));
        QCOMPARE(QLineF(a.x, a.y, b.x, b.y), QLineF(30, 40, 70, 40));
        QVERIFY(tool()->markerLineId(1) >= 0);

        const int marker = tool()->markerLineId(0);
        tool()->onWndMouseClicked(-0.5, 3);  // outside the picture: nothing moves
        QCOMPARE(tool()->markerLineId(0), marker);
        tool()->close();
        QVERIFY(display->getROIShape(marker, &horizontal) != 0);
    }

private:
    GreyHistogramTool* tool() const { return m_pane->histogramTool(); }
    GreyHistogramWidget* panel() const { return tool()->panel(); }
    // Shows a 400 x 300 ramp and opens the histogram on it.
    void openOnRamp() {
        QImage frame = ramp(400, 300);
        m_pane->show2DImage(frame, false);
        openHistogram();
    }
    void openHistogram() {
        QTest::mouseClick(m_pane->view2D()->btnGreyHistogram, Qt::LeftButton);
        QVERIFY(tool()->isOpen());
        // 1:1, so that a mouse pixel is an image pixel.
        m_pane->view2D()->Zoom100();
        QCoreApplication::processEvents();
    }
};

QTEST_MAIN(TestGreyHistogram)
#include "tst_greyhistogram.moc"
