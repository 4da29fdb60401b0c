// SPDX-License-Identifier: Apache-2.0
#include "Nuv3DView.h"

#include <QElapsedTimer>
#include <QLoggingCategory>

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QPainter>
#include <QSurfaceFormat>
#include <QWheelEvent>
#include <algorithm>
#include <limits>

#include "Nuv3DAxes.h"
#include "Nuv3DPointBuffer.h"

namespace {

const char* const kVertexShader = R"(#version 120
attribute vec3 a_position;
attribute vec4 a_colour;
uniform mat4 u_mvp;
uniform float u_pointSize;
uniform float u_heightRamp;
uniform vec2 u_heightRange;
varying vec4 v_colour;

vec3 ramp(float t) {
    t = clamp(t, 0.0, 1.0) * 4.0;
    if (t < 1.0) return vec3(0.0, t, 1.0);
    if (t < 2.0) return vec3(0.0, 1.0, 2.0 - t);
    if (t < 3.0) return vec3(t - 2.0, 1.0, 0.0);
    return vec3(1.0, 4.0 - t, 0.0);
}

void main() {
    gl_PointSize = u_pointSize;
    if (a_colour.a < 0.5) {
        // Empty or invalid slot: outside the clip volume, so never rasterised.
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        v_colour = vec4(0.0);
        return;
    }
    gl_Position = u_mvp * vec4(a_position, 1.0);
    float span = max(u_heightRange.y - u_heightRange.x, 1e-6);
    vec3 rampColour = ramp((a_position.z - u_heightRange.x) / span);
    v_colour = vec4(mix(a_colour.rgb, rampColour, u_heightRamp), 1.0);
}
)";

const char* const kFragmentShader = R"(#version 120
varying vec4 v_colour;
void main() {
    gl_FragColor = v_colour;
}
)";

const char* const kLineVertexShader = R"(#version 120
attribute vec3 a_position;
uniform mat4 u_mvp;
void main() {
    gl_Position = u_mvp * vec4(a_position, 1.0);
}
)";

const char* const kLineFragmentShader = R"(#version 120
uniform vec4 u_colour;
void main() {
    gl_FragColor = u_colour;
}
)";

constexpr int kMaxTicks = 7;
const QColor kGridColour(120, 122, 128);
const QColor kLabelColour(225, 225, 225);
const QColor kAxisColours[3] = {QColor(235, 75, 50), QColor(110, 210, 100), QColor(90, 150, 255)};

constexpr GLenum kProgramPointSize = 0x8642;  // GL_VERTEX_PROGRAM_POINT_SIZE, not in the ES headers
constexpr size_t kVertexBytes = sizeof(Nuv3DPointBuffer::Vertex);

}  // namespace

Nuv3DView::Nuv3DView(std::shared_ptr<Nuv3DPointBuffer> buffer, QWidget* parent)
    : QOpenGLWidget(parent), m_buffer(std::move(buffer)) {
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setDepthBufferSize(24);
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::NoProfile);
    setFormat(format);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(16, 16);
}

Nuv3DView::~Nuv3DView() {
    if (context()) {
        // The base class destroys the context after this part of the object is gone.
        disconnect(context(), nullptr, this, nullptr);
    }
    if (m_glReady && context()) {
        makeCurrent();
        releaseGL();
        doneCurrent();
    }
}

void Nuv3DView::releaseGL() {
    m_program.reset();
    m_lineProgram.reset();
    if (m_vbo.isCreated()) {
        m_vbo.destroy();
    }
    m_vboSlots = 0;
    m_uploadAll = true;
    m_glReady = false;
}

void Nuv3DView::onContextDestroyed() {
    makeCurrent();
    releaseGL();
    doneCurrent();
}

namespace {
Q_LOGGING_CATEGORY(lcView3D, "nuv.view3d")
}  // namespace

void Nuv3DView::failGL(const char* why) {
    qCWarning(lcView3D, "Nuv3DView: %s", why);
    m_glFailed = true;
    // Queued: the receiver may swap this widget out, which must not happen inside initializeGL.
    QMetaObject::invokeMethod(this, &Nuv3DView::glUnavailable, Qt::QueuedConnection);
}

