// SPDX-License-Identifier: Apache-2.0
#pragma once
// The demo host's camera settings for the camera of the current pane: exposure, gain, frame or
// line rate, trigger mode and pixel format, each shown only when the camera has that feature, read
// from and written to the camera's nodes, with the ranges and choices the nodes give.
#include <QString>
#include <QVector>
#include <QWidget>

class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;

namespace GenApi {
class INode;
}

class CameraPanel : public QWidget {
    Q_OBJECT
public:
    explicit CameraPanel(QWidget* parent = nullptr);
    // Shows camera `key` (empty or unknown: no camera) and reads its features.
    void setCamera(const QString& key);
    QString camera() const { return m_key; }
    // Reads the features of the camera again.
    void refresh();

protected:
    void changeEvent(QEvent* event) override;
    // Ranges and access may have changed with the camera's mode while the panel was hidden.
    void showEvent(QShowEvent* event) override;

private:
    // One feature: the first of its node names the camera has.
    struct Feature {
        QStringList nodeNames;
        QLabel* label = nullptr;
        QDoubleSpinBox* number = nullptr;  // integer and floating-point nodes
        QComboBox* choice = nullptr;       // enumeration nodes
        QString node;                      // the node found, empty when the camera lacks it
    };

    void addNumber(const QStringList& nodeNames, const QString& name);
    void addChoice(const QStringList& nodeNames, const QString& name);
    GenApi::INode* node(const QString& name) const;
    void write(int index);
    void retranslateUi();

    QFormLayout* m_form = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_status = nullptr;  // why the last write was refused
    QVector<Feature> m_features;
    QString m_key;
    bool m_loading = false;  // refresh() fills the widgets: nothing is written back meanwhile
};
