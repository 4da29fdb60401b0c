#include "Nuv3DView.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QSurfaceFormat>
#include <QWheelEvent>
#include <QtDebug>
#include <algorithm>
#include <limits>

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

void Nuv3DView::failGL(const char* why) {
    qWarning("Nuv3DView: %s", why);
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
                m_vbo.write(static_cast<int>(first * kVertexBytes), vertices + first,
                            static_cast<int>(count * kVertexBytes));
            }
        });
    m_uploadAll = uploadFailed;
    m_drawCount = std::min(drawn, m_vboSlots);
    if (m_drawCount == 0) {
        m_vbo.release();
        return;
    }
    glEnable(GL_DEPTH_TEST);
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
