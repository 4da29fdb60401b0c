// SPDX-License-Identifier: Apache-2.0
// Grid and cross-hair settings panels and the 2D pane's overlays, driven through buttons, spin boxes
// and the pop-ups; what is drawn is read back from the screen.
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QWidgetAction>
#include <QtTest>
#include <functional>
#include <memory>

#include "CrossConfigWidget.h"
#include "CrossHairWidget.h"
#include "GreyHistogramWidget.h"
#include "GridConfigWidget.h"
#include "MeasureTool.h"
#include "OverlayTool.h"
#include "PaneHost.h"
#include "ScriptedModalHandler.h"

namespace {
using TestSupport::child;

template <class Panel>
QWidget* redPanel() {
    auto* panel = new Panel;
    panel->setColor(Qt::red);
    return panel;
}

// Works the panel of a pop-up while it is "open", as the user would.
class PopupScript : public ScriptedModalHandler {
public:
    std::function<void(QWidget*)> onPanel;
    std::function<void()> onColor;  // runs while the colour dialog is "open"
    QColor color(const QColor& initial, QWidget* parent, const QString& title,
                 QColorDialog::ColorDialogOptions options) override {
        if (onColor) onColor();
        return ScriptedModalHandler::color(initial, parent, title, options);
    }
    QAction* menu(QMenu* menu, const QPoint& pos) override {
        auto* action = qobject_cast<QWidgetAction*>(menu->actions().value(0));
        if (onPanel && action) onPanel(action->defaultWidget());
        return ScriptedModalHandler::menu(menu, pos);
    }
};
}  // namespace

