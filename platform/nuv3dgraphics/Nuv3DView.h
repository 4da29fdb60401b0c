// SPDX-License-Identifier: Apache-2.0
#pragma once
// OpenGL view of one 3D window: draws the point buffer as GL_POINTS from a vertex buffer object
// that is updated with the lines changed since the last frame. Left drag orbits, right or middle
// drag pans, the wheel zooms, a double click frames all points. Under the points lies a ground
// grid with x, y and z axes whose ticks are labelled in millimetres. Needs OpenGL 2.1 / GLSL 1.20.
#include <QColor>
#include <QOpenGLBuffer>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPoint>
#include <memory>

#include "Nuv3DCamera.h"
#include "Nuv3DExport.h"

class Nuv3DPointBuffer;
class QOpenGLShaderProgram;

class NUV3D_API Nuv3DView : public QOpenGLWidget, protected QOpenGLFunctions {
    Q_OBJECT
public:
    explicit Nuv3DView(std::shared_ptr<Nuv3DPointBuffer> buffer, QWidget* parent = nullptr);
    ~Nuv3DView() override;

    void setBackground(const QColor& colour);
    void setOrthographic(bool orthographic);
    bool isOrthographic() const { return m_camera.isOrthographic(); }
    void setPreset(Nuv3DCamera::Preset preset);
    void setPointSize(int pixels);
    int pointSize() const { return m_pointSize; }
    // Colours by a height ramp over the set-up's height range instead of the delivered colours.
    void setHeightColouring(bool enabled);
    bool heightColouring() const { return m_heightColouring; }
    // Ground grid, axes and their millimetre labels (on by default).
    void setAxesVisible(bool visible);
    bool axesVisible() const { return m_axesVisible; }
    const Nuv3DCamera& camera() const { return m_camera; }
    // Bytes of the GL vertex buffer; releaseVertexMemory() gives it back once the points are gone,
    // also while the view is hidden and does not paint.
    size_t gpuBytes() const;
    void releaseVertexMemory();
    bool glFailed() const { return m_glFailed; }
    // Milliseconds the last paint took (uploads and drawing), 0 before the first.
    qint64 lastPaintMs() const { return m_lastPaintMs; }

public slots:
    void fit();

signals:
    // OpenGL could not be set up; the window shows a message instead.
    void glUnavailable();

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private slots:
    void onContextDestroyed();

private:
    void releaseGL();
    void failGL(const char* why);
    void drawAxes();

    std::shared_ptr<Nuv3DPointBuffer> m_buffer;
    Nuv3DCamera m_camera;
    QColor m_background{40, 40, 42};
    int m_pointSize = 1;
    bool m_heightColouring = false;
    QPoint m_lastMouse;

    bool m_axesVisible = true;
    std::unique_ptr<QOpenGLShaderProgram> m_program;
    std::unique_ptr<QOpenGLShaderProgram> m_lineProgram;
    QOpenGLBuffer m_vbo{QOpenGLBuffer::VertexBuffer};
    bool m_glReady = false;
    bool m_glFailed = false;
    bool m_uploadAll = true;  // the buffer object must be rebuilt from the whole vertex array
    size_t m_vboSlots = 0;
    size_t m_drawCount = 0;
    qint64 m_lastPaintMs = 0;
};
