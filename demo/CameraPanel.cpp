// SPDX-License-Identifier: Apache-2.0
#include "CameraPanel.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <cmath>

#include "GenApi.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace {
enum FeatureIndex { Exposure, Gain, Rate, TriggerMode, PixelFormat };
}  // namespace

CameraPanel::CameraPanel(QWidget* parent) : QWidget(parent) {
    m_form = new QFormLayout(this);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("labelCamera"));
    m_title->setWordWrap(true);
    m_form->addRow(m_title);
    // Each feature under the names cameras give it, the standard name first.
    addNumber({QStringLiteral("ExposureTime"), QStringLiteral("ExposureTimeAbs")},
              QStringLiteral("Exposure"));
    addNumber({QStringLiteral("Gain"), QStringLiteral("GainRaw")}, QStringLiteral("Gain"));
    addNumber({QStringLiteral("AcquisitionLineRate"), QStringLiteral("AcquisitionFrameRate")},
              QStringLiteral("Rate"));
    addChoice({QStringLiteral("TriggerMode")}, QStringLiteral("TriggerMode"));
    addChoice({QStringLiteral("PixelFormat")}, QStringLiteral("PixelFormat"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("labelCameraStatus"));
    m_status->setWordWrap(true);
    m_status->setStyleSheet(QStringLiteral("color: #C03030;"));
    m_form->addRow(m_status);
    setCamera(QString());
}

void CameraPanel::addNumber(const QStringList& nodeNames, const QString& name) {
    const int index = m_features.size();
    Feature feature;
    feature.nodeNames = nodeNames;
    feature.label = new QLabel(this);
    feature.number = new QDoubleSpinBox(this);
    feature.number->setObjectName(QStringLiteral("spinBox") + name);
    // Written when the user is done typing, not at every digit.
    feature.number->setKeyboardTracking(false);
    m_form->addRow(feature.label, feature.number);
    connect(feature.number, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, [this, index]() {
        if (!m_loading) write(index);
    });
    m_features.append(feature);
}

void CameraPanel::addChoice(const QStringList& nodeNames, const QString& name) {
    const int index = m_features.size();
    Feature feature;
    feature.nodeNames = nodeNames;
    feature.label = new QLabel(this);
    feature.choice = new QComboBox(this);
    feature.choice->setObjectName(QStringLiteral("comboBox") + name);
    m_form->addRow(feature.label, feature.choice);
    connect(feature.choice, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this, index]() {
        if (!m_loading) write(index);
    });
    m_features.append(feature);
}

GenApi::INode* CameraPanel::node(const QString& name) const {
    if (m_key.isEmpty() || name.isEmpty()) return nullptr;
    GenApi::INodeMap* map = ZavizoZoz3::GetAttrNodeMap(ZavizoZoz3::FOCUS_CAMERA, m_key.toStdString(), 3);
    return map != nullptr ? map->GetNode(name.toStdString()) : nullptr;
}

void CameraPanel::setCamera(const QString& key) {
    m_key = ZavizoZoz3::Control::hasCamera(key.toStdString()) ? key : QString();
    m_status->clear();
    refresh();
}

void CameraPanel::refresh() {
    m_loading = true;
    for (Feature& feature : m_features) {
        feature.node.clear();
        GenApi::INode* found = nullptr;
        for (const QString& name : qAsConst(feature.nodeNames)) {
            found = node(name);
            if (GenApi::IsReadable(found)) {
                feature.node = name;
                break;
            }
        }
        QWidget* editor = feature.number != nullptr ? static_cast<QWidget*>(feature.number) : feature.choice;
        feature.label->setVisible(!feature.node.isEmpty());
        editor->setVisible(!feature.node.isEmpty());
        if (feature.node.isEmpty()) continue;
        editor->setEnabled(GenApi::IsWritable(found));
        // Node calls throw for a feature that changed its access since it was looked at.
        try {
            if (auto* f = dynamic_cast<GenApi::IFloat*>(found)) {
                const double min = f->GetMin(), max = f->GetMax();
                feature.number->setDecimals(max - min > 100.0 ? 1 : 3);
                feature.number->setRange(min, max);
                feature.number->setSingleStep(max - min > 100.0 ? 1.0 : 0.1);
                feature.number->setValue(f->GetValue());
            } else if (auto* i = dynamic_cast<GenApi::IInteger*>(found)) {
                feature.number->setDecimals(0);
                feature.number->setRange(double(i->GetMin()), double(i->GetMax()));
                feature.number->setSingleStep(double(std::max<int64_t>(1, i->GetInc())));
                feature.number->setValue(double(i->GetValue()));
            } else if (auto* e = dynamic_cast<GenApi::IEnumeration*>(found)) {
                feature.choice->clear();
                for (const std::string& symbolic : e->GetSymbolics())
                    feature.choice->addItem(QString::fromStdString(symbolic));
                feature.choice->setCurrentText(QString::fromStdString(e->GetCurrentEntrySymbolic()));
            } else {
                feature.label->hide();  // a node of a kind this panel does not edit
                editor->hide();
            }
        } catch (const GenICam::GenericException& e) {
            editor->setEnabled(false);
            m_status->setText(tr("%1 cannot be read: %2").arg(feature.node, QString::fromUtf8(e.what())));
        }
    }
    m_loading = false;
    retranslateUi();
}

void CameraPanel::write(int index) {
    const Feature& feature = m_features.at(index);
    GenApi::INode* target = node(feature.node);
    if (target == nullptr) return;
    m_status->clear();
    try {
        if (auto* f = dynamic_cast<GenApi::IFloat*>(target)) {
            f->SetValue(feature.number->value());
        } else if (auto* i = dynamic_cast<GenApi::IInteger*>(target)) {
            // Integer features take only values on their increment.
            const int64_t min = i->GetMin(), inc = std::max<int64_t>(1, i->GetInc());
            const auto steps =
                static_cast<int64_t>(std::llround((feature.number->value() - double(min)) / inc));
            i->SetValue(min + steps * inc);
        } else if (auto* e = dynamic_cast<GenApi::IEnumeration*>(target)) {
            e->SetSymbolic(feature.choice->currentText().toStdString());
        }
    } catch (const GenICam::GenericException& e) {
        m_status->setText(tr("%1 was not accepted: %2").arg(feature.node, QString::fromUtf8(e.what())));
    }
    refresh();  // what the camera took, which may differ from what was typed
}

void CameraPanel::retranslateUi() {
    m_title->setText(m_key.isEmpty() ? tr("The current pane has no camera") : tr("Camera: %1").arg(m_key));
    m_features[Exposure].label->setText(tr("Exposure (µs):"));
    m_features[Gain].label->setText(tr("Gain:"));
    // A profiler's acquisition rate is the rate of its profiles, its lines.
    const bool lines = m_features[Rate].node == QLatin1String("AcquisitionLineRate") ||
                       ZavizoZoz3::GetCameraInfo(m_key.toStdString(), ZavizoZoz3::CAM_INFO_DEVICE_KIND) ==
                           ZavizoZoz3::kDeviceKindProfiler;
    m_features[Rate].label->setText(lines ? tr("Line rate (Hz):") : tr("Frame rate (fps):"));
    m_features[TriggerMode].label->setText(tr("Trigger mode:"));
    m_features[PixelFormat].label->setText(tr("Pixel format:"));
}

void CameraPanel::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

void CameraPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QWidget::changeEvent(event);
}
