// SPDX-License-Identifier: Apache-2.0
#pragma once
// The tilt and height correction panel: the live contour of a laser profiler on a plot with two
// calculation areas, scan and register of the contour, and the correction factor computed from
// the tilt of the surface or the height step between the areas. Confirm hands the new factor to
// the host's spin box, Cancel the current one.
#include <QPointer>
#include <QString>
#include <QVector>
#include <QWidget>
#include <functional>
#include <memory>

class QButtonGroup;
class QDoubleSpinBox;
class ProfilePlot;
class SerialCallThread;

namespace Ui {
class CorrectionWidget;
}

class CorrectionWidget : public QWidget {
    Q_OBJECT
public:
    enum Type { TiltCorrection = 0, HeightCorrection = 1 };

    explicit CorrectionWidget(QWidget* parent = nullptr);
    // A scan still running is stopped; camera calls already posted finish first.
    ~CorrectionWidget() override;

    // 1 height correction, any other value tilt correction.
    void setCorrectionType(int type);
    int correctionType() const { return m_type; }
    void setCameraKey(const QString& key);
    // Height axis of the plot; heights strictly inside it are valid.
    void setYRange(float min, float max);
    // Width of the measuring range in mm; the contour spreads over -width/2 .. width/2.
    void setXRange(float width);
    // The camera's "Scaler" value, which fixes the height of unmeasured points.
    void setScaler(int scaler);
    void setArea1(double left, double right);
    void setArea2(double left, double right);
    void setCurrentCorrectionValue(float value);
    // The host's box the result goes to (not owned; may go away while the panel is open).
    void setTargetSpinBox(QDoubleSpinBox* box);
    // A new contour (heights in mm). Ignored once a contour is registered.
    void setContour(const QVector<qreal>& heights);
    QVector<qreal> contour() const { return m_contour; }

    bool isScanning() const;
    void retranslate();
    Ui::CorrectionWidget* form() const { return m_ui; }
    ProfilePlot* plot() const;
    // Blocks until the camera calls of scan and register have run.
    void waitForCameraCalls();
    // `stopped` runs on the GUI thread after each StopGrab of the panel has returned, also once
    // the panel is gone, as long as `receiver` exists.
    void setStopReporter(QObject* receiver, std::function<void()> stopped);

signals:
    void closeClicked();

public slots:
    void onDoubleSpinBoxValueChanged();
    void onAreaValueChanged(int index, double value);
    void onConfirmCancelButtonClicked();
    void onScanContourButtonClicked();
    void onRegisterContourButtonClicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    void compute();
    void moveAreaMarkers();
    void showResult(float measured, float factor);
    bool hasValidHeight() const;

    int m_type = TiltCorrection;
    float m_xRange = 20.0f;
    float m_yMin = -10.0f;
    float m_yMax = 10.0f;
    int m_scaler = 0;
    QString m_cameraKey;
    QVector<qreal> m_contour;
    QPointer<QDoubleSpinBox> m_target;
    Ui::CorrectionWidget* m_ui = nullptr;
    QButtonGroup* m_contourButtons = nullptr;
    QPointer<QObject> m_stopReceiver;
    std::function<void()> m_stopped;
    // Runs StartGrab, the trigger set-up and StopGrab off the GUI thread, in click order.
    std::unique_ptr<SerialCallThread> m_cameraCalls;
};
