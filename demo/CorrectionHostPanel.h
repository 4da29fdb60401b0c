// SPDX-License-Identifier: Apache-2.0
#pragma once
// The demo host's side of profiler calibration: the correction factors the host keeps (the
// viewer's correction dialog writes the result into them), buttons that raise the business
// layer's tilt and height correction requests, and the simulated scene's tilt and block height so
// that there is something to correct. The tilt factor goes to the simulated profiler as its tilt
// correction, as a host hands a confirmed factor to its sensor.
#include <QWidget>
#include <string>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

class CorrectionHostPanel : public QWidget {
    Q_OBJECT
public:
    CorrectionHostPanel(const std::string& profilerKey, QWidget* parent = nullptr);
    // Sets the scene (tilt in degrees, block step in mm, conveyor held at the block or moving).
    void setScene(double tiltDegrees, double blockStepMm, bool holdAtBlock);
    // Raises a correction request: 0 tilt, 1 height.
    void requestCorrection(int type);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyScene();
    void retranslateUi();

    std::string m_key;
    QLabel* m_help = nullptr;
    QLabel* m_sceneTiltLabel = nullptr;
    QLabel* m_blockStepLabel = nullptr;
    QLabel* m_tiltFactorLabel = nullptr;
    QLabel* m_heightFactorLabel = nullptr;
    QDoubleSpinBox* m_sceneTilt = nullptr;
    QDoubleSpinBox* m_blockStep = nullptr;
    QCheckBox* m_hold = nullptr;
    QDoubleSpinBox* m_tiltFactor = nullptr;
    QDoubleSpinBox* m_heightFactor = nullptr;
    QPushButton* m_tiltButton = nullptr;
    QPushButton* m_heightButton = nullptr;
};
