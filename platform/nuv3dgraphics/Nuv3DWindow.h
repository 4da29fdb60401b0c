// SPDX-License-Identifier: Apache-2.0
#pragma once
// One 3D window: its own tool bar, the OpenGL view (or, without OpenGL, a message in its place)
// and a status line. Lives on the GUI thread; other threads reach it only through queued calls.
#include <QColor>
#include <QElapsedTimer>
#include <QHash>
#include <QVector>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "Nuv3DExport.h"

class Nuv3DPointBuffer;
class Nuv3DView;
class QLabel;
class QSpinBox;
class QStackedWidget;
class QToolButton;

class NUV3D_API Nuv3DWindow : public QWidget {
    Q_OBJECT
public:
    Nuv3DWindow(int64_t handle, std::shared_ptr<Nuv3DPointBuffer> buffer, QWidget* parent = nullptr);
    ~Nuv3DWindow() override;

    // False when NUV3D_DISABLE_OPENGL is set or no OpenGL context can be made current.
    static bool openGLAvailable();

    int64_t handle() const { return m_handle; }
    // Null when OpenGL is unavailable.
    Nuv3DView* view() const { return m_view; }
    bool showsUnavailableMessage() const;

    void setBackground(const QColor& colour);
    // Nuv3DToolbarItem bits.
    void setToolItemsVisible(uint32_t items, bool visible);
    uint32_t visibleToolItems() const { return m_visibleItems; }
    void setLogLevel(int level) { m_logLevel = level; }
    int logLevel() const { return m_logLevel; }
    // Shows `text` in the status line when `level` is within the window's log level.
    void logMessage(int level, const QString& text);
    QString statusText() const;

    void fit();
    void setOrthographic(bool orthographic);
    // Cleared lines or new points: repaint and refresh the status line.
    // At most kMaxRepaintsPerSecond: changes that come faster are taken up together.
    Q_INVOKABLE void onDataChanged();
    static constexpr int kMaxRepaintsPerSecond = 60;
    // Longest wait between repaints however slow painting is.
    static constexpr int kMaxRepaintIntervalMs = 500;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void onGLUnavailable();

private:
    void buildToolBar();
    void applyToolVisibility();
    void checkGLAfterShow();
    // Texts of the tool bar in the current language (again on every language change).
    void retranslate();
    struct SourceText {
        QWidget* widget;  // a child of this window
        const char* text;
        const char* toolTip;
    };
    QVector<SourceText> m_sourceTexts;

    const int64_t m_handle;
    std::shared_ptr<Nuv3DPointBuffer> m_buffer;
    QWidget* m_toolBar = nullptr;
    QStackedWidget* m_stack = nullptr;
    Nuv3DView* m_view = nullptr;
    QLabel* m_unavailable = nullptr;
    QLabel* m_status = nullptr;
    QToolButton* m_btnProjection = nullptr;
    QToolButton* m_btnHeightColours = nullptr;
    QSpinBox* m_spinPointSize = nullptr;
    QHash<uint32_t, QList<QWidget*>> m_toolWidgets;
    QColor m_background{40, 40, 42};
    uint32_t m_visibleItems = 0;
    int m_logLevel = 0;
    QElapsedTimer m_sinceRepaint;
    bool m_repaintDeferred = false;  // a timer takes up the changes that came too soon
    bool m_thinningShown = false;    // the status line says lines are thinned
};
