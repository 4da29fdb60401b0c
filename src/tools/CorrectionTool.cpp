// SPDX-License-Identifier: Apache-2.0
#include "CorrectionTool.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <cstdlib>
#include <string>

#include "CorrectionDialog.h"
#include "CorrectionWidget.h"
#include "Image3DWnd.h"
#include "ImageWnd.h"
#include "NuvNumberParse.h"
#include "ZavizoZoz3.h"
#include "ui_CorrectionWidget.h"

namespace {
// The host's box of a correction request, if it still exists. The request carried it as a plain
// address across threads, so the host may have deleted the box since: the address is only
// compared with the widgets alive now, never followed.
QDoubleSpinBox* liveSpinBox(void* address) {
    if (address == nullptr) return nullptr;
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        auto* box = qobject_cast<QDoubleSpinBox*>(widget);
        if (box != nullptr && static_cast<void*>(box) == address) return box;
    }
    return nullptr;
}
}  // namespace

CorrectionTool::CorrectionTool(ImageWnd* pane) : QObject(pane), m_pane(pane) {}

CorrectionTool::~CorrectionTool() {
    delete m_dialog;
}

bool CorrectionTool::isOpen() const {
    return !m_dialog.isNull();
}

CorrectionDialog* CorrectionTool::dialog() const {
    return m_dialog;
}

CorrectionWidget* CorrectionTool::panel() const {
    return m_dialog ? m_dialog->panel() : nullptr;
}

void CorrectionTool::open(int type, float value, void* info) {
    const QPointer<Image3DWnd> view = m_pane->view3D();
    const QString key = m_pane->cameraName();
    if (view == nullptr || key.isEmpty() || m_dialog) return;
    // Taken into a guarded pointer here, on the GUI thread, before anything can delete it.
    const QPointer<QDoubleSpinBox> target = liveSpinBox(info);
    if (info != nullptr && target == nullptr) {
        // Nowhere to put the result: the request is void.
        ZavizoZoz3::VLogError("CorrectionTool",
                              "correction of " + key.toStdString() + " ignored: its result box is gone", 0);
        return;
    }
    QPointer<QPushButton> before;
    for (QPushButton* button : {view->btn2DMode, view->btn3DMode, view->btnContourMode}) {
        if (button->isChecked()) {
            before = button;
            break;
        }
    }
    if (before == nullptr) return;
    emit view->btnContourMode->clicked(false);
    view->btnContourMode->setChecked(true);

    // The panel computes a height for type 1 and a tilt otherwise; the request's convention is
    // 0 tilt, anything else height.
    m_type = type == 0 ? 0 : 1;
    m_dialog = new CorrectionDialog(m_pane);
    m_dialog->setTitle(title());
    std::string scaler;
    if (ZavizoZoz3::GetCameraNodeValue(key.toStdString(), "Scaler", scaler) != 0) scaler.clear();
    CorrectionWidget* panel = m_dialog->panel();
    panel->setCorrectionType(m_type);
    panel->setCameraKey(key);
    panel->setYRange(view->contourYMin(), view->contourYMax());
    panel->setXRange(view->contourXSpan());
    panel->setScaler(NuvNumberParse::valueOr(scaler, 0));
    const Areas areas = m_lastAreas.value(areasKey(key, m_type), Areas{-2.0, -1.0, 1.0, 2.0});
    panel->setArea1(areas[0], areas[1]);
    panel->setArea2(areas[2], areas[3]);
    panel->setCurrentCorrectionValue(value);
    panel->setTargetSpinBox(target);
    panel->setStopReporter(this, [this, key] { followCamera(key); });

    const QPointer<CorrectionTool> self(this);
    m_dialog->exec();
    if (!self) return;  // the pane went while the dialog ran
    if (m_dialog) {
        const Ui::CorrectionWidget* form = m_dialog->panel()->form();
        m_lastAreas.insert(areasKey(key, m_type),
                           Areas{form->dSpinboxLeft1->value(), form->dSpinboxRight1->value(),
                                 form->dSpinboxLeft2->value(), form->dSpinboxRight2->value()});
    }
    delete m_dialog;    // camera calls still running finish on their own
    followCamera(key);  // a stop still under way reports itself again when it has returned
    if (view && before) {
        emit before->clicked(false);
        before->setChecked(true);
    }
}

void CorrectionTool::followCamera(const QString& key) {
    // Scan and register start and stop the camera without the host: the buttons follow the camera.
    if (m_pane->cameraName() != key) return;
    const std::string grabbing = ZavizoZoz3::GetCameraInfo(key.toStdString(), ZavizoZoz3::CAM_INFO_GRABBING);
    if (grabbing == "1") m_pane->onGrabStarted();
    if (grabbing == "0") m_pane->onGrabStopped();
}

bool CorrectionTool::takeContour(const QVector<qreal>& heights) {
    if (!m_dialog) return false;
    m_dialog->panel()->setContour(heights);
    return true;
}

void CorrectionTool::close() {
    // Without registering: the camera is gone, so there is nothing to measure; the panel stops a
    // running scan when it goes.
    if (m_dialog) m_dialog->done(QDialog::Rejected);
}

QString CorrectionTool::areasKey(const QString& camera, int type) {
    return QString::number(type) + QLatin1Char(':') + camera;
}

QString CorrectionTool::title() const {
    return m_type != 0 ? tr("High Correction") : tr("Tilt Correction");
}

void CorrectionTool::retranslate() {
    if (!m_dialog) return;
    m_dialog->setTitle(title());
    m_dialog->panel()->retranslate();
}
