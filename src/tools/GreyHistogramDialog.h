// SPDX-License-Identifier: Apache-2.0
#pragma once
// Styled dialog that hosts a pane's histogram panel.
#include "CBaseDialog.h"

class GreyHistogramWidget;

class GreyHistogramDialog : public CBaseDialog {
    Q_OBJECT
public:
    explicit GreyHistogramDialog(QWidget* parent = nullptr);
    GreyHistogramWidget* panel() const { return m_panel; }

protected:
    void initContentWidget(QWidget* content) override;

private:
    GreyHistogramWidget* m_panel = nullptr;
};
