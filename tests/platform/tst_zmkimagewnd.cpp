// SPDX-License-Identifier: Apache-2.0
// Backgrounds, pixel read-out, rendering, zoom and life cycle of the 2D display widget, and its shapes
// and overlays with their mouse editing.
#include <QGraphicsView>
#include <QScrollBar>
#include <QtTest>
#include <cmath>
#include <limits>
#include <opencv2/imgproc.hpp>

#include "DisplayHost.h"
#include "NuvImage.h"
#include "NuvOverlay.h"
#include "NuvPixelFormat.h"
#include "NuvROI.h"
#include "ZMKImageView.h"
#include "ZMKImageWnd.h"

Q_DECLARE_METATYPE(NuvImage)
Q_DECLARE_METATYPE(NuvROI)
Q_DECLARE_METATYPE(ZMKDisplayRange)

namespace {
// A frame of the given format full of noise: every channel, row and column differs.
NuvImage noiseImage(int w, int h, uint32_t format) {
    NuvImage img(w, h, format);
    cv::randu(img.mat(), cv::Scalar::all(0), cv::Scalar::all(img.mat().depth() == CV_16U ? 65536 : 256));
    return img;
}

// Smooth colour gradients (R, G, B order), optionally with a one-pixel checker of +-20 on top that
// any 2x2 average cancels but a nearest sample keeps.
cv::Mat gradientRgb(int w, int h, bool checker) {
    cv::Mat m(h, w, CV_8UC3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double d = checker ? (((x + y) & 1) ? 20.0 : -20.0) : 0.0;
            auto& p = m.at<cv::Vec3b>(y, x);
            p[0] = cv::saturate_cast<uchar>(128 + 80 * std::sin(x / 90.0) + 25 * std::cos(y / 70.0) + d);
            p[1] = cv::saturate_cast<uchar>(40 + 150.0 * y / h + d);
            p[2] = cv::saturate_cast<uchar>(200 - 150.0 * x / w + d);
        }
    }
    return m;
}

// `rgb` as a frame of `format`, and the picture it shows at full resolution before any display
// stretch (grey frames as one channel).
NuvImage frameOf(const cv::Mat& rgb, uint32_t format, cv::Mat* looks) {
    NuvImage img(rgb.cols, rgb.rows, format);
    cv::Mat red;
    cv::extractChannel(rgb, red, 0);
    switch (format) {
        case NuvPixelFormat::Mono8:
            red.copyTo(img.mat());
            break;
        case NuvPixelFormat::Mono16:
            red.convertTo(img.mat(), CV_16U, 256.0, 100.0);  // up to the top bit of the samples
            break;
        case NuvPixelFormat::RGB8:
            rgb.copyTo(img.mat());
            break;
        case NuvPixelFormat::BGR8:
            cv::cvtColor(rgb, img.mat(), cv::COLOR_RGB2BGR);
            break;
        case NuvPixelFormat::BayerRG8:  // R G / G B cells
            for (int y = 0; y < rgb.rows; ++y) {
                for (int x = 0; x < rgb.cols; ++x)
                    img.mat().at<uchar>(y, x) = rgb.at<cv::Vec3b>(y, x)[(y & 1) + (x & 1)];
            }
            break;
    }
    *looks = img.channels() == 1 && format != NuvPixelFormat::BayerRG8 ? img.mat() : rgb;
    return img;
}

// A scaled picture from frameOf() as 8-bit RGB; 16-bit grey is stretched over the frame's range.
cv::Mat displayed(const cv::Mat& scaled, const NuvImage& frame) {
    cv::Mat out = scaled;
    if (out.depth() == CV_16U) {
        double lo = 0, hi = 0;
        cv::minMaxLoc(frame.mat(), &lo, &hi);
        out.convertTo(out, CV_8U, 255.0 / (hi - lo), -lo * 255.0 / (hi - lo));
    }
    if (out.channels() == 1) cv::cvtColor(out, out, cv::COLOR_GRAY2RGB);
    return out;
}

NuvROI rect(double x1, double y1, double x2, double y2) {
    NuvROI r;
    r.GenRect(NuvPoint(x1, y1), NuvPoint(x2, y2));
    return r;
}

NuvROI rect2(double cx, double cy, double l1, double l2, double angle) {
    NuvROI r;
    r.GenRect2(NuvPoint(cx, cy), l1, l2, angle);
    return r;
}

NuvROI line(double x1, double y1, double x2, double y2) {
    NuvROI r;
    r.GenLine(NuvPoint(x1, y1), NuvPoint(x2, y2));
    return r;
}

QPointF toQ(const NuvPoint& p) {
    return QPointF(p.x, p.y);
}

// Every corner (end point) of `after` lies within `tolerance` of the one of `before` shifted by `delta`.
bool shiftedBy(const NuvROI& before, const NuvROI& after, const QPointF& delta, double tolerance = 1e-6) {
    const NuvPointArray a = before.corners(), b = after.corners();
    if (a.size() != b.size() || before.type() != after.type()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (QLineF(toQ(a[i]) + delta, toQ(b[i])).length() > tolerance) return false;
    }
    return true;
}
}  // namespace

class TestZMKImageWnd : public QObject, protected TestSupport::DisplayHost {
    Q_OBJECT

private:
    // Viewport pixel whose centre lies on image point p.
    QPoint at(const QPointF& p) const {
        const QPointF d = view()->viewportTransform().map(p);
        return QPoint(int(std::floor(d.x())), int(std::floor(d.y())));
    }
    // Viewport position of the centre of image pixel (x, y).
    QPoint pixelPos(int x, int y) const { return at(QPointF(x + 0.5, y + 0.5)); }
    QPointF imageAt(const QPoint& viewportPos) const { return view()->mapToImage(viewportPos); }
    // Press, move in a few steps, release; returns the image-space displacement of the mouse.
    QPointF drag(const QPoint& from, const QPoint& to) {
        press(from);
        for (int i = 1; i <= 4; ++i)
            hover(from + (to - from) * i / 4);
        release(to);
        return imageAt(to) - imageAt(from);
    }
    // The shape's ROI as the widget reports it; an empty ROI when the call fails.
    NuvROI shapeOf(int id) const {
        NuvROI r;
        return m_wnd->getROIShape(id, &r) == 0 ? r : NuvROI();
    }
    QImage rendered() const {
        return view()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    // Every case starts on a blank 400x300 frame at 1:1; the background cases show their own frames.
    void init() {
        QVERIFY(openDisplay());
        QCOMPARE(m_wnd->setBackground(NuvImage(400, 300, NuvPixelFormat::Mono8)), 0);
        QCOMPARE(m_wnd->zoomReset(), 0);
    }
    void cleanup() { closeDisplay(); }

    void badCallsFailCleanly() {
        // Bad frames are refused.
        QCOMPARE(m_wnd->setBackground(noiseImage(8, 6, NuvPixelFormat::Mono8)), 0);
        QCOMPARE(m_wnd->setBackground(QImage()), -1);
        QCOMPARE(m_wnd->setBackground(NuvImage()), -1);
        QCOMPARE(m_wnd->setBackground(NuvImage(4, 4, 0x12345678u)), -1);
        QCOMPARE(m_wnd->getBackground(static_cast<QImage*>(nullptr)), -1);
        NuvImage back;
        QCOMPARE(m_wnd->getBackground(&back), 0);
        QCOMPARE(back.width(), 8);  // the last good frame stays
        QCOMPARE(m_wnd->clear(), 0);
        QCOMPARE(m_wnd->getBackground(&back), -1);
        QVERIFY(back.isEmpty());
        // Never created, destroyed, and deleted by the host under our feet: every call fails cleanly.
        ZMKImageWnd never;
        QCOMPARE(never.create(0), -1);
        QCOMPARE(m_wnd->destory(), 0);
        QCOMPARE(m_wnd->destory(), -1);
        ZMKImageWnd hostDeleted;
        QCOMPARE(hostDeleted.create(reinterpret_cast<qint64>(m_host.get())), 0);
        m_host.reset();
        NuvROI roi;
        roi.GenRect(NuvPoint(0, 0), NuvPoint(10, 10));
        QImage q;
        NuvImage n;
        for (ZMKImageWnd* wnd : {&never, m_wnd.get(), &hostDeleted}) {
            QCOMPARE(wnd->widget(), nullptr);
            QCOMPARE(wnd->move(0, 0, 10, 10), -1);
            QCOMPARE(wnd->setBackground(noiseImage(4, 4, NuvPixelFormat::Mono8)), -1);
            QCOMPARE(wnd->getBackground(&q) + wnd->getBackground(&n), -2);
            QCOMPARE(wnd->zoomIn() + wnd->zoomFitWnd() + wnd->zoom(2.0), -3);
            QCOMPARE(wnd->displayROI(roi, ZMKImageWnd::LayerShape), -1);
            QCOMPARE(wnd->getROIShape(0, &roi), -1);
            QCOMPARE(wnd->drawRect(), -1);
            QCOMPARE(wnd->clearLayer(ZMKImageWnd::LayerOverlay), -1);
            QCOMPARE(wnd->destory(), -1);
        }
    }

    void nuvBackgroundRoundTrip_data() {
        QTest::addColumn<NuvImage>("image");
        QTest::addColumn<int>("qformat");
        QTest::newRow("Mono8") << noiseImage(37, 21, NuvPixelFormat::Mono8) << int(QImage::Format_Grayscale8);
        QTest::newRow("Mono16") << noiseImage(37, 21, NuvPixelFormat::Mono16)
                                << int(QImage::Format_Grayscale16);
        QTest::newRow("RGB8") << noiseImage(37, 21, NuvPixelFormat::RGB8) << int(QImage::Format_RGB888);
        QTest::newRow("BGR8") << noiseImage(37, 21, NuvPixelFormat::BGR8) << int(QImage::Format_BGR888);
    }

    // A frame over the giver's buffer is copied: the giver reusing its buffer changes nothing shown.
    // A frame with pixels of its own is kept when the giver drops it.
    void nuvBackgroundRoundTrip() {
        QFETCH(NuvImage, image);
        QFETCH(int, qformat);
        const NuvImage original = image.clone();
        NuvImage wrapped(image.width(), image.height(), image.pixelFormat(), image.data(), image.step(),
                         false);
        QCOMPARE(m_wnd->setBackground(wrapped), 0);
        image.mat().setTo(cv::Scalar::all(1));
        NuvImage back;
        QCOMPARE(m_wnd->getBackground(&back), 0);
        QCOMPARE(cv::norm(back.mat(), original.mat(), cv::NORM_INF), 0.0);
        NuvImage handed = original.clone();
        QCOMPARE(m_wnd->setBackground(handed), 0);
        handed = NuvImage();  // the giver lets go of its frame
        QCOMPARE(m_wnd->getBackground(&back), 0);
        QCOMPARE(back.pixelFormat(), original.pixelFormat());
        QVERIFY(back.mat().size() == original.mat().size());
        QCOMPARE(cv::norm(back.mat(), original.mat(), cv::NORM_INF), 0.0);
        QImage q;
        QCOMPARE(m_wnd->getBackground(&q), 0);
        QCOMPARE(int(q.format()), qformat);
        QCOMPARE(q.size(), QSize(37, 21));
        // Rows written into the display (the live range pages) never reach a frame its giver still holds.
        NuvImage kept = original.clone();
        QCOMPARE(m_wnd->setBackground(kept), 0);
        view()->updateBackgroundRows(NuvImage(kept.width(), 2, kept.pixelFormat()), 3);
        QCOMPARE(cv::norm(kept.mat(), original.mat(), cv::NORM_INF), 0.0);
    }

    void qimageBackgroundRoundTrip_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("Grayscale8") << int(QImage::Format_Grayscale8);
        QTest::newRow("Grayscale16") << int(QImage::Format_Grayscale16);
        QTest::newRow("RGB888") << int(QImage::Format_RGB888);
        QTest::newRow("RGB32") << int(QImage::Format_RGB32);
        QTest::newRow("ARGB32") << int(QImage::Format_ARGB32);
        QTest::newRow("RGB16") << int(QImage::Format_RGB16);
        QTest::newRow("Indexed8") << int(QImage::Format_Indexed8);
    }

