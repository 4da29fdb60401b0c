// SPDX-License-Identifier: Apache-2.0
#pragma once
// The pane's length measurement on the 2D view: the measure button draws an editable line on the
// image and opens the measuring window, which follows every move of the line; the button, or the
// window's close button, ends it. The pane owns one tool and calls it from its 2D-view hooks.
#include <QObject>
#include <QPointer>

#include "NuvGeometry.h"

class Image2DWnd;
class ImageWnd;
class MeasureLengthDialog;
class ZMKImageWnd;

class MeasureTool : public QObject {
    Q_OBJECT
public:
    explicit MeasureTool(ImageWnd* pane);
    ~MeasureTool() override;

    // The pane created its 2D view: wires the measure button and the line's edits.
    void attachView(Image2DWnd* view);
    // Ends a running measurement: the window closes, the line leaves the image, the button unchecks.
    void close();
    void retranslate();

    bool isOpen() const { return !m_dialog.isNull(); }
    MeasureLengthDialog* dialog() const;
    int lineId() const { return m_lineId; }
    bool ownsShape(int id) const { return id >= 0 && id == m_lineId; }

public slots:
    void onMeasureButtonClicked();

private:
    void onShapeChanged(long id);
    void drawLine();
    ZMKImageWnd* display() const;

    ImageWnd* m_pane;
    QPointer<Image2DWnd> m_view;
    QPointer<MeasureLengthDialog> m_dialog;
    int m_lineId = -1;
    NuvPoint m_start;  // the line as last accepted
    NuvPoint m_stop;
};