class TestOverlayTools : public QObject, private TestSupport::PaneHost {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(openPane(700, 500));
        m_modals = std::make_shared<PopupScript>();
        ModalSeam::setHandler(m_modals);
    }

    void cleanup() {
        closePane();
        ModalSeam::setHandler(nullptr);
        m_modals.reset();
    }

    // What the pop-ups and the histogram panel show reads as words, not as code names or typos.
    void visibleTextsReadAsWords() {
        GridConfigWidget grid;
        CrossConfigWidget cross;
        GreyHistogramWidget histogram;
        const QRegularExpression codeName(QStringLiteral("[a-z][A-Z]|Peofile"));
        QStringList texts;
        for (QWidget* panel : {static_cast<QWidget*>(&grid), static_cast<QWidget*>(&cross),
                               static_cast<QWidget*>(&histogram)}) {
            for (auto* label : panel->findChildren<QLabel*>())
                texts << label->text();
            for (auto* button : panel->findChildren<QAbstractButton*>())
                texts << button->text();
            for (auto* combo : panel->findChildren<QComboBox*>())
                for (int i = 0; i < combo->count(); ++i)
                    texts << combo->itemText(i);
            for (auto* table : panel->findChildren<QTableWidget*>())
                for (int i = 0; i < table->columnCount(); ++i)
                    texts << table->horizontalHeaderItem(i)->text();
        }
        for (const QString& text : texts)
            QVERIFY2(!text.contains(codeName), qPrintable(text));
        QVERIFY(texts.contains(QStringLiteral("Line width")));
        QVERIFY(texts.contains(QStringLiteral("Line spacing")));
        QVERIFY(texts.contains(QStringLiteral("Window coordinates")));
        QVERIFY(texts.contains(QStringLiteral("Image coordinates")));
        QVERIFY(texts.contains(QStringLiteral("Line Profile")));
        QVERIFY(texts.contains(QStringLiteral("Std. deviation")));
    }

    void gridPanelPresetsSilentlyAndReportsEdits() {
        GridConfigWidget panel;
        QSignalSpy width(&panel, &GridConfigWidget::lineWidthChanged);
        QSignalSpy space(&panel, &GridConfigWidget::lineSpaceChanged);
        QSignalSpy colour(&panel, &GridConfigWidget::colorChanged);
        panel.setLineWidth(2);
        panel.setLineSpace(24);
        panel.setColor(QColor(20, 255, 255));
        QCOMPARE(width.count() + space.count() + colour.count(), 0);

        auto* widthBox = child<QSpinBox>(&panel, "spinBoxLineWidth");
        auto* spaceBox = child<QSpinBox>(&panel, "spinBoxLineSpace");
        QCOMPARE(QPair(widthBox->minimum(), widthBox->maximum()), QPair(1, 30));
        QCOMPARE(QPair(spaceBox->minimum(), spaceBox->maximum()), QPair(10, 99));
        panel.show();
        QTest::keyClick(widthBox, Qt::Key_Up);
        QCOMPARE(width.count(), 1);
        QCOMPARE(width.first().first().toInt(), 3);
        QCOMPARE(space.count(), 0);
    }

    void colourButton_data() {
        QTest::addColumn<bool>("cross");
        QTest::addColumn<QColor>("answer");
        QTest::addColumn<bool>("panelGoes");
        QTest::newRow("grid cancelled") << false << QColor() << false;
        QTest::newRow("grid chosen") << false << QColor(0, 0, 255) << false;
        QTest::newRow("cross cancelled") << true << QColor() << false;
        QTest::newRow("cross chosen") << true << QColor(0, 0, 255) << false;
        QTest::newRow("grid gone meanwhile") << false << QColor(0, 0, 255) << true;
        QTest::newRow("cross gone meanwhile") << true << QColor(0, 0, 255) << true;
    }

    void colourButton() {
        QFETCH(bool, cross);
        QFETCH(QColor, answer);
        QFETCH(bool, panelGoes);
        std::unique_ptr<QWidget> panel(cross ? redPanel<CrossConfigWidget>() : redPanel<GridConfigWidget>());
        QSignalSpy changed(panel.get(), SIGNAL(colorChanged(QColor)));
        if (answer.isValid()) m_modals->pushColor(answer);
        // The pop-up, and the panel with it, may close while the dialog runs.
        if (panelGoes) m_modals->onColor = [&panel]() { panel.reset(); };
        child<QPushButton>(panel.get(), "btnColor")->click();
        if (panelGoes) {
            QCOMPARE(changed.count(), 0);
            return;
        }

        const ModalSeam::Request asked = m_modals->last(ModalSeam::Kind::Color);
        QCOMPARE(asked.title, QStringLiteral("Choose color"));
        QCOMPARE(asked.initial, QColor(Qt::red));
        const QColor c = answer.isValid() ? answer : QColor(Qt::red);
        const QString sheet =
            QString::asprintf("background-color: rgb(%d,%d,%d);", c.red(), c.green(), c.blue());
        QCOMPARE(child<QPushButton>(panel.get(), "btnColor")->styleSheet(), sheet);
        QCOMPARE(changed.count(), answer.isValid() ? 1 : 0);
    }

    void crossPanelCentreAndCoordinateSystems() {
        CrossConfigWidget panel;
        QSignalSpy pos(&panel, &CrossConfigWidget::posChanged);
        QSignalSpy mode(&panel, &CrossConfigWidget::coordinateModeChanged);
        panel.setPosX(1279, 5);
        panel.setPosY(1023, 7);
        panel.setLineWidth(4);
        QCOMPARE(pos.count(), 0);
        QTest::mouseClick(child<QPushButton>(&panel, "btnCenter"), Qt::LeftButton);
        QCOMPARE(pos.count(), 2);
        QCOMPARE(pos.last(), (QList<QVariant>{639, 511}));

        panel.setWndSize(QSize(800, 600));
        panel.setImageSize(QSize(1280, 1024));
        panel.setCoordinateMode(CrossConfigWidget::ImageCoordinate);
        panel.setCoordinateMode(CrossConfigWidget::WndCoordinate);
        QCOMPARE(mode.count(), 2);
        QCOMPARE(mode.first().first().toInt(), 1);
        QCOMPARE(mode.last().first().toInt(), 0);
        auto* x = child<QSpinBox>(&panel, "spinBoxPosX");
        QCOMPARE(x->maximum(), 800);
        QCOMPARE(x->toolTip(), QStringLiteral("0-800"));
        QCOMPARE(child<QSpinBox>(&panel, "spinBoxPosY")->toolTip(), QStringLiteral("0-600"));
    }

    void gridAndCrossFollowSettingsOnScreen() {
        // Without an image the buttons open nothing.
        Image2DWnd* v = m_pane->view2D();
        for (QPushButton* b : {v->btnGrid, v->btnCross, v->btnMeasure}) {
            QTest::mouseClick(b, Qt::LeftButton);
            QVERIFY2(!b->isChecked(), qPrintable(b->objectName()));
        }
        QCOMPARE(m_pane->overlayTool()->gridOverlayId(), -1);
        QCOMPARE(m_pane->overlayTool()->crossOverlayId(), -1);
        QCOMPARE(view()->itemCount(ZMKImageWnd::LayerShape), 0);
        QVERIFY(!m_pane->measureTool()->isOpen());

        QImage image(200, 120, QImage::Format_RGB888);
        image.fill(Qt::black);
        m_pane->show2DImage(image, false);
        v->Zoom100();
        QCoreApplication::processEvents();
        QTest::mouseClick(v->btnGrid, Qt::LeftButton);
        QVERIFY(v->btnGrid->isChecked());
        QCOMPARE(screenAt({24, 60}), QColor(20, 255, 255));
        QCOMPARE(screenAt({60, 48}), QColor(20, 255, 255));
        QCOMPARE(screenAt({12, 12}), QColor(Qt::black));

        // The pop-up is preset with the pane's values; each edit shows at once.
        m_modals->onPanel = [&](QWidget* panel) {
            QCOMPARE(child<QSpinBox>(panel, "spinBoxLineWidth")->value(), 2);
            QCOMPARE(child<QSpinBox>(panel, "spinBoxLineSpace")->value(), 24);
            child<QSpinBox>(panel, "spinBoxLineSpace")->setValue(30);
            m_modals->pushColor(QColor(255, 255, 0));
            QTest::mouseClick(child<QPushButton>(panel, "btnColor"), Qt::LeftButton);
        };
        QTest::mouseClick(v->btnGridConfig, Qt::LeftButton);
        QCOMPARE(m_modals->count(ModalSeam::Kind::Menu), 1);
        QCOMPARE(m_pane->overlayTool()->grid().spacing, 30);
        QCOMPARE(screenAt({24, 45}), QColor(Qt::black));
        QCOMPARE(screenAt({30, 45}), QColor(255, 255, 0));

        QTest::mouseClick(v->btnGrid, Qt::LeftButton);
        QCOMPARE(m_pane->overlayTool()->gridOverlayId(), -1);
        QCOMPARE(screenAt({30, 45}), QColor(Qt::black));

        // The cross is in image coordinates by default, centred on the picture.
        QTest::mouseClick(v->btnCross, Qt::LeftButton);
        QCOMPARE(m_pane->overlayTool()->crossPos(), QPoint(100, 60));
        QCOMPARE(screenAt({100, 20}), QColor(Qt::red));
        QCOMPARE(screenAt({20, 60}), QColor(Qt::red));

        m_modals->onPanel = [&](QWidget* panel) {
            QCOMPARE(child<QSpinBox>(panel, "spinBoxPosX")->maximum(), 200);
            child<QSpinBox>(panel, "spinBoxPosX")->setValue(40);
            QCOMPARE(screenAt({40, 20}), QColor(Qt::red));
            QCOMPARE(screenAt({100, 20}), QColor(Qt::black));
            child<QRadioButton>(panel, "radioWndCoordinate")->click();
            child<QSpinBox>(panel, "spinBoxPosX")->setValue(10);
        };
        QTest::mouseClick(v->btnCrossConfig, Qt::LeftButton);
        QCOMPARE(m_pane->overlayTool()->crossOverlayId(), -1);
        CrossHairWidget* wndCross = m_pane->overlayTool()->windowCross();
        QVERIFY(wndCross && wndCross->isVisible());
        QCOMPARE(wndCross->crossPos().x(), 10);
        QCOMPARE(wndCross->geometry(), view()->viewport()->geometry());

        // Camera gone: the overlays leave and their buttons uncheck.
        m_pane->resetCamera();
        QVERIFY(!v->btnCross->isChecked());
        QVERIFY(!wndCross->isVisible());
    }

private:
    QColor screenAt(QPointF imagePos) const {
        return view()->viewport()->grab().toImage().pixelColor(view()->mapFromImage(imagePos));
    }

    std::shared_ptr<PopupScript> m_modals;
};

QTEST_MAIN(TestOverlayTools)
#include "tst_overlaytools.moc"