    void qimageBackgroundRoundTrip() {
        QFETCH(int, format);
        QImage src(23, 17, QImage::Format_RGB32);
        for (int y = 0; y < src.height(); ++y) {
            for (int x = 0; x < src.width(); ++x)
                src.setPixel(x, y, qRgb(x * 10, y * 12, 100));
        }
        const QImage image = src.convertToFormat(QImage::Format(format));
        // A frame over a buffer the caller reuses must be copied, not referenced.
        QByteArray buffer(reinterpret_cast<const char*>(image.constBits()), int(image.sizeInBytes()));
        QImage wrapped(reinterpret_cast<uchar*>(buffer.data()), image.width(), image.height(),
                       image.bytesPerLine(), image.format());
        wrapped.setColorTable(image.colorTable());
        QCOMPARE(m_wnd->setBackground(wrapped), 0);
        buffer.fill('\x7f');
        QImage back;
        QCOMPARE(m_wnd->getBackground(&back), 0);
        QCOMPARE(back.format(), image.format());
        QCOMPARE(back, image);
    }

    void pixelReadout_data() {
        QTest::addColumn<NuvImage>("image");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<float>("value");
        NuvImage mono8(16, 8, NuvPixelFormat::Mono8);
        mono8.mat().at<uchar>(5, 9) = 201;
        QTest::newRow("Mono8") << mono8 << 9 << 5 << QList<int>{201, 201, 201} << 201.0f;
        NuvImage mono16(16, 8, NuvPixelFormat::Mono16);
        mono16.mat().setTo(100);
        mono16.mat().at<quint16>(3, 4) = 40000;  // far beyond 8 bits: must come back unscaled
        QTest::newRow("Mono16") << mono16 << 4 << 3 << QList<int>{40000, 40000, 40000} << 40000.0f;
        NuvImage rgb(16, 8, NuvPixelFormat::RGB8);
        rgb.mat().at<cv::Vec3b>(2, 7) = cv::Vec3b(200, 100, 50);
        QTest::newRow("RGB8") << rgb << 7 << 2 << QList<int>{200, 100, 50}
                              << (0.299f * 200 + 0.587f * 100 + 0.114f * 50);
        NuvImage bgr(16, 8, NuvPixelFormat::BGR8);
        bgr.mat().at<cv::Vec3b>(2, 7) = cv::Vec3b(50, 100, 200);  // OpenCV order: blue first
        QTest::newRow("BGR8") << bgr << 7 << 2 << QList<int>{200, 100, 50}
                              << (0.299f * 200 + 0.587f * 100 + 0.114f * 50);
    }

