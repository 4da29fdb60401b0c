// SPDX-License-Identifier: Apache-2.0
// Range and grey image label: backgrounds, fitting, wheel zoom and the XYZ read-out.
#include <QGraphicsView>
#include <QtTest>
#include <memory>

#include "ImageWndLabel.h"
#include "NuvPixelFormat.h"
#include "ZMKImageView.h"

class TestImageWndLabel : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_host;
    ImageWndLabel* m_label = nullptr;
    QPoint m_cursor;

    ZMKImageView* view() const { return qobject_cast<ZMKImageView*>(m_label->viewWidget()); }
    QPoint at(int x, int y) const {
        const QPointF d = view()->viewportTransform().map(QPointF(x + 0.5, y + 0.5));
        return QPoint(int(std::floor(d.x())), int(std::floor(d.y())));
    }
    void wheel() {
        QWheelEvent event(QPointF(50, 50), QPointF(view()->viewport()->mapToGlobal(QPoint(50, 50))), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view()->viewport(), &event);
    }
    void hover(const QPoint& pos) {
        const QPoint w = view()->viewport()->mapTo(m_host.get(), pos);
        if (pos == m_cursor) QTest::mouseMove(m_host->windowHandle(), w + QPoint(1, 1));
        QTest::mouseMove(m_host->windowHandle(), w);
        m_cursor = pos;
    }
    static NuvRangeImage makeRange() {
        NuvRangeImage range(100, 50, 2);
        range.SetInfo(0.01, 500.0, 0.1, 0.0, 0.2, 0.0);
        reinterpret_cast<quint16*>(range.line(10))[20] = 1000;
        return range;
    }