void Nuv3DView::initializeGL() {
    QOpenGLContext* ctx = context();
    if (!ctx || !ctx->isValid()) {
        failGL("no valid OpenGL context");
        return;
    }
    initializeOpenGLFunctions();
    auto program = std::make_unique<QOpenGLShaderProgram>();
    if (!program->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader) ||
        !program->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader) || !program->link()) {
        failGL(qPrintable(program->log()));
        return;
    }
    auto lines = std::make_unique<QOpenGLShaderProgram>();
    if (!lines->addShaderFromSourceCode(QOpenGLShader::Vertex, kLineVertexShader) ||
        !lines->addShaderFromSourceCode(QOpenGLShader::Fragment, kLineFragmentShader) || !lines->link()) {
        failGL(qPrintable(lines->log()));
        return;
    }
    m_lineProgram = std::move(lines);
    if (!m_vbo.create()) {
        failGL("vertex buffer object unavailable");
        return;
    }
    m_vbo.setUsagePattern(QOpenGLBuffer::DynamicDraw);
    m_program = std::move(program);
    m_uploadAll = true;
    m_glReady = true;
    // A re-parented widget gets a new context: rebuild everything in the next initializeGL.
    connect(ctx, &QOpenGLContext::aboutToBeDestroyed, this, &Nuv3DView::onContextDestroyed,
            Qt::UniqueConnection);
}

void Nuv3DView::resizeGL(int width, int height) {
    m_camera.setViewport(width, height);
}

void Nuv3DView::paintGL() {
    QElapsedTimer clock;
    clock.start();
    // Measured to the end of this function, whichever way it returns.
    struct PaintTime {
        QElapsedTimer& clock;
        qint64& last;
        ~PaintTime() { last = clock.elapsed(); }
    } paintTime{clock, m_lastPaintMs};
    glClearColor(static_cast<float>(m_background.redF()), static_cast<float>(m_background.greenF()),
                 static_cast<float>(m_background.blueF()), static_cast<float>(m_background.alphaF()));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!m_glReady) {
        return;
    }
    m_vbo.bind();
    bool uploadFailed = false;
    const size_t drawn =
        m_buffer->takeChanges(m_uploadAll, [&](const Nuv3DPointBuffer::Vertex* vertices, size_t capacity,
                                               size_t first, size_t count, bool reallocate) {
            if (reallocate) {
                // Older errors must not pass for an allocation failure (bounded: a lost context
                // keeps reporting).
                for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
                }
                // Bounded by the buffer's slot limit, so the byte count fits an int.
                m_vbo.allocate(static_cast<int>(capacity * kVertexBytes));
                m_vboSlots = glGetError() == GL_NO_ERROR ? capacity : 0;
                uploadFailed = m_vboSlots != capacity;
            }
            if (!uploadFailed && count > 0 && first + count <= m_vboSlots) {
                m_vbo.write(static_cast<int>(first * kVertexBytes), vertices,
                            static_cast<int>(count * kVertexBytes));
            }
        });
    m_uploadAll = uploadFailed;
    m_drawCount = std::min(drawn, m_vboSlots);
    glEnable(GL_DEPTH_TEST);
    if (m_drawCount == 0) {
        m_vbo.release();
        drawAxes();
        return;
    }
    glEnable(kProgramPointSize);
    m_program->bind();
    m_program->setUniformValue("u_mvp", m_camera.viewProjection());
    m_program->setUniformValue("u_pointSize", static_cast<GLfloat>(m_pointSize));
    m_program->setUniformValue("u_heightRamp", m_heightColouring ? 1.0f : 0.0f);
    m_program->setUniformValue("u_heightRange", m_buffer->heightMin(), m_buffer->heightMax());
    const int position = m_program->attributeLocation("a_position");
    const int colour = m_program->attributeLocation("a_colour");
    m_program->enableAttributeArray(position);
    m_program->enableAttributeArray(colour);
    m_program->setAttributeBuffer(position, GL_FLOAT, 0, 3, static_cast<int>(kVertexBytes));
    m_program->setAttributeBuffer(colour, GL_UNSIGNED_BYTE, 12, 4, static_cast<int>(kVertexBytes));
    glDrawArrays(GL_POINTS, 0,
                 static_cast<GLsizei>(std::min<size_t>(m_drawCount, std::numeric_limits<GLsizei>::max())));
    m_program->disableAttributeArray(position);
    m_program->disableAttributeArray(colour);
    m_program->release();
    m_vbo.release();
    drawAxes();
}

