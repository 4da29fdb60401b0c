// SPDX-License-Identifier: Apache-2.0
#pragma once
// The pane's side of tilt and height correction: on the business layer's request it switches the
// profiler view to contour mode, runs the correction dialog for the pane's camera and afterwards
// returns to the mode the user had; while the dialog runs, contours go to its panel instead of
// the view. The pane owns one tool.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVector>

class CorrectionDialog;
class CorrectionWidget;
class ImageWnd;

class CorrectionTool : public QObject {
    Q_OBJECT
public:
    explicit CorrectionTool(ImageWnd* pane);
    ~CorrectionTool() override;

    // Runs the dialog modally (type 0 tilt, otherwise height; value the current factor; info the
    // host's QDoubleSpinBox for the result, or null). Nothing opens without a camera, a profiler
    // view or a checked mode button, while a correction is already open, or when the host's box is
    // gone by the time the request arrives (logged).
    void open(int type, float value, void* info);
    bool isOpen() const;
    // A contour of the pane's camera: true when the open panel took it.
    bool takeContour(const QVector<qreal>& heights);
    // Ends an open correction (its camera went away); a running scan is stopped.
    void close();
    void retranslate();

    CorrectionDialog* dialog() const;
    CorrectionWidget* panel() const;

private:
    QString title() const;
    // The pane's grab buttons take the state of camera `key`, if the pane still shows it.
    void followCamera(const QString& key);

    // Left and right bounds of area 1, then of area 2, in mm.
    using Areas = QVector<double>;
    static QString areasKey(const QString& camera, int type);

    ImageWnd* m_pane;
    QPointer<CorrectionDialog> m_dialog;
    int m_type = 0;
    // The areas a correction of a camera and type was last closed with: the next one starts there,
    // so a user calibrating again does not place them anew.
    QHash<QString, Areas> m_lastAreas;
};
