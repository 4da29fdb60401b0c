// SPDX-License-Identifier: Apache-2.0
#include "Nuv3DWindow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "Nuv3DGraphics.h"
#include "Nuv3DPointBuffer.h"
#include "Nuv3DRegistry.h"
#include "Nuv3DView.h"

bool Nuv3DWindow::openGLAvailable() {
    if (qEnvironmentVariableIntValue("NUV3D_DISABLE_OPENGL") != 0) {
        return false;
    }
    // Probed once: creating contexts is slow and the answer does not change within a session.
    static const bool available = [] {
        QOpenGLContext context;
        if (!context.create() || !context.isValid()) {
            return false;
        }
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        if (!surface.isValid() || !context.makeCurrent(&surface)) {
            return false;
        }
        context.doneCurrent();
        return true;
    }();
    return available;
}

Nuv3DWindow::Nuv3DWindow(int64_t handle, std::shared_ptr<Nuv3DPointBuffer> buffer, QWidget* parent)
    : QWidget(parent), m_handle(handle), m_buffer(std::move(buffer)) {
    setObjectName(QStringLiteral("nuv3DWindow"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolBar = new QWidget(this);
    m_toolBar->setObjectName(QStringLiteral("nuv3DToolBar"));
    layout->addWidget(m_toolBar);

    m_stack = new QStackedWidget(this);
    layout->addWidget(m_stack, 1);
    m_unavailable = new QLabel(m_stack);
    m_sourceTexts.append(
        {m_unavailable, QT_TR_NOOP("3D display unavailable: OpenGL could not be initialised"), nullptr});
    m_unavailable->setObjectName(QStringLiteral("nuv3DUnavailable"));
    m_unavailable->setAlignment(Qt::AlignCenter);
    m_unavailable->setWordWrap(true);
    if (openGLAvailable()) {
        m_view = new Nuv3DView(m_buffer, m_stack);
        m_view->setObjectName(QStringLiteral("nuv3DView"));
        connect(m_view, &Nuv3DView::glUnavailable, this, &Nuv3DWindow::onGLUnavailable);
        m_stack->addWidget(m_view);
    }
    m_stack->addWidget(m_unavailable);
    m_stack->setCurrentWidget(m_view ? static_cast<QWidget*>(m_view) : m_unavailable);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("nuv3DStatusLine"));
    m_status->setStyleSheet(QStringLiteral("color: rgb(220, 220, 220); background-color: rgb(55, 56, 58);"));
    layout->addWidget(m_status);

    buildToolBar();
    retranslate();
    setBackground(m_background);
    setToolItemsVisible(NUV3D_TOOL_ALL, true);
}

Nuv3DWindow::~Nuv3DWindow() {
    // First: from here on no other thread queues calls to this object.
    Nuv3DRegistry::instance().detachWindow(m_handle, this);
}

void Nuv3DWindow::buildToolBar() {
    auto* bar = new QHBoxLayout(m_toolBar);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    m_toolBar->setStyleSheet(QStringLiteral("background-color: rgb(55, 56, 58); color: rgb(220, 220, 220);"));
    const auto addButton = [&](const QString& name, const char* text, const char* tip, uint32_t item) {
        auto* button = new QToolButton(m_toolBar);
        button->setObjectName(name);
        m_sourceTexts.append({button, text, tip});
        button->setAutoRaise(true);
        bar->addWidget(button);
        m_toolWidgets[item].append(button);
        return button;
    };

    QToolButton* fitButton = addButton(QStringLiteral("btn3DFit"), QT_TR_NOOP("Fit"),
                                       QT_TR_NOOP("Show all points"), NUV3D_TOOL_FIT);
    connect(fitButton, &QToolButton::clicked, this, &Nuv3DWindow::fit);

    m_btnProjection = addButton(QStringLiteral("btn3DOrthographic"), QT_TR_NOOP("Orthographic"),
                                QT_TR_NOOP("Switch between perspective and orthographic projection"),
                                NUV3D_TOOL_PROJECTION);
    m_btnProjection->setCheckable(true);
    connect(m_btnProjection, &QToolButton::toggled, this, &Nuv3DWindow::setOrthographic);

    const struct {
        const char* name;
        const char* text;
        Nuv3DCamera::Preset preset;
    } presets[] = {{"btn3DTop", QT_TR_NOOP("Top"), Nuv3DCamera::Preset::Top},
                   {"btn3DFront", QT_TR_NOOP("Front"), Nuv3DCamera::Preset::Front},
                   {"btn3DSide", QT_TR_NOOP("Side"), Nuv3DCamera::Preset::Side}};
    for (const auto& p : presets) {
        QToolButton* button = addButton(QString::fromLatin1(p.name), p.text,
                                        QT_TR_NOOP("View from this side"), NUV3D_TOOL_VIEWS);
        const Nuv3DCamera::Preset preset = p.preset;
        connect(button, &QToolButton::clicked, this, [this, preset, text = p.text] {
            if (m_view) {
                m_view->setPreset(preset);
            }
            logMessage(NUV3D_LOG_INFO, tr("View: %1").arg(tr(text)));
        });
    }

    auto* sizeLabel = new QLabel(m_toolBar);
    m_sourceTexts.append({sizeLabel, QT_TR_NOOP("Point size"), nullptr});
    bar->addWidget(sizeLabel);
    m_spinPointSize = new QSpinBox(m_toolBar);
    m_spinPointSize->setObjectName(QStringLiteral("spinBox3DPointSize"));
    m_spinPointSize->setRange(1, 16);
    m_spinPointSize->setValue(1);
    m_sourceTexts.append({m_spinPointSize, nullptr, QT_TR_NOOP("Point size in pixels")});
    bar->addWidget(m_spinPointSize);
    m_toolWidgets[NUV3D_TOOL_POINT_SIZE] = {sizeLabel, m_spinPointSize};
    connect(m_spinPointSize, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int size) {
        if (m_view) {
            m_view->setPointSize(size);
        }
    });

    m_btnHeightColours = addButton(QStringLiteral("btn3DHeightColours"), QT_TR_NOOP("Height colours"),
                                   QT_TR_NOOP("Colour the points by height instead of their own colours"),
                                   NUV3D_TOOL_COLOUR_MODE);
    m_btnHeightColours->setCheckable(true);
    connect(m_btnHeightColours, &QToolButton::toggled, this, [this](bool on) {
        if (m_view) {
            m_view->setHeightColouring(on);
        }
    });
    bar->addStretch(1);
    m_toolWidgets[NUV3D_TOOL_STATUS_LINE] = {m_status};
}

