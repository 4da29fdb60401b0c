// SPDX-License-Identifier: Apache-2.0
#include "SaveSettingsPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "ModalSeam.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;
using namespace ZavizoZoz3;

namespace {
QString setting(int item) {
    return QString::fromStdString(GetParamterInfo(PARAMETER_INFO(item))).trimmed();
}

void store(int item, const QString& value) {
    Control::setParameterInfo(PARAMETER_INFO(item), value.toStdString());
}

// A decimal setting, or `fallback` when it is not one (as the viewer reads them).
int number(int item, int fallback) {
    bool ok = false;
    const int value = setting(item).toInt(&ok, 10);
    return ok ? value : fallback;
}
}  // namespace

SaveSettingsPanel::SaveSettingsPanel(QWidget* parent) : QWidget(parent) {
    m_form = new QFormLayout(this);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    // The formats are listed in the order of the setting's values, named after their files.
    addFolder(PARAMETER_SAVE_DIR, QT_TR_NOOP("Save folder:"), QStringLiteral("SaveFolder"));
    addSwitch(PARAMETER_AUTO_NAME, QT_TR_NOOP("Name files automatically"), QStringLiteral("AutoName"));
    addChoice(PARAMETER_NAMING_RULE, QT_TR_NOOP("Naming rule:"),
              {QT_TR_NOOP("Prefix, time and number"), QT_TR_NOOP("Prefix and time"),
               QT_TR_NOOP("Prefix and number")},
              true, QStringLiteral("NamingRule"));
    addText(PARAMETER_FILE_PREFIX, QT_TR_NOOP("Prefix:"), QStringLiteral("Prefix"));
    addChoice(PARAMETER_IMAGE_FORMAT, QT_TR_NOOP("Pictures:"), {"BMP", "JPG", "PNG", "TIF"}, false,
              QStringLiteral("PictureFormat"));
    addChoice(PARAMETER_PROFILE_HEIGHT_FORMAT, QT_TR_NOOP("Profile heights:"), {"CSV", "BIN", "PCD", "SRT"},
              false, QStringLiteral("ProfileHeight"), PARAMETER_SAVE_PROFILE_HEIGHT);
    addSwitch(PARAMETER_PROFILE_CSV_X_COLUMN, QT_TR_NOOP("Profile CSV as x,z pairs (mm)"),
              QStringLiteral("ProfileCsvXColumn"));
    addSwitch(PARAMETER_SAVE_PROFILE_BRIGHTNESS, QT_TR_NOOP("Save profile brightness (CSV)"),
              QStringLiteral("ProfileBrightness"));
    addChoice(PARAMETER_RANGE_HEIGHT_FORMAT, QT_TR_NOOP("Scan heights:"),
              {"TIF", "SRT", "PCD", "PLY", "CSV", "BIN", "OBJ", "ECD", "JXR"}, false,
              QStringLiteral("RangeHeight"), PARAMETER_SAVE_RANGE_HEIGHT);
    addChoice(PARAMETER_RANGE_BRIGHTNESS_FORMAT, QT_TR_NOOP("Scan brightness:"), {"BMP", "JPG", "PNG", "CSV"},
              false, QStringLiteral("RangeBrightness"), PARAMETER_SAVE_RANGE_BRIGHTNESS);
    addNumber(PARAMETER_FRAME_LIMIT, QT_TR_NOOP("Frame limit:"), 1, 1000000, QStringLiteral("FrameLimit"));
    addNumber(PARAMETER_QUEUE_CAPACITY, QT_TR_NOOP("Queue size:"), 1, 10000, QStringLiteral("QueueSize"));
    addFolder(PARAMETER_RECORD_DIR, QT_TR_NOOP("Recording folder:"), QStringLiteral("RecordFolder"));
    addSwitch(PARAMETER_RECORD_AUTO_NAME, QT_TR_NOOP("Name recordings automatically"),
              QStringLiteral("RecordAutoName"));
    addChoice(PARAMETER_RECORD_FORMAT, QT_TR_NOOP("Recordings:"),
              {QT_TR_NOOP("Folder of frames"), QT_TR_NOOP("Lossless video (FFV1, .mkv)")}, true,
              QStringLiteral("RecordFormat"));
    retranslateUi();
    reload();
}

