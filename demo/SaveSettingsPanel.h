// SPDX-License-Identifier: Apache-2.0
#pragma once
// The demo host's save settings: the business layer's application settings that the viewer reads
// whenever a save or a recording starts (folders, naming, file formats, frame limit, queue size),
// shown as a form and written back the moment the user changes one.
#include <QMap>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include "ZavizoZoz3.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class SaveSettingsPanel : public QWidget {
    Q_OBJECT
public:
    explicit SaveSettingsPanel(QWidget* parent = nullptr);
    // Shows the settings as the business layer has them now (another part of the host may have
    // changed them).
    void reload();
    // Every setting the form edits (switches included), as the business layer has it now.
    QMap<int, QString> values() const;
    // Writes the values the form would accept (a choice it offers, "0" or "1" for a switch, a number
    // in its range, any text for a folder or prefix) and shows them; other settings keep theirs.
    void apply(const QMap<int, QString>& values);

protected:
    void changeEvent(QEvent* event) override;

private:
    // One form row: a setting of the business layer and the widgets that edit it.
    struct Row {
        ZavizoZoz3::PARAMETER_INFO item;
        int switchItem = -1;  // a switch that turns the row's setting on and off, or -1
        const char* label;    // untranslated row label (or check box text of a switch)
        QStringList choices;  // drop-down entries, in the order of the setting's values
        bool translateChoices = false;
        QLabel* labelWidget = nullptr;
        QLineEdit* text = nullptr;  // folders and texts
        QPushButton* browse = nullptr;
        QCheckBox* check = nullptr;  // switches
        QComboBox* combo = nullptr;  // choices
        QSpinBox* number = nullptr;  // numbers
    };

    void addFolder(ZavizoZoz3::PARAMETER_INFO item, const char* label, const QString& name);
    void addText(ZavizoZoz3::PARAMETER_INFO item, const char* label, const QString& name);
    void addSwitch(ZavizoZoz3::PARAMETER_INFO item, const char* label, const QString& name);
    // A drop-down; with a switch item, a "Save" check box beside it turns the files on and off.
    void addChoice(ZavizoZoz3::PARAMETER_INFO item, const char* label, const QStringList& choices,
                   bool translate, const QString& name, int switchItem = -1);
    void addNumber(ZavizoZoz3::PARAMETER_INFO item, const char* label, int minimum, int maximum,
                   const QString& name);
    Row& newRow(ZavizoZoz3::PARAMETER_INFO item, const char* label);
    void chooseFolder(const Row& row);
    void retranslateUi();

    QFormLayout* m_form = nullptr;
    QVector<Row> m_rows;
    bool m_loading = false;  // reload() fills the widgets: nothing is written back meanwhile
};