    void pixelReadout() {
        QFETCH(NuvImage, image);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QList<int>, values);
        QFETCH(float, value);
        QCOMPARE(m_wnd->setBackground(image), 0);
        QCOMPARE(m_wnd->zoom(20.0), 0);  // big pixels: the cursor lands squarely inside one
        QCOMPARE(m_wnd->showStatusbar(true), 0);
        QSignalSpy spy(m_wnd.get(), &ZMKImageWnd::imgInfo);
        hover(QPoint(5, 5));  // the small frame sits centred: (5, 5) and (6, 6) are background
        hover(QPoint(6, 6));
        QCOMPARE(m_wnd->enablePixelVisible(false), 0);
        hover(pixelPos(x, y));
        QCOMPARE(spy.count(), 0);
        QCOMPARE(m_wnd->enablePixelVisible(true), 0);
        hover(pixelPos(x, y));
        QTRY_VERIFY(!spy.isEmpty());
        const QList<QVariant> args = spy.takeLast();
        QCOMPARE(args.at(0).toDouble(), double(x));
        QCOMPARE(args.at(1).toDouble(), double(y));
        QCOMPARE((QList<int>{args.at(2).toInt(), args.at(3).toInt(), args.at(4).toInt()}), values);
        QVERIFY(std::fabs(args.at(5).toFloat() - value) < 1e-3f);
        // The status line shows the same position and true values.
        const QString shown =
            values[0] == values[2]
                ? QStringLiteral("Value: %1").arg(values[0])
                : QStringLiteral("RGB: %1, %2, %3").arg(values[0]).arg(values[1]).arg(values[2]);
        QVERIFY(
            view()->statusText().startsWith(QStringLiteral("X: %1  Y: %2  %3  ").arg(x).arg(y).arg(shown)));
    }

    void renderingShowsTheFrame_data() {
        QTest::addColumn<NuvImage>("image");
        QTest::addColumn<QRgb>("left");
        QTest::addColumn<QRgb>("right");
        NuvImage mono8(2048, 1024, NuvPixelFormat::Mono8);
        mono8.mat().colRange(1024, 2048).setTo(255);
        QTest::newRow("Mono8 fitted") << mono8 << qRgb(0, 0, 0) << qRgb(255, 255, 255);
        // 16-bit frames are stretched over their own range.
        NuvImage mono16(300, 200, NuvPixelFormat::Mono16);
        mono16.mat().colRange(0, 150).setTo(1000);
        mono16.mat().colRange(150, 300).setTo(2000);
        QTest::newRow("Mono16 stretched") << mono16 << qRgb(0, 0, 0) << qRgb(255, 255, 255);
        NuvImage bgr(300, 200, NuvPixelFormat::BGR8);
        bgr.mat().colRange(0, 150).setTo(cv::Scalar(0, 0, 255));
        bgr.mat().colRange(150, 300).setTo(cv::Scalar(255, 0, 0));
        QTest::newRow("BGR8") << bgr << qRgb(255, 0, 0) << qRgb(0, 0, 255);
        NuvImage rgb(300, 200, NuvPixelFormat::RGB8);
        rgb.mat().colRange(0, 150).setTo(cv::Scalar(0, 255, 0));
        rgb.mat().colRange(150, 300).setTo(cv::Scalar(10, 20, 30));
        QTest::newRow("RGB8") << rgb << qRgb(0, 255, 0) << qRgb(10, 20, 30);
    }

    void renderingShowsTheFrame() {
        QFETCH(NuvImage, image);
        QFETCH(QRgb, left);
        QFETCH(QRgb, right);
        QCOMPARE(m_wnd->setBackground(image), 0);
        for (int pass = 0; pass < 2; ++pass) {
            // First fitted (downscaled), then magnified around the centre.
            if (pass == 0) QCOMPARE(m_wnd->zoomFitWnd(), 0);
            if (pass == 1) QCOMPARE(m_wnd->zoom(3.0), 0);
            const QImage shot = rendered();
            const QPoint l = pixelPos(image.width() / 2 - 2, image.height() / 2);
            const QPoint r = pixelPos(image.width() / 2 + 1, image.height() / 2);
            QCOMPARE(shot.pixel(l), left);
            QCOMPARE(shot.pixel(r), right);
        }
    }

    // A deep frame of blocks 250 pixels wide, one value each: shrunk at fit or shown 1:1, a block's
    // middle shows the block's own mapping.
    void displayRangeMapsBlocks_data() {
        QTest::addColumn<ZMKDisplayRange>("range");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QList<QRgb>>("shown");
        ZMKDisplayRange fixed;
        fixed.mode = ZMKDisplayRange::Mode::Fixed;
        fixed.minimum = 1000;
        fixed.maximum = 3000;
        QTest::newRow("fixed: min black, max white, clamped outside")
            << fixed << QList<int>{0, 999, 1000, 2000, 3000, 4095}
            << QList<QRgb>{qRgb(0, 0, 0),       qRgb(0, 0, 0),       qRgb(0, 0, 0),
                           qRgb(128, 128, 128), qRgb(255, 255, 255), qRgb(255, 255, 255)};
        ZMKDisplayRange gamma = fixed;
        gamma.minimum = 0;
        gamma.maximum = 4000;
        gamma.gamma = 2.0;  // the middle of the range at 255 * sqrt(1/2)
        QTest::newRow("gamma 2 lifts the midpoint")
            << gamma << QList<int>{0, 2000, 4000}
            << QList<QRgb>{qRgb(0, 0, 0), qRgb(180, 180, 180), qRgb(255, 255, 255)};
        gamma.gamma = 0.5;
        QTest::newRow("gamma 0.5 lowers it")
            << gamma << QList<int>{0, 2000, 4000}
            << QList<QRgb>{qRgb(0, 0, 0), qRgb(64, 64, 64), qRgb(255, 255, 255)};
        ZMKDisplayRange saturated = fixed;
        saturated.maximum = 4000;
        saturated.markSaturated = true;
        QTest::newRow("saturated in red, nothing below")
            << saturated << QList<int>{3999, 4000, 4095, 1000}
            << QList<QRgb>{qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 0)};
        saturated.saturationColour = QColor(0, 200, 255);
        QTest::newRow("saturated in a colour of the user's")
            << saturated << QList<int>{3999, 4095} << QList<QRgb>{qRgb(255, 255, 255), qRgb(0, 200, 255)};
        ZMKDisplayRange percentile;
        percentile.mode = ZMKDisplayRange::Mode::Percentile;
        QTest::newRow("percentile 0.1..99.9 past hot pixels")
            << percentile << QList<int>{1000, 1500, 2000}
            << QList<QRgb>{qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(255, 255, 255)};
        ZMKDisplayRange continuous;
        continuous.markSaturated = false;
        QTest::newRow("continuous: the frame's own extremes")
            << continuous << QList<int>{100, 150, 300}
            << QList<QRgb>{qRgb(0, 0, 0), qRgb(64, 64, 64), qRgb(255, 255, 255)};
    }

    void displayRangeMapsBlocks() {
        QFETCH(ZMKDisplayRange, range);
        QFETCH(QList<int>, values);
        QFETCH(QList<QRgb>, shown);
        constexpr int kBlock = 250;
        NuvImage frame(kBlock * values.size(), 100, NuvPixelFormat::Mono16);
        for (int i = 0; i < values.size(); ++i)
            frame.mat().colRange(i * kBlock, (i + 1) * kBlock).setTo(values[i]);
        // Five hot pixels in a corner: only the percentile range looks past them.
        if (range.mode == ZMKDisplayRange::Mode::Percentile) frame.mat()(cv::Rect(0, 0, 5, 1)).setTo(65535);
        QCOMPARE(m_wnd->setDisplayRange(range), 0);
        QCOMPARE(m_wnd->setBackground(frame), 0);
        for (const double zoom : {0.0, 1.0}) {
            QCOMPARE(zoom > 0.0 ? m_wnd->zoom(zoom) : m_wnd->zoomFitWnd(), 0);
            const QImage shot = rendered();
            for (int i = 0; i < values.size(); ++i) {
                const QPoint p = pixelPos(i * kBlock + kBlock / 2, 50);
                if (!shot.rect().contains(p)) continue;  // 1:1 shows the middle blocks only
                if (shot.pixel(p) != shown[i])
                    qWarning() << "value" << values[i] << "zoom" << zoom << "shows" << QColor(shot.pixel(p));
                QCOMPARE(shot.pixel(p), shown[i]);
            }
        }
        // The read-out keeps the true value whatever the picture shows (1:1 shows the middle block).
        const int middle = values.size() / 2;
        QSignalSpy readout(m_wnd.get(), &ZMKImageWnd::imgInfo);
        hover(pixelPos(middle * kBlock + kBlock / 2, 50));
        QTRY_VERIFY(!readout.isEmpty());
        QCOMPARE(readout.last().at(5).toFloat(), float(values[middle]));
    }

    // 12-bit frames whose extremes change from frame to frame (a hot pixel coming and going, a dark
    // corner): an automatic range taken once, or a fixed one, shows the steady part of the picture
    // identically; the continuous range follows each frame.
    void deepFramesKeepTheirLevels_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("steady");
        QTest::newRow("auto once") << int(ZMKDisplayRange::Mode::AutoOnce) << true;
        QTest::newRow("fixed") << int(ZMKDisplayRange::Mode::Fixed) << true;
        QTest::newRow("percentile, few outliers") << int(ZMKDisplayRange::Mode::Percentile) << true;
        QTest::newRow("continuous") << int(ZMKDisplayRange::Mode::AutoContinuous) << false;
    }

    void deepFramesKeepTheirLevels() {
        QFETCH(int, mode);
        QFETCH(bool, steady);
        ZMKDisplayRange range;
        range.mode = ZMKDisplayRange::Mode(mode);
        range.minimum = 0;
        range.maximum = 4095;
        range.lowPercent = 0.6;  // inside the third column of values, the highest in the fourth last
        range.highPercent = 99.4;
        QCOMPARE(m_wnd->setDisplayRange(range), 0);
        QSignalSpy levels(m_wnd.get(), &ZMKImageWnd::displayLevelsChanged);
        QImage first;
        bool differed = false;
        for (int k = 0; k < 4; ++k) {
            NuvImage frame(400, 300, NuvPixelFormat::Mono16);
            for (int x = 0; x < 400; ++x)
                frame.mat().col(x).setTo(1000 + x * 5);
            // Extremes that change with every frame, in a few pixels at the edge.
            frame.mat()(cv::Rect(0, 0, 3, 3)).setTo(4095 - 700 * k);
            frame.mat()(cv::Rect(397, 297, 3, 3)).setTo(300 * k);
            QCOMPARE(m_wnd->setBackground(frame), 0);
            QImage shot = rendered().copy(QRect(pixelPos(20, 20), pixelPos(380, 280)));
            if (k == 0) first = shot;
            differed = differed || shot != first;
        }
        QCOMPARE(!differed, steady);
        if (mode == int(ZMKDisplayRange::Mode::AutoOnce)) {
            // Taken from the first frame and reported once; held afterwards.
            QCOMPARE(levels.count(), 1);
            QCOMPARE(m_wnd->displayRange().minimum, 0);
            QCOMPARE(m_wnd->displayRange().maximum, 4095);
            // Asked again, the frame shown answers at once.
            QCOMPARE(m_wnd->setDisplayRange(range), 0);
            QCOMPARE(m_wnd->displayRange().minimum, 900);
            QCOMPARE(m_wnd->displayRange().maximum, 2995);
        }
    }

    void badDisplayRangesAreRefused_data() {
        QTest::addColumn<ZMKDisplayRange>("range");
        ZMKDisplayRange r;
        r.mode = ZMKDisplayRange::Mode::Fixed;
        r.minimum = 3000;
        r.maximum = 3000;
        QTest::newRow("empty range") << r;
        r.minimum = -1;
        QTest::newRow("negative minimum") << r;
        r = ZMKDisplayRange();
        r.maximum = 70000;
        QTest::newRow("beyond 16 bits") << r;
        r = ZMKDisplayRange();
        r.lowPercent = 99.0;
        r.highPercent = 1.0;
        QTest::newRow("percentiles crossed") << r;
        r = ZMKDisplayRange();
        r.gamma = 0.0;
        QTest::newRow("gamma 0") << r;
        r.gamma = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("gamma NaN") << r;
    }

    void badDisplayRangesAreRefused() {
        QFETCH(ZMKDisplayRange, range);
        const ZMKDisplayRange before = m_wnd->displayRange();
        QCOMPARE(m_wnd->setDisplayRange(range), -1);
        QCOMPARE(m_wnd->displayRange(), before);
    }

    // At fit, a decimated frame looks like the full-resolution picture scaled by area averaging, for
    // the first frame of a size and for the frames of that size that follow it.
    void fittedFrameLooksLikeAStraightScale_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<uint>("format");
        QTest::addColumn<bool>("checker");
        QTest::addColumn<int>("tolerance");
        const QSize half(1600, 1200), odd(1200, 900);  // fitted at 1/2 and at 2/3 into 800x600
        QTest::newRow("Mono8 1/2 fine detail") << half << uint(NuvPixelFormat::Mono8) << true << 1;
        QTest::newRow("Mono16 1/2 fine detail") << half << uint(NuvPixelFormat::Mono16) << true << 1;
        QTest::newRow("RGB8 1/2 fine detail") << half << uint(NuvPixelFormat::RGB8) << true << 1;
        QTest::newRow("BGR8 1/2 fine detail") << half << uint(NuvPixelFormat::BGR8) << true << 1;
        // Shrunk four times, grey columns are summed in pairs first: still the plain average.
        const QSize quarter(3200, 2400);
        QTest::newRow("Mono8 1/4 fine detail") << quarter << uint(NuvPixelFormat::Mono8) << true << 1;
        QTest::newRow("Mono16 1/4 fine detail") << quarter << uint(NuvPixelFormat::Mono16) << true << 1;
        // Shrunk further, colour and 16-bit grey read two lines of each footprint, a mosaic one cell
        // line: pictures still look the same (an odd-sized footprint keeps a trace of the checker).
        const QSize fifth(4000, 3000);
        QTest::newRow("RGB8 1/4 fine detail") << quarter << uint(NuvPixelFormat::RGB8) << true << 1;
        QTest::newRow("RGB8 1/5") << fifth << uint(NuvPixelFormat::RGB8) << false << 1;
        // 422 device columns: the last ones are not a whole group of four.
        QTest::newRow("BGR8 1/5 narrow") << QSize(2110, 3000) << uint(NuvPixelFormat::BGR8) << false << 1;
        QTest::newRow("Mono16 1/5") << fifth << uint(NuvPixelFormat::Mono16) << false << 1;
        QTest::newRow("BayerRG8 1/5") << fifth << uint(NuvPixelFormat::BayerRG8) << false << 2;
        QTest::newRow("Mono8 2/3") << odd << uint(NuvPixelFormat::Mono8) << false << 1;
        QTest::newRow("Mono16 2/3") << odd << uint(NuvPixelFormat::Mono16) << false << 1;
        QTest::newRow("RGB8 2/3") << odd << uint(NuvPixelFormat::RGB8) << false << 1;
        // A mosaic's colours come from sites up to a pixel apart.
        QTest::newRow("BayerRG8 1/2") << half << uint(NuvPixelFormat::BayerRG8) << false << 2;
        QTest::newRow("BayerRG8 2/3") << odd << uint(NuvPixelFormat::BayerRG8) << false << 2;
    }

    void fittedFrameLooksLikeAStraightScale() {
        QFETCH(QSize, size);
        QFETCH(uint, format);
        QFETCH(bool, checker);
        QFETCH(int, tolerance);
        cv::Mat looks;
        const cv::Mat rgb = gradientRgb(size.width(), size.height(), checker);
        const NuvImage frame = frameOf(rgb, format, &looks);
        cv::Mat unused;
        const NuvImage other = frameOf(255 - rgb, format, &unused);
        QCOMPARE(m_wnd->zoomFitWnd(), 0);
        for (const NuvImage* shown : {&other, &frame}) {
            QCOMPARE(m_wnd->setBackground(*shown), 0);
            const QImage shot = rendered();
            if (shown == &other) continue;  // the second frame of the size is the one checked
            const QPoint topLeft = at(QPointF(0, 0));
            const QPoint bottomRight = at(QPointF(size.width(), size.height()));
            const cv::Size scaled(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y());
            QVERIFY(scaled.width < size.width() && scaled.width > 0);
            cv::Mat expected;
            cv::resize(looks, expected, scaled, 0, 0, cv::INTER_AREA);
            expected = displayed(expected, frame);
            int worst = 0;
            QPoint where;
            for (int y = 1; y < scaled.height - 1; ++y) {  // the outermost lines may be cut differently
                for (int x = 1; x < scaled.width - 1; ++x) {
                    const QRgb c = shot.pixel(topLeft + QPoint(x, y));
                    const cv::Vec3b e = expected.at<cv::Vec3b>(y, x);
                    const int d = std::max(
                        {std::abs(qRed(c) - e[0]), std::abs(qGreen(c) - e[1]), std::abs(qBlue(c) - e[2])});
                    if (d > worst) worst = d, where = QPoint(x, y);
                }
            }
            if (worst > tolerance) qWarning() << "largest difference" << worst << "at" << where;
            QVERIFY(worst <= tolerance);
        }
    }

    // Detail finer than a device pixel (alternating from one pixel or line to the next) shows as its
    // mean at fit, never as stripes of its extremes, however few of a footprint's lines are read.
    void fittedFineDetailShowsItsMean_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<uint>("format");
        QTest::addColumn<int>("pattern");  // 0: checkerboard, 1: alternate lines, 2: alternate columns
        const QSize fifth(4000, 3000), quarter(3200, 2400);  // fitted at 1/5 and 1/4 into 800x600
        QTest::newRow("RGB8 lines 1/5") << fifth << uint(NuvPixelFormat::RGB8) << 1;
        QTest::newRow("RGB8 checker 1/5") << fifth << uint(NuvPixelFormat::RGB8) << 0;
        QTest::newRow("RGB8 columns 1/5") << fifth << uint(NuvPixelFormat::RGB8) << 2;
        QTest::newRow("RGB8 lines 1/4") << quarter << uint(NuvPixelFormat::RGB8) << 1;
        QTest::newRow("BGR8 lines 1/5") << fifth << uint(NuvPixelFormat::BGR8) << 1;
        QTest::newRow("Mono16 lines 1/5") << fifth << uint(NuvPixelFormat::Mono16) << 1;
        QTest::newRow("Mono16 checker 1/5") << fifth << uint(NuvPixelFormat::Mono16) << 0;
        QTest::newRow("Mono8 lines 1/5") << fifth << uint(NuvPixelFormat::Mono8) << 1;
        // A mosaic shows each 2x2 cell's colour: sensor-level patterns give one colour everywhere.
        QTest::newRow("BayerRG8 checker 1/5") << fifth << uint(NuvPixelFormat::BayerRG8) << 0;
        QTest::newRow("BayerRG8 lines 1/5") << fifth << uint(NuvPixelFormat::BayerRG8) << 1;
    }

    void fittedFineDetailShowsItsMean() {
        QFETCH(QSize, size);
        QFETCH(uint, format);
        QFETCH(int, pattern);
        cv::Mat rgb(size.height(), size.width(), CV_8UC3);
        for (int y = 0; y < rgb.rows; ++y) {
            for (int x = 0; x < rgb.cols; ++x) {
                const int phase = pattern == 0 ? x + y : (pattern == 1 ? y : x);
                rgb.at<cv::Vec3b>(y, x) = cv::Vec3b::all(phase & 1 ? 255 : 0);
            }
        }
        cv::Mat looks;
        const NuvImage frame = frameOf(rgb, format, &looks);
        // The true mean of each colour as shown: a mosaic's red, green and blue sites apart.
        double mean[3] = {127.5, 127.5, 127.5};
        if (format == NuvPixelFormat::BayerRG8) {
            double sum[3] = {0, 0, 0}, count[3] = {0, 0, 0};
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 4; ++x) {
                    const int c = (y & 1) + (x & 1);
                    sum[c] += frame.mat().at<uchar>(y, x);
                    count[c] += 1;
                }
            }
            for (int c = 0; c < 3; ++c)
                mean[c] = sum[c] / count[c];
        }
        QCOMPARE(m_wnd->zoomFitWnd(), 0);
        QCOMPARE(m_wnd->setBackground(frame), 0);
        const QImage shot = rendered();
        const QPoint topLeft = at(QPointF(0, 0));
        const QPoint bottomRight = at(QPointF(size.width(), size.height()));
        QVERIFY(bottomRight.x() - topLeft.x() < size.width() / 3);
        // An area average itself leaves up to half the contrast over the footprint's width where a
        // footprint holds an odd count of pixels; stripes of the extremes would be far beyond that.
        const double footprint = double(size.width()) / (bottomRight.x() - topLeft.x());
        const double bound = 127.5 / footprint + 2.0;
        double worst = 0, total[3] = {0, 0, 0};
        int pixels = 0;
        QPoint where;
        for (int y = topLeft.y() + 1; y < bottomRight.y() - 1; ++y) {  // the outermost lines may be cut
            for (int x = topLeft.x() + 1; x < bottomRight.x() - 1; ++x) {
                const QRgb c = shot.pixel(x, y);
                const int v[3] = {qRed(c), qGreen(c), qBlue(c)};
                for (int k = 0; k < 3; ++k) {
                    total[k] += v[k];
                    if (std::abs(v[k] - mean[k]) > worst)
                        worst = std::abs(v[k] - mean[k]), where = QPoint(x, y);
                }
                ++pixels;
            }
        }
        if (worst > bound) qWarning() << "largest difference from the mean" << worst << "at" << where;
        QVERIFY(worst <= bound);
        for (int k = 0; k < 3; ++k) {
            if (std::abs(total[k] / pixels - mean[k]) > 3) qWarning() << "channel" << k << total[k] / pixels;
            QVERIFY(std::abs(total[k] / pixels - mean[k]) <= 3);
        }
    }

    // The read-out reports the frame's own values whatever the zoom shows.
    void readoutAtAnyZoomIsFullResolution_data() {
        QTest::addColumn<uint>("format");
        QTest::addColumn<double>("zoom");
        for (uint format :
             {uint(NuvPixelFormat::Mono16), uint(NuvPixelFormat::RGB8), uint(NuvPixelFormat::BayerGB8)}) {
            const char* name = format == NuvPixelFormat::Mono16
                                   ? "Mono16"
                                   : (format == NuvPixelFormat::RGB8 ? "RGB8" : "BayerGB8");
            for (double zoom : {-1.0, 0.37, 1.0, 2.5}) {
                QTest::addRow("%s zoom %s", name, zoom < 0 ? "fit" : qPrintable(QString::number(zoom)))
                    << format << zoom;
            }
        }
    }

    void readoutAtAnyZoomIsFullResolution() {
        QFETCH(uint, format);
        QFETCH(double, zoom);
        const NuvImage frame = noiseImage(1600, 1200, format);
        QVERIFY(!frame.isEmpty());
        QCOMPARE(m_wnd->setBackground(frame), 0);
        QCOMPARE(zoom < 0 ? m_wnd->zoomFitWnd() : m_wnd->zoom(zoom), 0);
        QSignalSpy spy(m_wnd.get(), &ZMKImageWnd::imgInfo);
        for (const QPoint& pos : {QPoint(401, 299), QPoint(523, 417), QPoint(298, 188)}) {
            hover(pos);
            QTRY_VERIFY(!spy.isEmpty());
            const QList<QVariant> args = spy.takeLast();
            spy.clear();
            const QPointF p = imageAt(pos);
            const int x = int(std::floor(p.x())), y = int(std::floor(p.y()));
            QCOMPARE(args.at(0).toDouble(), double(x));
            QCOMPARE(args.at(1).toDouble(), double(y));
            QList<int> want;
            if (frame.channels() == 3) {
                const cv::Vec3b v = frame.mat().at<cv::Vec3b>(y, x);
                want = {v[0], v[1], v[2]};
            } else {
                const int v = frame.mat().depth() == CV_16U ? frame.mat().at<quint16>(y, x)
                                                            : frame.mat().at<uchar>(y, x);
                want = {v, v, v};  // a mosaic reports the sensor's own sample
            }
            QCOMPARE((QList<int>{args.at(2).toInt(), args.at(3).toInt(), args.at(4).toInt()}), want);
        }
    }

    void renderingFollowsNewFrames() {
        NuvImage a(100, 50, NuvPixelFormat::Mono8);
        a.mat().setTo(10);
        QCOMPARE(m_wnd->setBackground(a), 0);
        const QPoint centre = pixelPos(50, 25);
        QCOMPARE(rendered().pixel(centre), qRgb(10, 10, 10));
        a.mat().setTo(90);  // a new frame of the same size must not reuse the cached picture
        QCOMPARE(m_wnd->setBackground(a), 0);
        QCOMPARE(rendered().pixel(centre), qRgb(90, 90, 90));
        QCOMPARE(m_wnd->clear(), 0);
        QVERIFY(rendered().pixel(centre) != qRgb(90, 90, 90));
    }

    void zoomStepsAndWheel() {
        QCOMPARE(m_wnd->setBackground(noiseImage(2048, 1024, NuvPixelFormat::Mono8)), 0);
        QCOMPARE(m_wnd->zoom(0.5), 0);
        QCOMPARE(m_wnd->zoomReset(), 0);
        QCOMPARE(m_wnd->zoomFactor(), 1.0);
        QCOMPARE(view()->mapFromImage(QPointF(0, 0)), QPoint(0, 0));  // reset shows the top left
        m_wnd->zoomIn();
        QCOMPARE(m_wnd->zoomFactor(), 1.25);
        m_wnd->zoomOut();
        m_wnd->zoomOut();
        QCOMPARE(m_wnd->zoomFactor(), 0.8);
        for (int i = 0; i < 100; ++i)
            m_wnd->zoomIn();
        QCOMPARE(m_wnd->zoomFactor(), ZMKImageView::kMaxZoom);
        for (int i = 0; i < 200; ++i)
            m_wnd->zoomOut();
        QCOMPARE(m_wnd->zoomFactor(), ZMKImageView::kMinZoom);
        QCOMPARE(m_wnd->zoom(1000.0), 0);
        QCOMPARE(m_wnd->zoomFactor(), ZMKImageView::kMaxZoom);
        for (double bad :
             {0.0, -2.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
            QCOMPARE(m_wnd->zoom(bad), -1);
        QCOMPARE(m_wnd->zoomFactor(), ZMKImageView::kMaxZoom);
        // The wheel zooms one step around the cursor.
        QCOMPARE(m_wnd->zoom(1.0), 0);
        const QPoint cursor(200, 150);
        const QPointF before = view()->mapToImage(cursor);
        QWheelEvent wheel(QPointF(cursor), QPointF(view()->viewport()->mapToGlobal(cursor)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view()->viewport(), &wheel);
        QCOMPARE(m_wnd->zoomFactor(), 1.25);
        QVERIFY(QLineF(before, view()->mapToImage(cursor)).length() < 1.0);
    }

    void zoomFitWnd_data() {
        QTest::addColumn<QSize>("imageSize");
        QTest::addColumn<QSize>("viewSize");
        QTest::addColumn<bool>("scrollBars");
        QTest::newRow("wide") << QSize(2048, 1024) << QSize(800, 600) << false;
        QTest::newRow("tall") << QSize(500, 3000) << QSize(800, 600) << false;
        QTest::newRow("small") << QSize(40, 30) << QSize(800, 600) << false;
        QTest::newRow("scroll bars on") << QSize(2048, 1024) << QSize(800, 600) << true;
        QTest::newRow("exact fit") << QSize(1600, 1200) << QSize(800, 600) << true;
    }

    void zoomFitWnd() {
        QFETCH(QSize, imageSize);
        QFETCH(QSize, viewSize);
        QFETCH(bool, scrollBars);
        QCOMPARE(m_wnd->showScrollbar(scrollBars), 0);
        QCOMPARE(m_wnd->move(0, 0, viewSize.width(), viewSize.height()), 0);
        QCOMPARE(
            m_wnd->setBackground(noiseImage(imageSize.width(), imageSize.height(), NuvPixelFormat::Mono8)),
            0);
        QCOMPARE(m_wnd->zoomFitWnd(), 0);
        const double expected = std::min(double(viewSize.width()) / imageSize.width(),
                                         double(viewSize.height()) / imageSize.height());
        QVERIFY(std::fabs(m_wnd->zoomFactor() - expected) < 1e-9);
        // Whole image visible and centred.
        const QPoint tl = view()->mapFromImage(QPointF(0, 0));
        const QPoint br = view()->mapFromImage(QPointF(imageSize.width(), imageSize.height()));
        QVERIFY(tl.x() >= 0 && tl.y() >= 0 && br.x() <= viewSize.width() && br.y() <= viewSize.height());
        QVERIFY(std::abs(tl.x() - (viewSize.width() - br.x())) <= 1);
        QVERIFY(std::abs(tl.y() - (viewSize.height() - br.y())) <= 1);
        QVERIFY(!view()->horizontalScrollBar()->isVisible() && !view()->verticalScrollBar()->isVisible());
    }

    void fitFollowsResizeUntilAnotherZoom() {
        QCOMPARE(m_wnd->setBackground(noiseImage(2048, 1024, NuvPixelFormat::Mono8)), 0);
        QCOMPARE(m_wnd->zoomFitWnd(), 0);
        QCOMPARE(m_wnd->move(0, 0, 400, 600), 0);
        QTRY_VERIFY(std::fabs(m_wnd->zoomFactor() - 400.0 / 2048.0) < 1e-9);
        // A frame of another size is fitted too.
        QCOMPARE(m_wnd->setBackground(noiseImage(100, 300, NuvPixelFormat::Mono8)), 0);
        QVERIFY(std::fabs(m_wnd->zoomFactor() - 2.0) < 1e-9);
        QCOMPARE(m_wnd->zoomIn(), 0);
        const double zoomed = m_wnd->zoomFactor();
        QCOMPARE(m_wnd->move(0, 0, 800, 600), 0);
        QCOMPARE(m_wnd->zoomFactor(), zoomed);
    }

    void leftDragOnEmptySpacePansAndClickReportsPosition() {
        QCOMPARE(m_wnd->setBackground(noiseImage(2048, 1024, NuvPixelFormat::Mono8)), 0);
        QCOMPARE(m_wnd->zoomReset(), 0);
        QSignalSpy clicks(m_wnd.get(), &ZMKImageWnd::mouseClicked);
        const QPointF pressed = view()->mapToImage(QPoint(400, 300));
        press(QPoint(400, 300), Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
        QVERIFY(std::fabs(clicks.at(0).at(0).toDouble() - pressed.x()) < 1.0);
        QVERIFY(std::fabs(clicks.at(0).at(1).toDouble() - pressed.y()) < 1.0);
        hover(QPoint(350, 280));
        hover(QPoint(300, 260));
        release(QPoint(300, 260), Qt::LeftButton);
        // The image point that was under the press follows the mouse.
        const QPointF under = view()->mapToImage(QPoint(300, 260));
        QVERIFY(QLineF(under, pressed).length() < 1.5);
        // Middle drag pans too.
        press(QPoint(300, 260), Qt::MiddleButton);
        hover(QPoint(320, 270));
        hover(QPoint(340, 280));
        release(QPoint(340, 280), Qt::MiddleButton);
        QVERIFY(QLineF(view()->mapToImage(QPoint(340, 280)), pressed).length() < 1.5);
        QCOMPARE(clicks.count(), 1);
    }

    void roiRoundTrip_data() {
        QTest::addColumn<NuvROI>("roi");
        QTest::addColumn<int>("layer");
        QTest::newRow("rect") << rect(10.25, 20, 110, 220.5) << 1;
        QTest::newRow("rect2") << rect2(150, 120.5, 80, 30, 30) << 1;
        QTest::newRow("rect2 negative angle") << rect2(50, 60, 10, 70, -120) << 1;
        QTest::newRow("line") << line(0, 0, 400, 300) << 1;
        QTest::newRow("line layer 0") << line(5, 6, 7, 8) << 0;
        QTest::newRow("rect outside image") << rect(-50, -50, 1000, 900) << 1;
    }

    void roiRoundTrip() {
        QFETCH(NuvROI, roi);
        QFETCH(int, layer);
        QCOMPARE(m_wnd->setPen(255, 0, 0, 2), 0);
        const int id = m_wnd->displayROI(roi, ZMKImageWnd::Layer(layer));
        QVERIFY(id >= 0);
        QVERIFY(shapeOf(id) == roi);
        // Zooming changes nothing in image coordinates.
        m_wnd->zoomIn();
        m_wnd->zoomFitWnd();
        QVERIFY(shapeOf(id) == roi);
    }

    void badShapesAndUnknownIds() {
        NuvROI none;
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(m_wnd->displayROI(none, ZMKImageWnd::LayerShape), -1);
        QCOMPARE(m_wnd->displayROI(rect(nan, 0, 10, 10), ZMKImageWnd::LayerShape), -1);
        QCOMPARE(m_wnd->displayROI(rect2(10, 10, 5, 5, std::numeric_limits<double>::infinity()),
                                   ZMKImageWnd::LayerShape),
                 -1);
        QCOMPARE(m_wnd->displayROI(rect(0, 0, 10, 10), ZMKImageWnd::Layer(7)), -1);
        NuvROI r;
        for (int id : {-1, 0, 12345}) {
            QCOMPARE(m_wnd->removeShape(id), -1);
            QCOMPARE(m_wnd->selectShape(id), -1);
            QCOMPARE(m_wnd->setShapeMovable(id, false), -1);
            QCOMPARE(m_wnd->setShapeSelectable(id, false), -1);
            QCOMPARE(m_wnd->getROIShape(id, &r), -1);
        }
        // Ids are never reused, overlays included; an overlay has no ROI.
        const int a = m_wnd->displayROI(rect(0, 0, 10, 10), ZMKImageWnd::LayerShape);
        QVERIFY(a >= 0);
        QCOMPARE(m_wnd->removeShape(a), 0);
        QCOMPARE(m_wnd->removeShape(a), -1);
        QCOMPARE(m_wnd->getROIShape(a, &r), -1);
        NuvOverlayPath circle;
        circle.addCircle(NuvPoint(5, 5), 2);
        const int overlay = m_wnd->displayOverlayPath(circle, ZMKImageWnd::LayerOverlay);
        QVERIFY(overlay > a);
        QCOMPARE(m_wnd->getROIShape(overlay, &r), -1);
        const int id = m_wnd->displayROI(rect(0, 0, 10, 10), ZMKImageWnd::LayerShape);
        QVERIFY(id > overlay);
        QCOMPARE(m_wnd->getROIShape(id, nullptr), -1);
        NuvOverlayPath empty;
        QCOMPARE(m_wnd->displayOverlayPath(empty, ZMKImageWnd::LayerOverlay), -1);
        NuvOverlayPath invalid;
        invalid.addCircle(NuvPoint(nan, 1), 3);
        invalid.addOverlay(NuvOverlay::polyline({NuvPoint(0, 0), NuvPoint(1, nan)}));
        QCOMPARE(m_wnd->displayOverlayPath(invalid, ZMKImageWnd::LayerOverlay), -1);
        QCOMPARE(m_wnd->clearLayer(ZMKImageWnd::Layer(3)), -1);
        QCOMPARE(m_wnd->setPen(1, 2, 3, std::numeric_limits<unsigned>::max()), 0);
        QVERIFY(m_wnd->displayROI(rect(0, 0, 10, 10), ZMKImageWnd::LayerShape) > id);
    }

    void dragMovesShape_data() {
        QTest::addColumn<NuvROI>("roi");
        QTest::addColumn<QPointF>("grip");
        QTest::addColumn<double>("zoom");
        QTest::newRow("rect 1:1") << rect(100, 100, 200, 150) << QPointF(150, 125) << 1.0;
        QTest::newRow("rect zoomed in") << rect(100, 100, 200, 150) << QPointF(150, 125) << 2.0;
        QTest::newRow("rect zoomed out") << rect(100, 100, 200, 150) << QPointF(150, 125) << 0.5;
        QTest::newRow("rect2") << rect2(200, 150, 120, 40, 45) << QPointF(200, 150) << 1.0;
        QTest::newRow("line") << line(50, 50, 250, 250) << QPointF(150, 150) << 1.5;
    }

    void dragMovesShape() {
        QFETCH(NuvROI, roi);
        QFETCH(QPointF, grip);
        QFETCH(double, zoom);
        QCOMPARE(m_wnd->zoom(zoom), 0);
        const int id = m_wnd->displayROI(roi, ZMKImageWnd::LayerShape);
        QSignalSpy clicked(m_wnd.get(), &ZMKImageWnd::shapeClicked);
        QSignalSpy moved(m_wnd.get(), &ZMKImageWnd::shapeMoved);
        QSignalSpy resized(m_wnd.get(), &ZMKImageWnd::shapeResized);
        const QPoint from = at(grip);
        const QPointF delta = drag(from, from + QPoint(30, 20));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).toLongLong(), qlonglong(id));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toLongLong(), qlonglong(id));
        QCOMPARE(resized.count(), 0);
        QVERIFY(std::fabs(delta.x() - 30.0 / zoom) < 1e-6);
        QVERIFY(shiftedBy(roi, shapeOf(id), delta));
        // A click without movement is no move.
        press(at(grip + delta));
        release(at(grip + delta));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(clicked.count(), 2);
    }

    void handleDragResizes_data() {
        QTest::addColumn<NuvROI>("roi");
        QTest::addColumn<QPointF>("handle");
        QTest::addColumn<QPointF>("target");
        QTest::addColumn<NuvROI>("expected");
        QTest::newRow("rect corner") << rect(100, 100, 200, 150) << QPointF(200, 150) << QPointF(240, 180)
                                     << rect(100, 100, 240, 180);
        QTest::newRow("rect top edge")
            << rect(100, 100, 200, 150) << QPointF(150, 100) << QPointF(170, 60) << rect(100, 60, 200, 150);
        QTest::newRow("rect corner crossing")
            << rect(100, 100, 200, 150) << QPointF(100, 100) << QPointF(250, 160) << rect(200, 150, 250, 160);
        QTest::newRow("line end") << line(50, 50, 250, 250) << QPointF(50, 50) << QPointF(20, 80)
                                  << line(20, 80, 250, 250);
        // Right edge of an unrotated Rect2 widens it; the left edge stays.
        QTest::newRow("rect2 edge") << rect2(200, 150, 100, 40, 0) << QPointF(250, 150) << QPointF(270, 150)
                                    << rect2(210, 150, 120, 40, 0);
        // The rotation grip sits 20 screen pixels beyond the right edge; straight up is 90 degrees.
        QTest::newRow("rect2 rotate") << rect2(200, 150, 100, 40, 0) << QPointF(270, 150) << QPointF(200, 50)
                                      << rect2(200, 150, 100, 40, 90);
    }

    void handleDragResizes() {
        QFETCH(NuvROI, roi);
        QFETCH(QPointF, handle);
        QFETCH(QPointF, target);
        QFETCH(NuvROI, expected);
        const int id = m_wnd->displayROI(roi, ZMKImageWnd::LayerShape);
        QCOMPARE(m_wnd->selectShape(id), 0);
        QSignalSpy moved(m_wnd.get(), &ZMKImageWnd::shapeMoved);
        QSignalSpy resized(m_wnd.get(), &ZMKImageWnd::shapeResized);
        QSignalSpy clicks(m_wnd.get(), &ZMKImageWnd::mouseClicked);
        // Aim at the pixel centres so that image positions come out whole.
        press(at(handle));
        hover(at(target + QPointF(0.5, 0.5)));
        release(at(target + QPointF(0.5, 0.5)));
        QCOMPARE(resized.count(), 1);
        QCOMPARE(resized.at(0).at(0).toLongLong(), qlonglong(id));
        QCOMPARE(moved.count(), 0);
        QCOMPARE(clicks.count(), 0);  // a handle press is not a click on the image
        QVERIFY(shiftedBy(expected, shapeOf(id), QPointF(), 0.6));
    }

    // Without selecting first: a press on an edge (anywhere along it) or a corner resizes, one
    // inside moves; a small shape keeps its middle for moving.
    void edgesAndCornersResizeInsideMoves_data() {
        QTest::addColumn<NuvROI>("roi");
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<NuvROI>("expected");
        QTest::addColumn<bool>("resize");
        QTest::newRow("rect right edge off its handle")
            << rect(100, 100, 200, 150) << QPointF(200, 110) << QPointF(240, 110) << rect(100, 100, 240, 150)
            << true;
        QTest::newRow("rect bottom left corner") << rect(100, 100, 200, 150) << QPointF(100, 150)
                                                 << QPointF(80, 170) << rect(80, 100, 200, 170) << true;
        QTest::newRow("rect inside") << rect(100, 100, 200, 150) << QPointF(150, 125) << QPointF(160, 125)
                                     << rect(110, 100, 210, 150) << false;
        QTest::newRow("small rect middle") << rect(100, 100, 112, 108) << QPointF(106, 104)
                                           << QPointF(116, 104) << rect(110, 100, 122, 108) << false;
        QTest::newRow("rect2 edge") << rect2(200, 150, 100, 40, 0) << QPointF(250, 160) << QPointF(270, 160)
                                    << rect2(210, 150, 120, 40, 0) << true;
        QTest::newRow("rect2 turned edge") << rect2(200, 150, 100, 40, 90) << QPointF(210, 100)
                                           << QPointF(210, 80) << rect2(200, 140, 120, 40, 90) << true;
        QTest::newRow("line end") << line(50, 50, 250, 250) << QPointF(250, 250) << QPointF(270, 230)
                                  << line(50, 50, 270, 230) << true;
    }

    void edgesAndCornersResizeInsideMoves() {
        QFETCH(NuvROI, roi);
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(NuvROI, expected);
        QFETCH(bool, resize);
        const int id = m_wnd->displayROI(roi, ZMKImageWnd::LayerShape);
        QSignalSpy moved(m_wnd.get(), &ZMKImageWnd::shapeMoved);
        QSignalSpy resized(m_wnd.get(), &ZMKImageWnd::shapeResized);
        QCOMPARE(view()->selectedShape(), -1);
        press(at(from));
        hover(at(to + QPointF(0.5, 0.5)));
        release(at(to + QPointF(0.5, 0.5)));
        QCOMPARE(resized.count(), resize ? 1 : 0);
        QCOMPARE(moved.count(), resize ? 0 : 1);
        QVERIFY(shiftedBy(expected, shapeOf(id), QPointF(), 0.6));
        QCOMPARE(view()->selectedShape(), id);
        // Pressing empty space drops the selection.
        press(QPoint(5, 5));
        release(QPoint(5, 5));
        QCOMPARE(view()->selectedShape(), -1);
    }

    // A rectangle dragged against the picture's border stops there at its size (the picture is
    // 400x300); a line is free to leave.
    void dragStopsAtTheBorderKeepingSize_data() {
        QTest::addColumn<NuvROI>("roi");
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<NuvROI>("expected");
        QTest::newRow("moved right") << rect(300, 100, 380, 200) << QPointF(340, 150) << QPointF(440, 150)
                                     << rect(320, 100, 400, 200);
        QTest::newRow("moved up and left")
            << rect(20, 30, 120, 80) << QPointF(70, 55) << QPointF(-30, -45) << rect(0, 0, 100, 50);
        QTest::newRow("full-height band")
            << rect(100, 0, 200, 300) << QPointF(150, 150) << QPointF(200, 190) << rect(150, 0, 250, 300);
        QTest::newRow("full-width band stays")
            << rect(0, 100, 400, 200) << QPointF(200, 150) << QPointF(260, 150) << rect(0, 100, 400, 200);
        QTest::newRow("edge past the border")
            << rect(100, 100, 200, 150) << QPointF(200, 125) << QPointF(450, 125) << rect(100, 100, 400, 150);
        QTest::newRow("turned rect") << rect2(300, 150, 100, 40, 45) << QPointF(300, 150) << QPointF(450, 150)
                                     << rect2(400 - 35 * std::sqrt(2.0), 150, 100, 40, 45);
        QTest::newRow("line leaves") << line(300, 100, 380, 200) << QPointF(340, 150) << QPointF(440, 150)
                                     << line(400, 100, 480, 200);
    }

    void dragStopsAtTheBorderKeepingSize() {
        QFETCH(NuvROI, roi);
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(NuvROI, expected);
        const int id = m_wnd->displayROI(roi, ZMKImageWnd::LayerShape);
        drag(at(from), at(to));
        QVERIFY(shiftedBy(expected, shapeOf(id), QPointF(), 0.6));
    }

    void rightPressAsksForTheShapesMenu() {
        const int id = m_wnd->displayROI(rect(100, 100, 200, 150), ZMKImageWnd::LayerShape);
        const int locked = m_wnd->displayROI(rect(250, 200, 350, 250), ZMKImageWnd::LayerShape);
        QCOMPARE(m_wnd->setShapeSelectable(locked, false), 0);
        QCOMPARE(m_wnd->setShapeMovable(locked, false), 0);
        QSignalSpy menu(m_wnd.get(), &ZMKImageWnd::shapeContextMenu);
        press(at(QPointF(150, 125)), Qt::RightButton);
        release(at(QPointF(150, 125)), Qt::RightButton);
        QCOMPARE(menu.count(), 1);
        QCOMPARE(menu.at(0).at(0).toLongLong(), qlonglong(id));
        QCOMPARE(menu.at(0).at(1).toPoint(), view()->viewport()->mapToGlobal(at(QPointF(150, 125))));
        QCOMPARE(view()->selectedShape(), id);
        // Empty space and a locked shape have no menu.
        for (const QPointF& p : {QPointF(20, 20), QPointF(300, 225)}) {
            press(at(p), Qt::RightButton);
            release(at(p), Qt::RightButton);
        }
        QCOMPARE(menu.count(), 1);
    }

    void labelsInTheShapesColour() {
        // A red frame on a black picture: only its label puts red pixels inside it.
        QCOMPARE(m_wnd->setPen(255, 0, 0, 1), 0);
        const int left = m_wnd->displayROI(rect(20, 20, 190, 120), ZMKImageWnd::LayerShape);
        const int centred = m_wnd->displayROI(rect(20, 150, 390, 280), ZMKImageWnd::LayerShape);
        const auto redInside = [this](const QRectF& area) {
            const QImage image = rendered();
            int n = 0;
            for (int y = at(area.topLeft()).y(); y < at(area.bottomRight()).y(); ++y) {
                for (int x = at(area.topLeft()).x(); x < at(area.bottomRight()).x(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    n += c.red() > 150 && c.green() < 100 ? 1 : 0;
                }
            }
            return n;
        };
        const QRectF topLeft(23, 23, 60, 20), topCentre(170, 153, 60, 20);
        QCOMPARE(redInside(topLeft) + redInside(topCentre), 0);
        QCOMPARE(m_wnd->setShapeLabel(left, QStringLiteral("ROI")), 0);
        QCOMPARE(m_wnd->setShapeLabel(centred, QStringLiteral("Columns"), Qt::AlignHCenter | Qt::AlignTop),
                 0);
        QCOMPARE(m_wnd->shapeLabel(centred), QStringLiteral("Columns"));
        QVERIFY(redInside(topLeft) > 10);
        QVERIFY(redInside(topCentre) > 10);
        QCOMPARE(redInside(QRectF(23, 153, 60, 20)), 0);  // the centred one is not at the left
        // Removed again; unknown ids fail.
        QCOMPARE(m_wnd->setShapeLabel(left, QString()), 0);
        QCOMPARE(redInside(topLeft), 0);
        QCOMPARE(m_wnd->setShapeLabel(9999, QStringLiteral("x")), -1);
        QCOMPARE(m_wnd->shapeLabel(9999), QString());
    }

    void lockedShapesStayPut() {
        const NuvROI roi = rect(100, 100, 200, 150);
        const int id = m_wnd->displayROI(roi, ZMKImageWnd::LayerShape);
        QCOMPARE(m_wnd->setShapeMovable(id, false), 0);
        QCOMPARE(m_wnd->selectShape(id), 0);
        QSignalSpy clicked(m_wnd.get(), &ZMKImageWnd::shapeClicked);
        QSignalSpy moved(m_wnd.get(), &ZMKImageWnd::shapeMoved);
        QSignalSpy resized(m_wnd.get(), &ZMKImageWnd::shapeResized);
        drag(at(QPointF(150, 125)), at(QPointF(150, 125)) + QPoint(40, 40));
        drag(at(QPointF(200, 150)), at(QPointF(200, 150)) + QPoint(40, 40));  // corner handle too
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(resized.count(), 0);
        QVERIFY(shapeOf(id) == roi);
        // Neither movable nor selectable: the mouse passes through to the image.
        QCOMPARE(m_wnd->setShapeSelectable(id, false), 0);
        QCOMPARE(view()->selectedShape(), -1);
        QCOMPARE(m_wnd->selectShape(id), -1);
        QSignalSpy imageClicks(m_wnd.get(), &ZMKImageWnd::mouseClicked);
        press(at(QPointF(150, 125)));
        release(at(QPointF(150, 125)));
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(imageClicks.count(), 1);
        // Movable again.
        QCOMPARE(m_wnd->setShapeMovable(id, true), 0);
        drag(at(QPointF(150, 125)), at(QPointF(150, 125)) + QPoint(5, 0));
        QCOMPARE(moved.count(), 1);
        // Shapes of the overlay layer ignore the mouse altogether.
        const int fixed = m_wnd->displayROI(rect(250, 200, 350, 250), ZMKImageWnd::LayerOverlay);
        const int clicks = clicked.count();
        drag(at(QPointF(300, 225)), at(QPointF(300, 225)) + QPoint(20, 0));
        QCOMPARE(clicked.count(), clicks);
        QVERIFY(shapeOf(fixed) == rect(250, 200, 350, 250));
    }

    void drawRectCreatesShapeOnceAndClamped() {
        QCOMPARE(m_wnd->setPen(0, 0, 255, 0), 0);
        QCOMPARE(m_wnd->drawRect(), 0);
        QStringList events;
        connect(m_wnd.get(), &ZMKImageWnd::shapeClicked, this,
                [&](long id) { events << QString("clicked %1").arg(id); });
        connect(m_wnd.get(), &ZMKImageWnd::shapeResized, this,
                [&](long id) { events << QString("resized %1").arg(id); });
        QSignalSpy imageClicks(m_wnd.get(), &ZMKImageWnd::mouseClicked);
        const QPoint from = at(QPointF(50, 60)), to = at(QPointF(150, 160));
        drag(from, to);
        QCOMPARE(events.size(), 2);
        const int id = events.at(0).section(' ', 1).toInt();
        QVERIFY(id >= 0);
        QCOMPARE(events, (QStringList{QString("clicked %1").arg(id), QString("resized %1").arg(id)}));
        QCOMPARE(imageClicks.count(), 0);
        QVERIFY(shapeOf(id) == rect(imageAt(from).x(), imageAt(from).y(), imageAt(to).x(), imageAt(to).y()));
        QCOMPARE(view()->selectedShape(), id);
        QVERIFY(!view()->isDrawingRect());
        // The next drag is an ordinary one again.
        const int shapes = view()->itemCount(1);
        drag(QPoint(5, 5), QPoint(60, 40));
        QCOMPARE(view()->itemCount(1), shapes);
        // A click without a drag creates nothing and ends the mode.
        QCOMPARE(m_wnd->drawRect(), 0);
        press(at(QPointF(250, 60)));
        release(at(QPointF(250, 60)));
        QCOMPARE(view()->itemCount(1), shapes);
        QVERIFY(!view()->isDrawingRect());
        // Drawn across the image border: clamped to the image.
        QSignalSpy resized(m_wnd.get(), &ZMKImageWnd::shapeResized);
        QCOMPARE(m_wnd->drawRect(), 0);
        drag(at(QPointF(350, 250)), at(QPointF(350, 250)) + QPoint(100, 100));
        QCOMPARE(resized.count(), 1);
        NuvPoint tl, br;
        QVERIFY(shapeOf(int(resized.at(0).at(0).toLongLong())).GetRect(&tl, &br));
        QCOMPARE(br.x, 400.0);
        QCOMPARE(br.y, 300.0);
        // Escape cancels an armed drawing.
        QCOMPARE(m_wnd->drawRect(), 0);
        view()->setFocus();
        QTest::keyClick(view(), Qt::Key_Escape);
        QVERIFY(!view()->isDrawingRect());
    }

    void clearLayerKeepsTheOtherLayer() {
        NuvOverlayPath path;
        for (int i = 0; i < 3200; ++i)
            path.addCircle(NuvPoint(i % 400, i / 400 + 10), 0.15);
        path.addOverlay(NuvOverlay::line(NuvPoint(0, 0), NuvPoint(399, 299)));
        path.addOverlay(NuvOverlay::cross(NuvPoint(200, 150), 20));
        path.addOverlay(NuvOverlay::polyline({NuvPoint(1, 1), NuvPoint(5, 9), NuvPoint(30, 2)}));
        QCOMPARE(m_wnd->setPen(0, 255, 0, 0), 0);
        QVERIFY(m_wnd->displayOverlayPath(path, ZMKImageWnd::LayerOverlay) >= 0);
        const int fixed = m_wnd->displayROI(line(0, 0, 10, 10), ZMKImageWnd::LayerOverlay);
        const int shape = m_wnd->displayROI(rect(10, 10, 50, 50), ZMKImageWnd::LayerShape);
        QVERIFY(m_wnd->displayOverlayPath(path, ZMKImageWnd::LayerShape) >= 0);
        QCOMPARE(view()->itemCount(0), 2);
        QCOMPARE(view()->itemCount(1), 2);
        view()->viewport()->grab();  // paints every kind once
        QCOMPARE(m_wnd->clearLayer(ZMKImageWnd::LayerOverlay), 0);
        QCOMPARE(view()->itemCount(0), 0);
        QCOMPARE(view()->itemCount(1), 2);
        NuvROI r;
        QCOMPARE(m_wnd->getROIShape(fixed, &r), -1);
        QCOMPARE(m_wnd->getROIShape(shape, &r), 0);
        QCOMPARE(m_wnd->clearLayer(ZMKImageWnd::LayerShape), 0);
        QCOMPARE(view()->itemCount(1), 0);
        QCOMPARE(m_wnd->getROIShape(shape, &r), -1);
        // An overlay is drawn in the pen's colour and goes with its layer.
        QCOMPARE(m_wnd->setPen(0, 255, 0, 3), 0);
        NuvOverlayPath line;
        line.addOverlay(NuvOverlay::line(NuvPoint(0, 100.5), NuvPoint(400, 100.5)));
        QVERIFY(m_wnd->displayOverlayPath(line, ZMKImageWnd::LayerOverlay) >= 0);
        QCOMPARE(view()->viewport()->grab().toImage().pixel(at(QPointF(200, 100.5))), qRgb(0, 255, 0));
        QCOMPARE(m_wnd->clearLayer(ZMKImageWnd::LayerOverlay), 0);
        QCOMPARE(view()->viewport()->grab().toImage().pixel(at(QPointF(200, 100.5))), qRgb(0, 0, 0));
    }

    void slotRemovingTheShapeDuringAPress() {
        const int id = m_wnd->displayROI(rect(100, 100, 200, 150), ZMKImageWnd::LayerShape);
        connect(m_wnd.get(), &ZMKImageWnd::shapeClicked, this,
                [this](long clicked) { m_wnd->removeShape(int(clicked)); });
        QSignalSpy moved(m_wnd.get(), &ZMKImageWnd::shapeMoved);
        drag(at(QPointF(150, 125)), at(QPointF(150, 125)) + QPoint(30, 30));
        QCOMPARE(moved.count(), 0);
        NuvROI r;
        QCOMPARE(m_wnd->getROIShape(id, &r), -1);
    }

    void slotRedrawingTheShapeAfterAMove() {
        // The pane answers a move by removing the shape and drawing a corrected one.
        int current = m_wnd->displayROI(rect(100, 100, 200, 150), ZMKImageWnd::LayerShape);
        connect(m_wnd.get(), &ZMKImageWnd::shapeMoved, this, [&](long id) {
            NuvROI r;
            QCOMPARE(m_wnd->getROIShape(int(id), &r), 0);
            QCOMPARE(m_wnd->removeShape(int(id)), 0);
            current = m_wnd->displayROI(r, ZMKImageWnd::LayerShape);
            QCOMPARE(m_wnd->selectShape(current), 0);
        });
        const int first = current;
        drag(at(QPointF(150, 125)), at(QPointF(150, 125)) + QPoint(10, 10));
        QVERIFY(current > first);
        QCOMPARE(view()->selectedShape(), current);
        QVERIFY(shiftedBy(rect(100, 100, 200, 150), shapeOf(current), QPointF(10, 10)));
    }

    void slotDestroyingTheWidget() {
        m_wnd->displayROI(rect(100, 100, 200, 150), ZMKImageWnd::LayerShape);
        connect(m_wnd.get(), &ZMKImageWnd::shapeMoved, this, [this]() { QCOMPARE(m_wnd->destory(), 0); });
        const QPoint from = at(QPointF(150, 125));
        press(from);
        hover(from + QPoint(10, 10));
        release(from + QPoint(10, 10));
        QCOMPARE(m_wnd->widget(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(m_host->findChildren<ZMKImageView*>().size(), 0);
    }
};

QTEST_MAIN(TestZMKImageWnd)
#include "tst_zmkimagewnd.moc"
