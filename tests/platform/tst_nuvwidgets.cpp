// SPDX-License-Identifier: Apache-2.0
// Styled host widgets and the modal seam.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include "CBaseDialog.h"
#include "CMessageBox.h"
#include "COperationTipWidget.h"
#include "ModalSeam.h"
#include "ScriptedModalHandler.h"
#include "TestSupport.h"

using Kind = ModalSeam::Kind;

namespace {
void sendMouse(QWidget* widget, QEvent::Type type, const QPoint& local, Qt::MouseButtons buttons) {
    QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
}  // namespace

class TestNuvWidgets : public QObject {
    Q_OBJECT
private slots:
    void init() { TestSupport::resetEnvironment(); }
    void cleanup() { ModalSeam::setHandler(nullptr); }

    void messageBoxIsAnsweredThroughSeam_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("hide0");
        QTest::addColumn<bool>("hide1");
        QTest::addColumn<int>("scripted");  // -2: no scripted answer
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("buttons");

        const QString ok = QStringLiteral("Confirm");
        const QString cancel = QStringLiteral("Cancel");
        QTest::newRow("default accepts button 0")
            << 0 << false << false << -2 << 0 << QStringList{ok, cancel};
        QTest::newRow("button 0 hidden accepts button 1")
            << 0 << true << false << -2 << 1 << QStringList{cancel};
        QTest::newRow("no button dismisses") << 3 << true << true << -2 << -1 << QStringList{};
        QTest::newRow("scripted cancel") << 3 << false << false << 1 << 1 << QStringList{ok, cancel};
        QTest::newRow("scripted dismiss") << 2 << false << true << -1 << -1 << QStringList{ok};
        QTest::newRow("scripted nonsense index") << 1 << false << false << 7 << -1 << QStringList{ok, cancel};
    }

    void messageBoxIsAnsweredThroughSeam() {
        QFETCH(int, level);
        QFETCH(bool, hide0);
        QFETCH(bool, hide1);
        QFETCH(int, scripted);
        QFETCH(int, expected);
        QFETCH(QStringList, buttons);

        auto& modals = TestSupport::modals();
        if (scripted != -2) modals.pushMessageBoxAnswer(scripted);
        QWidget parent;
        CMessageBox box(QStringLiteral("Info"), QStringLiteral("Dir is not exist"), level, &parent);
        box.setButtonHidden(0, hide0);
        box.setButtonHidden(1, hide1);
        QSignalSpy clicked(&box, &CMessageBox::buttonClicked);

        QCOMPARE(box.exec(), expected);
        QCOMPARE(box.clickedButton(), expected);
        QCOMPARE(clicked.count(), expected >= 0 ? 1 : 0);
        QVERIFY(!box.isVisible());

        QCOMPARE(modals.count(Kind::MessageBox), 1);
        const auto request = modals.last(Kind::MessageBox);
        QCOMPARE((QVariantList{request.title, request.text, request.level, request.buttons}),
                 (QVariantList{QStringLiteral("Info"), QStringLiteral("Dir is not exist"), level, buttons}));
    }

    void messageBoxLevelAndButtonBounds() {
        for (int level : {42, -1})
            QCOMPARE(CMessageBox(QStringLiteral("Error"), QStringLiteral("x"), level).level(), 0);

        CMessageBox box(QStringLiteral("Error"), QStringLiteral("No valid data"), CMessageBox::Error);
        QCOMPARE(box.level(), 3);
        box.setButtonText(0, QStringLiteral("I know"));
        box.setButtonText(5, QStringLiteral("ignored"));
        box.setButtonHidden(-1, true);
        QCOMPARE(box.buttonText(0), QStringLiteral("I know"));
        QCOMPARE(box.buttonText(5), QString());
        QVERIFY(box.isButtonHidden(5));
        QCOMPARE(box.visibleButtonTexts(), (QStringList{QStringLiteral("I know"), QStringLiteral("Cancel")}));
        QCOMPARE(ModalSeam::execMessageBox(nullptr), -1);
    }

