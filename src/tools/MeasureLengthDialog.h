// SPDX-License-Identifier: Apache-2.0
#pragma once
// Styled tool window of the length measurement; the pane reaches the panel through it.
#include "CBaseDialog.h"

class MeasureLengthWidget;

class MeasureLengthDialog : public CBaseDialog {
    Q_OBJECT
public:
    explicit MeasureLengthDialog(QWidget* parent = nullptr);
    ~MeasureLengthDialog() override;
    MeasureLengthWidget* panel() const { return m_panel; }

protected:
    void initContentWidget(QWidget* content) override;

private:
    MeasureLengthWidget* m_panel = nullptr;
};
