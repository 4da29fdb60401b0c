// SPDX-License-Identifier: Apache-2.0
#pragma once
// The pane's display range for deep grey frames: holds the setting (also while the pane shows the
// profiler, so it survives mode switches), applies it to the 2D view's display and opens the
// "Display range" panel from the view's tool strip. The strip's button shows only while a deep frame
// is shown.
#include <QObject>
#include <QPointer>

#include "ZMKDisplayRange.h"

class DisplayRangeWidget;
class Image2DWnd;
class QFrame;

class DisplayRangeTool : public QObject {
    Q_OBJECT
public:
    explicit DisplayRangeTool(QObject* parent = nullptr);
    ~DisplayRangeTool() override;

    // The pane created its 2D view: the setting goes to its display, the strip button opens the panel.
    void attachView(Image2DWnd* view);
    // The setting, minimum and maximum being the levels in use where a view shows a deep frame.
    ZMKDisplayRange range() const;
    // False (nothing changes) for an invalid range. Not reported as a user change.
    bool setRange(const ZMKDisplayRange& range);
    void openPanel();
    void closePanel();
    bool isPanelOpen() const;
    DisplayRangeWidget* panel() const;
    void retranslate();

    // New panes start with a range taken once from their first deep frame: a steady picture.
    static ZMKDisplayRange defaultRange();

signals:
    // The user changed the pane's range in the panel.
    void rangeChanged(const ZMKDisplayRange& range);

private:
    void apply();
    void onLevels(int low, int high);

    ZMKDisplayRange m_range;
    QPointer<Image2DWnd> m_view;
    QPointer<QFrame> m_popup;
    QPointer<DisplayRangeWidget> m_panel;
};