    void realMessageBoxReportsPressedButton_data() {
        QTest::addColumn<int>("press");  // -1: Escape
        QTest::newRow("button 0") << 0;
        QTest::newRow("button 1") << 1;
        QTest::newRow("escape") << -1;
    }

    void realMessageBoxReportsPressedButton() {
        QFETCH(int, press);
        ModalSeam::setHandler(nullptr);
        CMessageBox box(QStringLiteral("Info"), QStringLiteral("Create dir failed!"), 0);
        QSignalSpy clicked(&box, &CMessageBox::buttonClicked);
        bool pressed = false;
        // Works the box from inside its own event loop, as a user would.
        QTimer::singleShot(0, &box, [&]() {
            QTRY_VERIFY(box.isVisible());
            pressed = true;
            if (press < 0) {
                QTest::keyClick(&box, Qt::Key_Escape);
            } else {
                auto* button = box.findChild<QPushButton*>(QStringLiteral("nuvMessageButton%1").arg(press));
                QVERIFY(button != nullptr);
                button->click();
            }
        });
        // Guards the suite against a box nobody closes; never reached when the box works.
        QTimer::singleShot(20000, &box, [&]() { box.done(0); });
        QCOMPARE(box.exec(), press);
        QVERIFY(pressed);
        QCOMPARE(box.clickedButton(), press);
        QCOMPARE(clicked.count(), press >= 0 ? 1 : 0);
    }

    void handlerReplacedDuringCallStaysAlive() {
        auto handler = std::make_shared<ScriptedModalHandler>();
        std::weak_ptr<ScriptedModalHandler> watch = handler;
        handler->setMessageBoxScript([watch](CMessageBox*) {
            ModalSeam::setHandler(nullptr);  // drops the seam's reference mid-call
            return watch.expired() ? -7 : 1;
        });
        ModalSeam::setHandler(handler);
        handler.reset();
        CMessageBox box(QStringLiteral("Info"), QStringLiteral("text"), 0);
        QCOMPARE(box.exec(), 1);
        QVERIFY(watch.expired());
        QVERIFY(!ModalSeam::handler());
    }