SaveSettingsPanel::Row& SaveSettingsPanel::newRow(PARAMETER_INFO item, const char* label) {
    Row row;
    row.item = item;
    row.label = label;
    m_rows.append(row);
    return m_rows.last();
}

void SaveSettingsPanel::addFolder(PARAMETER_INFO item, const char* label, const QString& name) {
    const int index = m_rows.size();
    Row& row = newRow(item, label);
    row.labelWidget = new QLabel(this);
    row.text = new QLineEdit(this);
    row.text->setObjectName(QStringLiteral("lineEdit") + name);
    row.browse = new QPushButton(QStringLiteral("..."), this);
    row.browse->setObjectName(QStringLiteral("btn") + name);
    row.browse->setMaximumWidth(36);
    row.text->setMinimumWidth(60);
    auto* line = new QHBoxLayout();
    line->addWidget(row.text, 1);
    line->addWidget(row.browse);
    m_form->addRow(row.labelWidget, line);
    connect(row.text, &QLineEdit::editingFinished, this, [this, index]() {
        if (!m_loading) store(m_rows[index].item, m_rows[index].text->text().trimmed());
    });
    connect(row.browse, &QPushButton::clicked, this, [this, index]() { chooseFolder(m_rows[index]); });
}

void SaveSettingsPanel::addText(PARAMETER_INFO item, const char* label, const QString& name) {
    const int index = m_rows.size();
    Row& row = newRow(item, label);
    row.labelWidget = new QLabel(this);
    row.text = new QLineEdit(this);
    row.text->setObjectName(QStringLiteral("lineEdit") + name);
    m_form->addRow(row.labelWidget, row.text);
    connect(row.text, &QLineEdit::editingFinished, this, [this, index]() {
        if (!m_loading) store(m_rows[index].item, m_rows[index].text->text());
    });
}

void SaveSettingsPanel::addSwitch(PARAMETER_INFO item, const char* label, const QString& name) {
    const int index = m_rows.size();
    Row& row = newRow(item, label);
    row.check = new QCheckBox(this);
    row.check->setObjectName(QStringLiteral("checkBox") + name);
    m_form->addRow(row.check);
    connect(row.check, &QCheckBox::toggled, this, [this, index](bool on) {
        if (!m_loading) store(m_rows[index].item, on ? QStringLiteral("1") : QStringLiteral("0"));
    });
}

void SaveSettingsPanel::addChoice(PARAMETER_INFO item, const char* label, const QStringList& choices,
                                  bool translate, const QString& name, int switchItem) {
    const int index = m_rows.size();
    Row& row = newRow(item, label);
    row.choices = choices;
    row.translateChoices = translate;
    row.switchItem = switchItem;
    row.labelWidget = new QLabel(this);
    row.combo = new QComboBox(this);
    row.combo->setObjectName(QStringLiteral("comboBox") + name);
    row.combo->addItems(choices);
    // Long entries must not widen the side panel: the list opens wide enough anyway.
    row.combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    row.combo->setMinimumContentsLength(6);
    if (switchItem < 0) {
        m_form->addRow(row.labelWidget, row.combo);
    } else {
        row.check = new QCheckBox(this);
        row.check->setObjectName(QStringLiteral("checkBox") + name);
        auto* line = new QHBoxLayout();
        line->addWidget(row.check);
        line->addWidget(row.combo, 1);
        m_form->addRow(row.labelWidget, line);
        connect(row.check, &QCheckBox::toggled, this, [this, index](bool on) {
            const Row& r = m_rows[index];
            r.combo->setEnabled(on);
            if (!m_loading) store(r.switchItem, on ? QStringLiteral("1") : QStringLiteral("0"));
        });
    }
    connect(row.combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this, index](int value) {
        if (!m_loading && value >= 0) store(m_rows[index].item, QString::number(value));
    });
}