void Nuv3DView::drawAxes() {
    const Nuv3DPointBuffer::Bounds b = m_buffer->bounds();
    if (!m_axesVisible || !b.valid || !m_lineProgram) {
        return;
    }
    const QVector3D lo = b.min;
    const QVector3D hi = b.max;
    const QVector<double> xs = Nuv3DAxes::ticks(lo.x(), hi.x(), kMaxTicks);
    const QVector<double> ys = Nuv3DAxes::ticks(lo.y(), hi.y(), kMaxTicks);
    const auto f = [](double v) { return static_cast<float>(v); };

    // Ground grid on the lowest height, then the three axes from the low corner.
    QVector<QVector3D> grid;
    for (double x : xs) {
        grid << QVector3D(f(x), lo.y(), lo.z()) << QVector3D(f(x), hi.y(), lo.z());
    }
    for (double y : ys) {
        grid << QVector3D(lo.x(), f(y), lo.z()) << QVector3D(hi.x(), f(y), lo.z());
    }
    const QVector3D axisEnds[3] = {QVector3D(hi.x(), lo.y(), lo.z()), QVector3D(lo.x(), hi.y(), lo.z()),
                                   QVector3D(lo.x(), lo.y(), hi.z())};
    // The axes lie on grid lines: equal depths must pass.
    glDepthFunc(GL_LEQUAL);
    m_lineProgram->bind();
    m_lineProgram->setUniformValue("u_mvp", m_camera.viewProjection());
    const int position = m_lineProgram->attributeLocation("a_position");
    m_lineProgram->enableAttributeArray(position);
    const auto drawLines = [&](const QVector<QVector3D>& points, const QColor& colour) {
        m_lineProgram->setUniformValue("u_colour", colour);
        m_lineProgram->setAttributeArray(position, points.constData());
        glDrawArrays(GL_LINES, 0, points.size());
    };
    drawLines(grid, kGridColour);
    for (int axis = 0; axis < 3; ++axis) {
        drawLines({lo, axisEnds[axis]}, kAxisColours[axis]);
    }
    m_lineProgram->disableAttributeArray(position);
    m_lineProgram->release();
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);

    // Labels in widget pixels at the projected tick positions.
    const QMatrix4x4 vp = m_camera.viewProjection();
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = painter.font();
    font.setPointSizeF(8.0);
    painter.setFont(font);
    const QStringList names = {tr("X (mm)"), tr("Y (mm)"), tr("Z (mm)")};
    for (const Nuv3DAxes::Label& label :
         Nuv3DAxes::placeLabels(lo, hi, vp, size(), QFontMetricsF(painter.fontMetrics()), names, kMaxTicks)) {
        painter.setPen(label.name ? kAxisColours[label.axis] : kLabelColour);
        painter.drawText(label.baseline, label.text);
    }
}

void Nuv3DView::setAxesVisible(bool visible) {
    m_axesVisible = visible;
    update();
}

size_t Nuv3DView::gpuBytes() const {
    return m_vboSlots * kVertexBytes;
}

void Nuv3DView::releaseVertexMemory() {
    if (!m_glReady || m_vboSlots == 0 || !context()) {
        return;
    }
    makeCurrent();
    m_vbo.bind();
    m_vbo.allocate(0);
    m_vbo.release();
    doneCurrent();
    m_vboSlots = 0;
    m_drawCount = 0;
    m_uploadAll = true;
}

void Nuv3DView::setBackground(const QColor& colour) {
    m_background = colour;
    update();
}

void Nuv3DView::setOrthographic(bool orthographic) {
    m_camera.setOrthographic(orthographic);
    update();
}

void Nuv3DView::setPreset(Nuv3DCamera::Preset preset) {
    m_camera.setPreset(preset);
    fit();
}

void Nuv3DView::setPointSize(int pixels) {
    m_pointSize = std::clamp(pixels, 1, 16);
    update();
}

void Nuv3DView::setHeightColouring(bool enabled) {
    m_heightColouring = enabled;
    update();
}

void Nuv3DView::fit() {
    m_camera.setViewport(width(), height());
    const Nuv3DPointBuffer::Bounds b = m_buffer->bounds();
    if (b.valid) {
        m_camera.fit(b.min, b.max);
    }
    update();
}

void Nuv3DView::mousePressEvent(QMouseEvent* event) {
    m_lastMouse = event->pos();
    event->accept();
}

void Nuv3DView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint delta = event->pos() - m_lastMouse;
    m_lastMouse = event->pos();
    if (event->buttons() & Qt::LeftButton) {
        m_camera.orbit(static_cast<float>(delta.x()), static_cast<float>(delta.y()));
    } else if (event->buttons() & (Qt::RightButton | Qt::MiddleButton)) {
        m_camera.pan(static_cast<float>(delta.x()), static_cast<float>(delta.y()));
    } else {
        return;
    }
    update();
}

void Nuv3DView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        fit();
    }
}

void Nuv3DView::wheelEvent(QWheelEvent* event) {
    m_camera.zoom(static_cast<float>(event->angleDelta().y()) / 120.0f);
    event->accept();
    update();
}