    void dialogsFileNamesAndMenusRunThroughSeam() {
        auto& modals = TestSupport::modals();
        CBaseDialog dialog(CBaseDialog::CloseButton, QStringLiteral("Tilt Correction"), false, true);
        modals.pushDialogResult(QDialog::Accepted);
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(ModalSeam::execDialog(nullptr), int(QDialog::Rejected));
        QCOMPARE(modals.last(Kind::Dialog).title, QStringLiteral("Tilt Correction"));
        QWidget parent;
        modals.pushSaveFileName(QStringLiteral("/tmp/a.bin"), QStringLiteral("BIN(*.bin)"));
        QString selected;
        QCOMPARE(ModalSeam::getSaveFileName(&parent, QStringLiteral("Save File"), QStringLiteral("image"),
                                            QStringLiteral("CSV(*.csv);;BIN(*.bin)"), &selected),
                 QStringLiteral("/tmp/a.bin"));
        QCOMPARE(selected, QStringLiteral("BIN(*.bin)"));
        // A menu choice triggers its action; a disabled, missing or unscripted one does nothing.
        QMenu menu;
        QAction* show3d = menu.addAction(QStringLiteral("3D Show"));
        menu.addSeparator();
        QAction* render = menu.addAction(QStringLiteral("3D Rendering"));
        render->setEnabled(false);
        QSignalSpy triggered(show3d, &QAction::triggered);
        QSignalSpy renderTriggered(render, &QAction::triggered);

        modals.pushMenuChoice(QStringLiteral("3D Show"));
        modals.pushMenuChoice(QStringLiteral("3D Rendering"));
        modals.pushMenuChoice(QStringLiteral("missing"));
        QCOMPARE(ModalSeam::execMenu(&menu, QPoint(10, 10)), show3d);
        QCOMPARE(ModalSeam::execMenu(&menu, QPoint(10, 10)), nullptr);  // disabled
        QCOMPARE(ModalSeam::execMenu(&menu, QPoint(10, 10)), nullptr);
        QCOMPARE(ModalSeam::execMenu(&menu, QPoint(10, 10)), nullptr);  // queue empty
        QCOMPARE(ModalSeam::execMenu(nullptr, QPoint()), nullptr);
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(renderTriggered.count(), 0);
        QCOMPARE(modals.count(Kind::Menu), 4);
        QCOMPARE(modals.last(Kind::Menu).buttons,
                 (QStringList{QStringLiteral("3D Show"), QStringLiteral("3D Rendering")}));
        // Without a handler the real run happens: accepted from inside its loop.
        ModalSeam::setHandler(nullptr);
        QTimer::singleShot(0, &dialog, [&]() { dialog.accept(); });
        QTimer::singleShot(20000, &dialog, [&]() { dialog.done(99); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    }

    void baseDialogTitleButtonsContentAndClose_data() {
        QTest::addColumn<bool>("closeOnButton");
        QTest::newRow("closes") << true;
        QTest::newRow("owner closes") << false;
    }

    void baseDialogTitleButtonsContentAndClose() {
        QFETCH(bool, closeOnButton);
        CBaseDialog dialog(CBaseDialog::CloseButton, QStringLiteral("Histogram"), false, true);
        auto* titleLabel = dialog.findChild<QLabel*>(QStringLiteral("nuvDialogTitle"));
        auto* close = dialog.findChild<QToolButton*>(QStringLiteral("nuvDialogClose"));
        auto* maximize = dialog.findChild<QToolButton*>(QStringLiteral("nuvDialogMaximize"));
        auto* minimize = dialog.findChild<QToolButton*>(QStringLiteral("nuvDialogMinimize"));
        auto* icon = dialog.findChild<QLabel*>(QStringLiteral("nuvDialogIcon"));
        QVERIFY(titleLabel && close && maximize && minimize && icon);
        QCOMPARE(titleLabel->text(), QStringLiteral("Histogram"));
        dialog.setWindowTitle(QStringLiteral("Correction"));
        QCOMPARE(titleLabel->text(), QStringLiteral("Correction"));

        // Asked for more than the screen holds, an auto-adjusting dialog fits the screen.
        QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen != nullptr);
        dialog.resize(screen->availableGeometry().size() + QSize(500, 500));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(screen->availableGeometry().contains(dialog.geometry()));
        QVERIFY(close->isVisible() && !maximize->isVisible() && !minimize->isVisible() && !icon->isVisible());
        dialog.setButtonTypes(CBaseDialog::CloseButton | CBaseDialog::MaximizeButton |
                              CBaseDialog::MinimizeButton);
        dialog.setIconVisible(true);
        QVERIFY(maximize->isVisible() && minimize->isVisible() && icon->isVisible());

        QPointer<QWidget> first = new QLabel(QStringLiteral("first"));
        dialog.setContentWidget(first);
        QCOMPARE(first->parentWidget(), dialog.contentWidget());
        QPointer<QWidget> second = new QLabel(QStringLiteral("second"));
        dialog.setContentWidget(second);
        QVERIFY(first.isNull());
        QCOMPARE(dialog.contentLayout()->indexOf(second), 0);
        dialog.setContentWidget(second);  // same widget again: kept
        QVERIFY(!second.isNull());
        dialog.setContentWidget(nullptr);
        QVERIFY(second.isNull());

        dialog.setCloseOnButton(closeOnButton);
        QSignalSpy closeSignal(&dialog, &CBaseDialog::onCloseButtonClicked);
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        QTest::mouseClick(close, Qt::LeftButton);
        QCOMPARE(closeSignal.count(), 1);
        QCOMPARE(dialog.isVisible(), !closeOnButton);
        QCOMPARE(rejected.count(), closeOnButton ? 1 : 0);
    }

    void baseDialogDragsByTitleBar() {
        CBaseDialog dialog(CBaseDialog::CloseButton, QStringLiteral("Histogram"), true, false);
        dialog.resize(300, 200);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.move(100, 100);
        QTRY_COMPARE(dialog.pos(), QPoint(100, 100));
        auto* titleBar = dialog.findChild<QWidget*>(QStringLiteral("nuvDialogTitleBar"));
        QVERIFY(titleBar != nullptr);
        const QPoint grab(60, 10);
        const QPoint start = dialog.pos();
        sendMouse(titleBar, QEvent::MouseButtonPress, grab, Qt::LeftButton);
        // The title bar has moved with the window before the second move arrives, as on screen.
        sendMouse(titleBar, QEvent::MouseMove, grab + QPoint(40, 25), Qt::LeftButton);
        QTRY_COMPARE(dialog.pos(), start + QPoint(40, 25));
        sendMouse(titleBar, QEvent::MouseButtonRelease, grab, Qt::NoButton);
        const QPoint dropped = dialog.pos();
        sendMouse(titleBar, QEvent::MouseMove, grab + QPoint(80, 80), Qt::NoButton);
        QCOMPARE(dialog.pos(), dropped);
    }

    void tipLifetime() {
        QWidget pane;
        pane.resize(500, 400);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        // A timed tip closes itself.
        QPointer<COperationTipWidget> timed = new COperationTipWidget(&pane);
        QSignalSpy timedClosed(timed.data(), &COperationTipWidget::tipClosed);
        timed->setPixmap(QPixmap(32, 32));
        timed->setText(QStringLiteral("Picture saved."));
        timed->showTip(100);
        QVERIFY(timed->isVisible());
        QTRY_VERIFY(timed.isNull());
        QCOMPARE(timedClosed.count(), 1);

        // An untimed one stays centred until closed.
        QPointer<COperationTipWidget> tip = new COperationTipWidget(&pane);
        QSignalSpy closed(tip.data(), &COperationTipWidget::tipClosed);
        tip->setText(QStringLiteral("Picture saving failure!"));
        tip->showTip(0);
        QVERIFY((tip->geometry().center() - pane.rect().center()).manhattanLength() <= 2);
        pane.resize(800, 600);
        QTRY_VERIFY((tip->geometry().center() - pane.rect().center()).manhattanLength() <= 2);
        QCoreApplication::processEvents();
        QVERIFY(!tip.isNull() && tip->isVisible());
        // Its link reports the path instead of opening it.
        tip->setOpenLinkExternally(false);
        tip->setLinkInfo(QStringLiteral("View"), QStringLiteral("/data/pics/Cam1/image.png"));
        QLabel* link = nullptr;
        for (QLabel* label : tip->findChildren<QLabel*>()) {
            if (label->text().contains(QStringLiteral("View"))) link = label;
        }
        QVERIFY(link != nullptr);
        QVERIFY(!link->isHidden());
        QSignalSpy activated(tip.data(), &COperationTipWidget::linkActivated);
        emit link->linkActivated(QStringLiteral("nuv:view"));
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.at(0).at(0).toString(), QStringLiteral("/data/pics/Cam1/image.png"));
        tip->setLinkInfo(QString(), QString());
        QVERIFY(link->isHidden());
        tip->closeTip();
        tip->closeTip();  // a second close (e.g. the owner's timer) is harmless
        QTRY_VERIFY(tip.isNull());
        QCOMPARE(closed.count(), 1);

        // A tip whose owner goes first goes with it.
        QPointer<COperationTipWidget> orphan;
        {
            QWidget shortLived;
            orphan = new COperationTipWidget(&shortLived);
            orphan->showTip(50);
        }
        QVERIFY(orphan.isNull());
    }
};

QTEST_MAIN(TestNuvWidgets)
#include "tst_nuvwidgets.moc"