void Nuv3DWindow::retranslate() {
    for (const SourceText& t : qAsConst(m_sourceTexts)) {
        if (t.text) {
            if (auto* button = qobject_cast<QToolButton*>(t.widget)) button->setText(tr(t.text));
            if (auto* label = qobject_cast<QLabel*>(t.widget)) label->setText(tr(t.text));
        }
        if (t.toolTip) t.widget->setToolTip(tr(t.toolTip));
    }
}

void Nuv3DWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QWidget::changeEvent(event);
}

void Nuv3DWindow::applyToolVisibility() {
    bool anyTool = false;
    for (auto it = m_toolWidgets.cbegin(); it != m_toolWidgets.cend(); ++it) {
        const bool on = (m_visibleItems & it.key()) != 0;
        for (QWidget* w : it.value()) {
            w->setVisible(on);
        }
        anyTool = anyTool || (on && it.key() != NUV3D_TOOL_STATUS_LINE);
    }
    m_toolBar->setVisible(anyTool);
}

void Nuv3DWindow::setToolItemsVisible(uint32_t items, bool visible) {
    m_visibleItems = visible ? (m_visibleItems | items) : (m_visibleItems & ~items);
    m_visibleItems &= NUV3D_TOOL_ALL;
    applyToolVisibility();
}

void Nuv3DWindow::setBackground(const QColor& colour) {
    m_background = colour;
    if (m_view) {
        m_view->setBackground(colour);
    }
    m_unavailable->setStyleSheet(
        QStringLiteral("background-color: rgba(%1, %2, %3, %4); color: rgb(220, 220, 220);")
            .arg(colour.red())
            .arg(colour.green())
            .arg(colour.blue())
            .arg(colour.alpha()));
}

