// SPDX-License-Identifier: Apache-2.0
#include "CorrectionWidget.h"

#include <QButtonGroup>
#include <QEvent>
#include <QPointF>
#include <cfloat>
#include <string>

#include "CMessageBox.h"
#include "CorrectionCalculator.h"
#include "ProfilePlot.h"
#include "SerialCallThread.h"
#include "ZavizoZoz3.h"
#include "ui_CorrectionWidget.h"

namespace {

QString fixed4(double value) {
    return QString::number(value, 'f', 4);
}

// Starts acquisition and, for a camera waiting for software triggers, sends the first one.
void startScan(const std::string& camera) {
    ZavizoZoz3::StartGrab(camera);
    ZavizoZoz3::SetCameraNodeValue(camera, "TriggerSelector", "FrameStart");
    std::string value;
    if (ZavizoZoz3::GetCameraNodeValue(camera, "TriggerMode", value) != 0 || value != "On") return;
    if (ZavizoZoz3::GetCameraNodeValue(camera, "TriggerSource", value) != 0 || value != "Software") return;
    ZavizoZoz3::SetCameraNodeValue(camera, "TriggerSoftware", "");
}
}  // namespace

CorrectionWidget::CorrectionWidget(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::CorrectionWidget), m_cameraCalls(std::make_unique<SerialCallThread>()) {
    m_ui->setupUi(this);
    m_contourButtons = new QButtonGroup(this);
    m_contourButtons->setExclusive(true);
    m_contourButtons->addButton(m_ui->btnScanContour);
    m_contourButtons->addButton(m_ui->btnRegisterContour);
    // Which of the two is in force must be plain at a glance.
    const QString checkedLook = QStringLiteral("QPushButton:checked{background: #2F7FD1; color: white;}");
    m_ui->btnScanContour->setStyleSheet(checkedLook);
    m_ui->btnRegisterContour->setStyleSheet(checkedLook);
    m_ui->plot->showAreaLines();
    setYRange(m_yMin, m_yMax);
    setXRange(m_xRange);

    connect(m_ui->btnScanContour, &QPushButton::clicked, this, &CorrectionWidget::onScanContourButtonClicked);
    connect(m_ui->btnRegisterContour, &QPushButton::clicked, this,
            &CorrectionWidget::onRegisterContourButtonClicked);
    for (QDoubleSpinBox* box :
         {m_ui->dSpinboxLeft1, m_ui->dSpinboxRight1, m_ui->dSpinboxLeft2, m_ui->dSpinboxRight2}) {
        connect(box, &QDoubleSpinBox::editingFinished, this, &CorrectionWidget::onDoubleSpinBoxValueChanged);
    }
    connect(m_ui->btnConfirm, &QPushButton::clicked, this, &CorrectionWidget::onConfirmCancelButtonClicked);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &CorrectionWidget::onConfirmCancelButtonClicked);
    connect(m_ui->plot, &ProfilePlot::areaValueChanged, this, &CorrectionWidget::onAreaValueChanged);
    connect(m_ui->dSpinboxCorrectionValue, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &CorrectionWidget::compute);
    retranslate();
}

CorrectionWidget::~CorrectionWidget() {
    // Closing the panel in the middle of a scan must not leave the camera grabbing.
    if (isScanning()) {
        const std::string camera = m_cameraKey.toStdString();
        m_cameraCalls->post([camera] { ZavizoZoz3::StopGrab(camera); }, m_stopReceiver, m_stopped);
    }
    m_cameraCalls.reset();  // returns at once: a hanging camera call finishes on its own
    delete m_ui;
}

void CorrectionWidget::setCorrectionType(int type) {
    m_type = type == HeightCorrection ? HeightCorrection : TiltCorrection;
    if (m_type == HeightCorrection) m_ui->dSpinboxCorrectionValue->setRange(DBL_MIN, DBL_MAX);
    retranslate();
}

