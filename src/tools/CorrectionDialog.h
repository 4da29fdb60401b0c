// SPDX-License-Identifier: Apache-2.0
#pragma once
// Styled dialog that hosts the tilt and height correction panel. Closing it, by its close button
// or by the panel's Confirm or Cancel, first registers a contour still being scanned, so that the
// camera stops grabbing.
#include "CBaseDialog.h"

class CorrectionWidget;

class CorrectionDialog : public CBaseDialog {
    Q_OBJECT
public:
    explicit CorrectionDialog(QWidget* parent = nullptr);
    CorrectionWidget* panel() const { return m_panel; }

protected:
    void initContentWidget(QWidget* content) override;
    // Escape and the window's own close go the same way as the close button.
    void reject() override;

private:
    void finishScan();

    CorrectionWidget* m_panel = nullptr;
};
