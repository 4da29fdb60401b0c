#include "CorrectionTool.h"

#include <QPushButton>
#include <cstdlib>
#include <string>

#include "CorrectionDialog.h"
#include "CorrectionWidget.h"
#include "Image3DWnd.h"
#include "ImageWnd.h"
#include "ZavizoZoz3.h"

class QDoubleSpinBox;

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
    panel->setScaler(std::atoi(scaler.c_str()));
    panel->setArea1(-2.0, -1.0);
    panel->setArea2(1.0, 2.0);
    panel->setCurrentCorrectionValue(value);
    panel->setTargetSpinBox(static_cast<QDoubleSpinBox*>(info));

    const QPointer<CorrectionTool> self(this);
    m_dialog->exec();
    if (!self) return;  // the pane went while the dialog ran
    delete m_dialog;    // waits for the panel's camera calls
    // Scan and register start and stop the camera without the host: the buttons follow the camera.
    const std::string grabbing = ZavizoZoz3::GetCameraInfo(key.toStdString(), ZavizoZoz3::CAM_INFO_GRABBING);
    if (grabbing == "1") m_pane->onGrabStarted();
    if (grabbing == "0") m_pane->onGrabStopped();
    if (view && before) {
        emit before->clicked(false);
        before->setChecked(true);
    }
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

QString CorrectionTool::title() const {
    return m_type != 0 ? tr("High Correction") : tr("Tilt Correction");
}

void CorrectionTool::retranslate() {
    if (!m_dialog) return;
    m_dialog->setTitle(title());
    m_dialog->panel()->retranslate();
}
