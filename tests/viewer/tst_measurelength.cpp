// SPDX-License-Identifier: Apache-2.0
// Length measurement: the panel's arithmetic and input checks, and the pane's measuring line worked
// with the mouse while the window follows it.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "CBaseDialog.h"
#include "MeasureLengthDialog.h"
#include "MeasureLengthWidget.h"
#include "MeasureTool.h"
#include "PaneHost.h"
#include "WindowDrag.h"

using TestSupport::child;

namespace {
QStringList shown(QWidget* panel) {
    QStringList texts;
    for (const char* name :
         {"labelStartPoint", "labelStopPoint", "labelHLength", "labelVLength", "labelCLength"})
        texts << child<QLabel>(panel, name)->text();
    return texts;
}
}  // namespace

class TestMeasureLength : public QObject, protected TestSupport::PaneHost {
    Q_OBJECT
private slots:
    void init() { QVERIFY(openPane(1100, 1000)); }

    void cleanup() { closePane(); }

    void lengths_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QStringList>("lengths");  // horizontal, vertical, cartesian
        QTest::addColumn<bool>("refused");
        const auto row = [](const char* name, const char* locale, const char* typed, const char* kept,
                            const QStringList& lengths, bool refused = false) {
            QTest::newRow(name) << QString(locale) << QString(typed) << QString(kept) << lengths << refused;
        };
        const QStringList one{"400 mm", "400 mm", "565.685 mm"};
        row("1 mm", "C", "1", "1", one);
        row("2 mm", "C", "2", "2", {"800 mm", "800 mm", "1131.37 mm"});
        row("largest", "C", "99999.99", "99999.99", {"4e+07 mm", "4e+07 mm", "5.65685e+07 mm"});
        // Pixel sizes are fractions of a millimetre: the common case.
        row("half", "C", "0.5", "0.5", {"200 mm", "200 mm", "282.843 mm"});
        row("quarter", "C", "0.25", "0.25", {"100 mm", "100 mm", "141.421 mm"});
        row("tenth", "C", "0.1", "0.1", {"40 mm", "40 mm", "56.5685 mm"});
        row("twentieth", "C", "0.05", "0.05", {"20 mm", "20 mm", "28.2843 mm"});
        row("no leading zero", "C", ".5", ".5", {"200 mm", "200 mm", "282.843 mm"});
        row("six decimals", "C", "0.0012345", "0.001234", {"0.4936 mm", "0.4936 mm", "0.698056 mm"});
        // A decimal comma means the same under any locale and is never a group separator.
        row("comma, English", "en_US", "0,5", "0,5", {"200 mm", "200 mm", "282.843 mm"});
        row("comma, German", "de_DE", "0,5", "0,5", {"200 mm", "200 mm", "282.843 mm"});
        row("point, German", "de_DE", "0.5", "0.5", {"200 mm", "200 mm", "282.843 mm"});
        // A refused entry keeps measuring with the last valid length and says why.
        row("empty", "C", "", "", one, true);
        row("zero", "C", "0", "0", one, true);
        row("zero decimals", "de_DE", "0,000", "0,000", one, true);
        row("separator only", "C", ",", ",", one, true);
        row("too large", "C", "100000", "10000", {"4e+06 mm", "4e+06 mm", "5.65685e+06 mm"});
        row("letters", "C", "abc", "", one, true);
        row("two separators", "C", "1.2,5", "1.25", {"500 mm", "500 mm", "707.107 mm"});
    }

    void lengths() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QStringList, lengths);
        QFETCH(bool, refused);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        MeasureLengthWidget w;
        QLocale::setDefault(before);
        w.show();
        w.setPoints(NuvPoint(0, 0), NuvPoint(400, 400));
        auto* edit = child<QLineEdit>(&w, "lineEdit");
        edit->clear();
        QTest::keyClicks(edit, typed);
        QTest::mouseClick(child<QPushButton>(&w, "pushButton"), Qt::LeftButton);
        QCOMPARE(edit->text(), kept);
        QStringList texts = QStringList{"(0, 0)", "(400, 400)"} + lengths;
        QCOMPARE(shown(&w), texts);
        auto* why = child<QLabel>(&w, "labelInputError");
        QCOMPARE(why->isVisible(), refused);
        QCOMPARE(edit->toolTip().isEmpty(), !refused);
        if (refused) QVERIFY2(why->text().contains(QLatin1String("greater than 0")), qPrintable(why->text()));
        // The unit labels the numbers and changes none of them.
        child<QComboBox>(&w, "comboBox")->setCurrentIndex(0);
        texts.replaceInStrings(QStringLiteral(" mm"), QStringLiteral(" cm"));
        QCOMPARE(shown(&w), texts);
        // A valid length afterwards clears the complaint.
        edit->setText(QStringLiteral("2"));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!why->isVisible());
        QCOMPARE(child<QLabel>(&w, "labelHLength")->text(), QStringLiteral("800 cm"));
    }

    void lineMovedWithMouse_data() {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("end dragged") << QPointF(400, 400) << QPointF(800, 800)
                                     << QStringList{"(0, 0)", "(800, 800)", "800 mm", "800 mm", "1131.37 mm"};
        QTest::newRow("line moved") << QPointF(200, 200) << QPointF(300, 250)
                                    << QStringList{"(100, 50)", "(500, 450)", "400 mm", "400 mm",
                                                   "565.685 mm"};
        QTest::newRow("moved off the picture")
            << QPointF(200, 200) << QPointF(700, 700)
            << QStringList{"(0, 0)", "(400, 400)", "400 mm", "400 mm", "565.685 mm"};
    }

    void lineMovedWithMouse() {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(QStringList, texts);
        QImage image(900, 820, QImage::Format_Grayscale8);
        image.fill(40);
        m_pane->show2DImage(image, false);
        m_pane->view2D()->Zoom100();
        QTest::mouseClick(m_pane->view2D()->btnMeasure, Qt::LeftButton);
        QVERIFY(panel() != nullptr);
        QCOMPARE(shown(panel()).mid(0, 2), (QStringList{"(0, 0)", "(400, 400)"}));
        view()->selectShape(m_pane->measureTool()->lineId());
        // Frames keep streaming under the line.
        m_pane->show2DImage(image, false);
        TestSupport::dragInWindow(
            m_pane->windowHandle(), [this](QPointF p) { return inPane(p); }, from, to);
        QCOMPARE(shown(panel()), texts);
        QVERIFY(m_pane->measureTool()->lineId() >= 0);
    }

    void toggledByButtonCloseAndCameraLoss() {
        QImage image(300, 200, QImage::Format_Grayscale8);
        image.fill(0);
        m_pane->show2DImage(image, false);
        QPushButton* button = m_pane->view2D()->btnMeasure;
        MeasureTool* tool = m_pane->measureTool();
        // A small picture gets a line that fits it.
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(button->isChecked());
        QCOMPARE(shown(panel()).at(1), QStringLiteral("(299, 199)"));
        QCOMPARE(view()->itemCount(ZMKImageWnd::LayerShape), 1);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!tool->isOpen() && !button->isChecked());
        QCOMPARE(view()->itemCount(ZMKImageWnd::LayerShape), 0);

        QTest::mouseClick(button, Qt::LeftButton);
        emit tool->dialog()->onCloseButtonClicked();
        QVERIFY(!tool->isOpen() && !button->isChecked());

        QTest::mouseClick(button, Qt::LeftButton);
        QPointer<MeasureLengthDialog> dialog = tool->dialog();
        m_pane->resetCamera();
        QVERIFY(!tool->isOpen() && !button->isChecked());
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(view()->itemCount(ZMKImageWnd::LayerShape), 0);

        // The pane goes while its measuring window is open: the window goes with it.
        m_pane->show2DImage(image, false);
        QTest::mouseClick(button, Qt::LeftButton);
        dialog = tool->dialog();
        QVERIFY(dialog);
        delete m_pane;
        m_pane = nullptr;
        QVERIFY(dialog.isNull());
    }

private:
    MeasureLengthWidget* panel() const {
        MeasureLengthDialog* d = m_pane->measureTool()->dialog();
        return d ? d->panel() : nullptr;
    }
};

QTEST_MAIN(TestMeasureLength)
#include "tst_measurelength.moc"