bool Nuv3DWindow::showsUnavailableMessage() const {
    return m_stack->currentWidget() == m_unavailable;
}

void Nuv3DWindow::logMessage(int level, const QString& text) {
    if (level <= m_logLevel) {
        m_status->setText(text);
    }
}

QString Nuv3DWindow::statusText() const {
    return m_status->text();
}

void Nuv3DWindow::fit() {
    if (m_view) {
        m_view->fit();
    }
    logMessage(NUV3D_LOG_INFO, tr("Fit to %1 points").arg(m_buffer->pointCount()));
}

void Nuv3DWindow::setOrthographic(bool orthographic) {
    if (m_btnProjection->isChecked() != orthographic) {
        m_btnProjection->setChecked(orthographic);  // comes back here through toggled
        return;
    }
    if (m_view) {
        m_view->setOrthographic(orthographic);
    }
    logMessage(NUV3D_LOG_INFO, orthographic ? tr("Orthographic projection") : tr("Perspective projection"));
}

void Nuv3DWindow::onDataChanged() {
    // A scan streaming at full rate asks for far more repaints than a screen shows; until the next
    // one is due, the request stays pending, so appends meanwhile queue nothing more. A slow paint
    // (a software renderer, millions of points) spaces them further, so that painting takes at most
    // a third of the GUI thread.
    const qint64 paint = m_view ? m_view->lastPaintMs() : 0;
    const qint64 interval =
        std::min<qint64>(kMaxRepaintIntervalMs, std::max<qint64>(1000 / kMaxRepaintsPerSecond, 2 * paint));
    const qint64 since = m_sinceRepaint.isValid() ? m_sinceRepaint.elapsed() : interval;
    if (since < interval) {
        if (!m_repaintDeferred) {
            m_repaintDeferred = true;
            QTimer::singleShot(static_cast<int>(interval - since), this, [this] {
                m_repaintDeferred = false;
                onDataChanged();
            });
        }
        return;
    }
    m_sinceRepaint.restart();
    m_buffer->acknowledgeRepaint();
    if (m_view) {
        if (m_buffer->heldBytes() == 0) {
            m_view->releaseVertexMemory();
        }
        m_view->update();
    }
    const int64_t points = m_buffer->pointCount();
    const int thinning = m_buffer->lineThinning();
    if (thinning > 1) {
        // Shown whatever the level: the user sees fewer lines than the sensor delivers.
        m_thinningShown = true;
        logMessage(NUV3D_LOG_ERROR,
                   tr("%1 points; 1 line in %2 shown to keep up with the scan").arg(points).arg(thinning));
        return;
    }
    if (m_thinningShown) {
        m_thinningShown = false;
        m_status->clear();
    }
    const std::pair<int, int> rows = m_buffer->lastAppendedRows();
    if (m_logLevel >= NUV3D_LOG_DEBUG && rows.first >= 0) {
        logMessage(NUV3D_LOG_DEBUG,
                   tr("Rows %1 to %2 appended, %3 points").arg(rows.first).arg(rows.second).arg(points));
    } else {
        logMessage(NUV3D_LOG_INFO, tr("%1 points").arg(points));
    }
}

void Nuv3DWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_view) {
        QTimer::singleShot(0, this, &Nuv3DWindow::checkGLAfterShow);
    }
}

void Nuv3DWindow::checkGLAfterShow() {
    // QOpenGLWidget sets up its context when first shown; a failure there never reaches
    // initializeGL, so look for the missing context instead.
    if (!m_view || showsUnavailableMessage() || !m_view->isVisible() || m_view->size().isEmpty() ||
        !window()->windowHandle()) {
        return;
    }
    QOpenGLContext* context = m_view->context();
    if (m_view->glFailed() || !context || !context->isValid()) {
        onGLUnavailable();
    }
}

void Nuv3DWindow::onGLUnavailable() {
    m_stack->setCurrentWidget(m_unavailable);
    logMessage(NUV3D_LOG_ERROR, m_unavailable->text());
}
