// The profiler view's tool strip, overflow menu, pages and zoom commands.
#include <QPushButton>
#include <QtTest>

#include "Image3DWnd.h"
#include "ModalSeam.h"
#include "ScriptedModalHandler.h"
#include "TestSupport.h"
#include "ZMKImageWnd.h"

class TestProfilerView : public QObject {
    Q_OBJECT
private slots:
    void init() { TestSupport::resetEnvironment(); }

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

private:
    static int visibleStripButtons(Image3DWnd& view) {
        int n = 0;
        for (QPushButton* b : view.wdg3DToolSingle->findChildren<QPushButton*>()) {
            if (b != view.btnShowMenu && !b->isHidden()) ++n;
        }
        return n;
    }
};

QTEST_MAIN(TestProfilerView)
#include "tst_profilerview.moc"