void CorrectionWidget::setCameraKey(const QString& key) {
    m_cameraKey = key;
}

void CorrectionWidget::setYRange(float min, float max) {
    m_yMin = min;
    m_yMax = max;
    m_ui->plot->setYRange(min, max);
    moveAreaMarkers();
}

void CorrectionWidget::setXRange(float width) {
    m_xRange = width;
    const double half = width / 2.0;
    m_ui->plot->setXRange(-half, half);
    for (QDoubleSpinBox* box : {m_ui->dSpinboxLeft1, m_ui->dSpinboxLeft2})
        box->setRange(-half, half - 0.1);
    for (QDoubleSpinBox* box : {m_ui->dSpinboxRight1, m_ui->dSpinboxRight2})
        box->setRange(-half + 0.1, half);
    moveAreaMarkers();
}

void CorrectionWidget::setScaler(int scaler) {
    m_scaler = scaler;
}

void CorrectionWidget::setArea1(double left, double right) {
    m_ui->dSpinboxLeft1->setValue(left);
    m_ui->dSpinboxRight1->setValue(right);
    moveAreaMarkers();
}

void CorrectionWidget::setArea2(double left, double right) {
    m_ui->dSpinboxLeft2->setValue(left);
    m_ui->dSpinboxRight2->setValue(right);
    moveAreaMarkers();
}

void CorrectionWidget::setCurrentCorrectionValue(float value) {
    m_ui->lineEditCurCorrectionFactor->setText(fixed4(value));
}

void CorrectionWidget::setTargetSpinBox(QDoubleSpinBox* box) {
    m_target = box;
}

void CorrectionWidget::setContour(const QVector<qreal>& heights) {
    // A registered contour is what the areas are measured on: later frames of the stopping
    // camera must not replace it.
    if (m_ui->btnRegisterContour->isChecked()) return;
    const int n = heights.size();
    QVector<double> x(n);
    const double step = n > 0 ? m_xRange / n : 0.0;
    for (int i = 0; i < n; ++i)
        x[i] = -m_xRange / 2.0 + i * step;
    m_ui->plot->setData(x, QVector<double>(heights.begin(), heights.end()));
    m_contour = heights;
}

bool CorrectionWidget::isScanning() const {
    return m_ui->btnScanContour->isChecked();
}

ProfilePlot* CorrectionWidget::plot() const {
    return m_ui->plot;
}

void CorrectionWidget::waitForCameraCalls() {
    m_cameraCalls->waitIdle();
}

void CorrectionWidget::setStopReporter(QObject* receiver, std::function<void()> stopped) {
    m_stopReceiver = receiver;
    m_stopped = std::move(stopped);
}

void CorrectionWidget::onScanContourButtonClicked() {
    m_ui->plot->setCurveColor(QColor(0, 255, 0));
    const std::string camera = m_cameraKey.toStdString();
    m_cameraCalls->post([camera] { startScan(camera); });
    m_ui->btnRegisterContour->setEnabled(true);
    m_ui->dSpinboxCorrectionValue->setEnabled(false);
}

void CorrectionWidget::onRegisterContourButtonClicked() {
    m_ui->plot->setCurveColor(QColor(255, 0, 0));
    const std::string camera = m_cameraKey.toStdString();
    m_cameraCalls->post([camera] { ZavizoZoz3::StopGrab(camera); }, m_stopReceiver, m_stopped);
    if (!hasValidHeight()) {
        CMessageBox box(tr("Error"), tr("No valid data"), CMessageBox::Error, this);
        box.setButtonText(0, tr("Confirm"));
        box.setButtonHidden(1, true);
        box.exec();
        return;
    }
    onDoubleSpinBoxValueChanged();
    m_ui->dSpinboxCorrectionValue->setEnabled(true);
}

bool CorrectionWidget::hasValidHeight() const {
    for (qreal h : m_contour) {
        if (h > m_yMin && h < m_yMax) return true;
    }
    return false;
}