void SaveSettingsPanel::addNumber(PARAMETER_INFO item, const char* label, int minimum, int maximum,
                                  const QString& name) {
    const int index = m_rows.size();
    Row& row = newRow(item, label);
    row.labelWidget = new QLabel(this);
    row.number = new QSpinBox(this);
    row.number->setObjectName(QStringLiteral("spinBox") + name);
    row.number->setRange(minimum, maximum);
    row.number->setMinimumWidth(60);
    // Written when the user is done typing, not at every digit.
    row.number->setKeyboardTracking(false);
    m_form->addRow(row.labelWidget, row.number);
    connect(row.number, QOverload<int>::of(&QSpinBox::valueChanged), this, [this, index](int value) {
        if (!m_loading) store(m_rows[index].item, QString::number(value));
    });
}

void SaveSettingsPanel::chooseFolder(const Row& row) {
    const QString folder = ModalSeam::getExistingDirectory(this, tr("Choose a folder"), row.text->text());
    if (folder.isEmpty()) return;  // cancelled: the setting stays
    row.text->setText(folder);
    store(row.item, folder);
}

void SaveSettingsPanel::reload() {
    m_loading = true;
    for (Row& row : m_rows) {
        if (row.text) {
            row.text->setText(setting(row.item));
            row.text->setCursorPosition(0);  // a long path shows its start
        }
        if (row.number) row.number->setValue(number(row.item, row.number->minimum()));
        if (row.combo) {
            // A value the list does not have shows as no choice rather than as a wrong one.
            const int value = number(row.item, 0);
            row.combo->setCurrentIndex(value >= 0 && value < row.combo->count() ? value : -1);
        }
        if (row.check) {
            const int item = row.switchItem >= 0 ? row.switchItem : row.item;
            row.check->setChecked(number(item, 1) != 0);
            if (row.combo) row.combo->setEnabled(row.check->isChecked());
        }
    }
    m_loading = false;
}

QMap<int, QString> SaveSettingsPanel::values() const {
    QMap<int, QString> all;
    for (const Row& row : m_rows) {
        all.insert(row.item, setting(row.item));
        if (row.switchItem >= 0) all.insert(row.switchItem, setting(row.switchItem));
    }
    return all;
}

void SaveSettingsPanel::apply(const QMap<int, QString>& values) {
    const auto isSwitch = [](const QString& v) { return v == QLatin1String("0") || v == QLatin1String("1"); };
    for (const Row& row : m_rows) {
        if (row.switchItem >= 0 && values.contains(row.switchItem) && isSwitch(values.value(row.switchItem)))
            store(row.switchItem, values.value(row.switchItem));
        if (!values.contains(row.item)) continue;
        const QString value = values.value(row.item).trimmed();
        bool ok = false;
        const int n = value.toInt(&ok, 10);
        bool accepted = row.text != nullptr;
        if (row.number) accepted = ok && n >= row.number->minimum() && n <= row.number->maximum();
        if (row.combo) accepted = ok && n >= 0 && n < row.combo->count();
        if (row.check && !row.combo) accepted = isSwitch(value);
        if (accepted) store(row.item, row.text ? values.value(row.item) : value);
    }
    reload();
}

void SaveSettingsPanel::retranslateUi() {
    for (Row& row : m_rows) {
        const QString label = tr(row.label);
        if (row.labelWidget) {
            row.labelWidget->setText(label);
            if (row.check) row.check->setText(tr("Save"));
        } else if (row.check) {
            row.check->setText(label);
        }
        if (row.browse) row.browse->setToolTip(tr("Choose a folder"));
        if (row.translateChoices) {
            for (int i = 0; i < row.choices.size(); ++i)
                row.combo->setItemText(i, tr(row.choices.at(i).toLatin1().constData()));
        }
    }
}

void SaveSettingsPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QWidget::changeEvent(event);
}
