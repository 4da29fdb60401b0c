// SPDX-License-Identifier: Apache-2.0
#pragma once
// The "Display range" panel of a 2D pane: mode, minimum and maximum, percentiles, gamma and the
// saturation colour of deep grey frames. Edits are reported as a whole range; the panel never applies
// them itself (the pane's DisplayRangeTool does).
#include <QWidget>

#include "ZMKDisplayRange.h"

namespace Ui {
class DisplayRangeWidget;
}

class DisplayRangeWidget : public QWidget {
    Q_OBJECT
public:
    explicit DisplayRangeWidget(QWidget* parent = nullptr);
    ~DisplayRangeWidget() override;

    // Shows `range` without reporting it back.
    void showRange(const ZMKDisplayRange& range);
    // The levels in use (an automatic mode found them): shown in the minimum and maximum boxes.
    void showLevels(int low, int high);
    ZMKDisplayRange range() const { return m_range; }
    void retranslate();

signals:
    // The user changed the range; AutoOnce also when "Auto once" was pressed again.
    void rangeEdited(const ZMKDisplayRange& range);

private:
    void onEdited();
    void onAutoOnce();
    void onColourClicked();
    void enableForMode();

    ZMKDisplayRange m_range;
    bool m_showing = false;  // boxes being filled by the program, not the user
    Ui::DisplayRangeWidget* m_ui;
};