void CorrectionWidget::onAreaValueChanged(int index, double value) {
    QDoubleSpinBox* boxes[] = {m_ui->dSpinboxLeft1, m_ui->dSpinboxRight1, m_ui->dSpinboxLeft2,
                               m_ui->dSpinboxRight2};
    if (index < 1 || index > 4) return;
    QDoubleSpinBox* box = boxes[index - 1];
    box->setValue(value);
    emit box->editingFinished();
}

void CorrectionWidget::onDoubleSpinBoxValueChanged() {
    // Each area keeps at least 0.5 mm between its bounds.
    const QObject* from = sender();
    auto keepApart = [from](QDoubleSpinBox* left, QDoubleSpinBox* right) {
        if (from != left && from != right) return;
        right->setMinimum(left->value() + 0.5);
        left->setMaximum(right->value() - 0.5);
    };
    keepApart(m_ui->dSpinboxLeft1, m_ui->dSpinboxRight1);
    keepApart(m_ui->dSpinboxLeft2, m_ui->dSpinboxRight2);
    moveAreaMarkers();
    if (m_ui->btnRegisterContour->isChecked()) compute();
}

void CorrectionWidget::moveAreaMarkers() {
    m_ui->plot->setFirstArea(QPointF(m_ui->dSpinboxLeft1->value(), m_yMax),
                             QPointF(m_ui->dSpinboxRight1->value(), m_yMin));
    m_ui->plot->setSecondArea(QPointF(m_ui->dSpinboxLeft2->value(), m_yMax),
                              QPointF(m_ui->dSpinboxRight2->value(), m_yMin));
}

void CorrectionWidget::compute() {
    const int n = m_contour.size();
    const CorrectionCalculator::Bounds bounds = CorrectionCalculator::indexBounds(
        m_ui->dSpinboxLeft1->value(), m_ui->dSpinboxRight1->value(), m_ui->dSpinboxLeft2->value(),
        m_ui->dSpinboxRight2->value(), n, m_xRange);
    const QVector<float> heights(m_contour.begin(), m_contour.end());
    const float invalid = CorrectionCalculator::invalidMarker(m_scaler);
    const float correction = static_cast<float>(m_ui->dSpinboxCorrectionValue->value());
    if (m_type == HeightCorrection) {
        float measured = 0.0f;
        CorrectionCalculator::stepHeight(heights, bounds, invalid, &measured);
        showResult(measured, measured * correction > 0.0f ? correction / measured : 0.0f);
        return;
    }
    // The points lie X range / n apart (X range / 3200 on a 3200-point sensor).
    float fitted = 0.0f;
    CorrectionCalculator::fitAngle(heights, bounds, n > 0 ? m_xRange / static_cast<float>(n) : 0.0f, invalid,
                                   &fitted);
    const float measured = -fitted;
    showResult(measured, m_ui->lineEditCurCorrectionFactor->text().toFloat() + measured + correction);
}

void CorrectionWidget::showResult(float measured, float factor) {
    m_ui->lineEditMeasureValue->setText(fixed4(measured));
    m_ui->lineEditCorrectionFactor->setText(fixed4(factor));
}

void CorrectionWidget::onConfirmCancelButtonClicked() {
    const bool confirm = sender() == m_ui->btnConfirm;
    const float value =
        (confirm ? m_ui->lineEditCorrectionFactor : m_ui->lineEditCurCorrectionFactor)->text().toFloat();
    if (m_target) m_target->setValue(value);
    emit closeClicked();
}

void CorrectionWidget::retranslate() {
    m_ui->retranslateUi(this);
    const bool height = m_type == HeightCorrection;
    m_ui->labelMeasureValue->setText(height ? tr("Measure height:") : tr("Measure angle:"));
    m_ui->labelCorrectionValue->setText(height ? tr("Correction height:") : tr("Correction angle:"));
}

void CorrectionWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QWidget::changeEvent(event);
}