private slots:
    void init() {
        m_host = std::make_unique<QWidget>();
        m_host->resize(400, 300);
        m_label = new ImageWndLabel(m_host.get());
        m_label->setGeometry(0, 0, 400, 300);
        m_host->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
    }

    void cleanup() { m_host.reset(); }

    void callsBeforeCreateAndAfterDestroy() {
        NuvImage img(10, 10, NuvPixelFormat::Mono8);
        for (int pass = 0; pass < 2; ++pass) {
            QCOMPARE(m_label->showToolbar(false), -1);
            QCOMPARE(m_label->showScrollbar(true), -1);
            QCOMPARE(m_label->setRangeDisplayXYZ(true), -1);
            QCOMPARE(m_label->setRangeImageMode(true, makeRange()), -1);
            QCOMPARE(m_label->setBackground(&img, 0), -1);
            QCOMPARE(m_label->clearBackground(), -1);
            QVERIFY(!m_label->hasBackground());
            QCOMPARE(m_label->destroy(true, true), -1);
            QVERIFY(m_label->readoutText().isEmpty());
            if (pass == 0) {
                QCOMPARE(m_label->create(true, 0, true, true), 0);
                QCOMPARE(m_label->setBackground(&img, 0), 0);
                QCOMPARE(m_label->destroy(true, true), 0);
                QCOMPARE(m_label->viewWidget(), nullptr);
            }
        }
    }

    // Colour backgrounds are shown by rangeReadout.
    void backgroundSetAndClear() {
        QCOMPARE(m_label->create(true, 0, true, true), 0);
        QCOMPARE(m_label->showToolbar(false), 0);
        QCOMPARE(m_label->showScrollbar(true), 0);
        NuvImage img(800, 200, NuvPixelFormat::Mono8);
        QCOMPARE(m_label->setBackground(&img, 0), 0);
        QVERIFY(m_label->hasBackground());
        // Fitted: the wide image fills the width.
        QVERIFY(std::fabs(view()->zoomFactor() - 400.0 / 800.0) < 1e-9);
        QCOMPARE(m_label->setBackground(nullptr, 0), -1);
        QCOMPARE(m_label->setBackground(&img, 1), -1);
        NuvImage empty;
        QCOMPARE(m_label->setBackground(&empty, 0), -1);
        QVERIFY(m_label->hasBackground());
        QCOMPARE(m_label->clearBackground(), 0);
        QVERIFY(!m_label->hasBackground());
        // destroy(true, false) releases the image but keeps the view.
        QCOMPARE(m_label->setBackground(&img, 0), 0);
        QCOMPARE(m_label->destroy(true, false), 0);
        QVERIFY(!m_label->hasBackground());
        QCOMPARE(m_label->setBackground(&img, 0), 0);
    }

    void fittingFollowsResizeAndNewSizesNotTheUsersZoom() {
        QCOMPARE(m_label->create(true, 0, true, true), 0);
        NuvImage img(200, 600, NuvPixelFormat::Mono8);
        QCOMPARE(m_label->setBackground(&img, 0), 0);
        QVERIFY(std::fabs(view()->zoomFactor() - 0.5) < 1e-9);
        m_label->resize(400, 150);
        QTRY_VERIFY(std::fabs(view()->zoomFactor() - 0.25) < 1e-9);
        wheel();
        QVERIFY(std::fabs(view()->zoomFactor() - 0.25 * ZMKImageView::kZoomStep) < 1e-9);
        QCOMPARE(m_label->setBackground(&img, 0), 0);  // same size: the user's zoom stays
        QVERIFY(std::fabs(view()->zoomFactor() - 0.25 * ZMKImageView::kZoomStep) < 1e-9);
        NuvImage other(400, 150, NuvPixelFormat::Mono8);
        QCOMPARE(m_label->setBackground(&other, 0), 0);
        QVERIFY(std::fabs(view()->zoomFactor() - 1.0) < 1e-9);
        // Created without wheel zoom, the wheel leaves the fitted zoom alone.
        QCOMPARE(m_label->create(true, 0, false, true), 0);
        QCOMPARE(m_label->setBackground(&img, 0), 0);
        wheel();
        QVERIFY(std::fabs(view()->zoomFactor() - 0.25) < 1e-9);
    }

    void rangeReadout() {
        QCOMPARE(m_label->create(true, 0, true, true), 0);
        QCOMPARE(m_label->setRangeDisplayXYZ(true), 0);
        NuvRangeImage range = makeRange();
        QCOMPARE(m_label->setRangeImageMode(true, range), 0);
        // The owner reuses its buffer for the next scan; the read-out keeps the old values.
        reinterpret_cast<quint16*>(range.line(10))[20] = 7;
        NuvImage colours(100, 50, NuvPixelFormat::RGB8);
        QCOMPARE(m_label->setBackground(&colours, 0), 0);
        hover(at(20, 10));
        QTRY_VERIFY(!m_label->readoutText().isEmpty());
        QCOMPARE(m_label->readoutText(), QStringLiteral("X: 2.000  Y: 2.000  Z: 15.000"));
        hover(at(21, 10));
        QCOMPARE(m_label->readoutText(), QStringLiteral("X: 2.100  Y: 2.000  Z: invalid"));
        // Without XYZ the read-out shows the displayed pixel.
        QCOMPARE(m_label->setRangeDisplayXYZ(false), 0);
        hover(at(20, 10));
        QVERIFY(m_label->readoutText().startsWith(QStringLiteral("X: 20  Y: 10  Value: 0")));
        QCOMPARE(m_label->setRangeDisplayXYZ(true), 0);
        QCOMPARE(m_label->setRangeImageMode(false, NuvRangeImage()), 0);
        hover(at(20, 11));
        QVERIFY(m_label->readoutText().startsWith(QStringLiteral("X: 20  Y: 11")));
        QCOMPARE(m_label->setRangeImageMode(true, NuvRangeImage()), -1);
        // A colour image of half the range image's size still finds the sample under the cursor:
        // the top-left quarter of a shown pixel is the sample at twice its position.
        QCOMPARE(m_label->setRangeImageMode(true, makeRange()), 0);
        NuvImage half(50, 25, NuvPixelFormat::BGR8);
        QCOMPARE(m_label->setBackground(&half, 0), 0);
        const QPointF quarter = view()->viewportTransform().map(QPointF(10.2, 5.2));
        hover(QPoint(int(std::floor(quarter.x())), int(std::floor(quarter.y()))));
        QTRY_COMPARE(m_label->readoutText(), QStringLiteral("X: 2.000  Y: 2.000  Z: 15.000"));
        hover(at(10, 5));
        QTRY_COMPARE(m_label->readoutText(), QStringLiteral("X: 2.100  Y: 2.200  Z: invalid"));
    }
};

QTEST_MAIN(TestImageWndLabel)
#include "tst_imagewndlabel.moc"
