// Histogram panel, dialog and the 2D pane's histogram tools, driven through their buttons and the mouse.
#include <qwt_plot.h>
#include <qwt_scale_div.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "GreyHistogramDialog.h"
#include "GreyHistogramTool.h"
#include "GreyHistogramWidget.h"
#include "HistogramPlot.h"
#include "HistogramSubFrame.h"
#include "NuvPixelFormat.h"
#include "PaneHost.h"
#include "WindowDrag.h"

namespace {
QImage ramp(int w, int h) {
    QImage img(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.scanLine(y)[x] = uchar((x + y) & 0xFF);
    return img;
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

    void tableRowsAndColourBoxes_data() {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QStringList>("rows");
        QImage rgb(16, 8, QImage::Format_RGB888);
        rgb.fill(QColor(10, 20, 30));
        QTest::newRow("grey") << ramp(16, 8) << QStringList{"Grey"};
        QTest::newRow("RGB") << rgb << QStringList{"Red", "Green", "Blue"};
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

    void regionDrawnWithMouseReachesWorker() {
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

    void frameSizeChangeAndTeardown() {
        openOnRamp();
        QImage smaller = ramp(200, 100);
        m_pane->show2DImage(smaller, false);
        QCOMPARE(panel()->imageSize(), QSize(200, 100));
        QCOMPARE(panel()->worker()->roi().endRow, 100u);

        QPointer<GreyHistogramDialog> dialog = tool()->dialog();
        CalculateGreyThread* worker = panel()->worker();
        QSignalSpy finished(worker, &QThread::finished);
        m_pane->resetCamera();  // the camera went away
        QVERIFY(!tool()->isOpen());
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(finished.count(), 1);

        // A released pane shows nothing to measure until a new frame arrives.
        QVERIFY(!m_pane->view2D()->btnGreyHistogram->isEnabled());
        openOnRamp();  // the pane goes with the histogram open
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
