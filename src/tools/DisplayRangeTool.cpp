// SPDX-License-Identifier: Apache-2.0
#include "DisplayRangeTool.h"

#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

#include "DisplayRangeWidget.h"
#include "Image2DWnd.h"
#include "ZMKImageWnd.h"

DisplayRangeTool::DisplayRangeTool(QObject* parent) : QObject(parent), m_range(defaultRange()) {}

DisplayRangeTool::~DisplayRangeTool() {
    delete m_popup.data();
}

ZMKDisplayRange DisplayRangeTool::defaultRange() {
    ZMKDisplayRange range;
    range.mode = ZMKDisplayRange::Mode::AutoOnce;
    return range;
}

void DisplayRangeTool::attachView(Image2DWnd* view) {
    m_view = view;
    if (view == nullptr) return;
    apply();
    connect(view->btnDisplayRange, &QPushButton::clicked, this,
            [this]() { isPanelOpen() ? closePanel() : openPanel(); });
    if (ZMKImageWnd* display = view->displayWidget())
        connect(display, &ZMKImageWnd::displayLevelsChanged, this, &DisplayRangeTool::onLevels);
}

ZMKDisplayRange DisplayRangeTool::range() const {
    if (m_view && m_view->displayWidget()) {
        ZMKDisplayRange shown = m_view->displayWidget()->displayRange();
        if (shown.mode == m_range.mode) return shown;
    }
    return m_range;
}

bool DisplayRangeTool::setRange(const ZMKDisplayRange& range) {
    if (!range.isValid()) return false;
    m_range = range;
    apply();
    if (m_panel) m_panel->showRange(this->range());
    return true;
}

void DisplayRangeTool::apply() {
    if (m_view && m_view->displayWidget()) m_view->displayWidget()->setDisplayRange(m_range);
}

void DisplayRangeTool::onLevels(int low, int high) {
    if (m_range.mode != ZMKDisplayRange::Mode::Fixed) {
        m_range.minimum = low;
        m_range.maximum = high;
    }
    if (m_panel) m_panel->showLevels(low, high);
}

void DisplayRangeTool::openPanel() {
    if (!m_view) return;
    if (!m_popup) {
        // A pop-up under the strip button; it closes on a click elsewhere, as a menu does.
        m_popup = new QFrame(m_view, Qt::Popup);
        m_popup->setFrameShape(QFrame::StyledPanel);
        auto* layout = new QVBoxLayout(m_popup);
        layout->setContentsMargins(4, 4, 4, 4);
        m_panel = new DisplayRangeWidget(m_popup);
        layout->addWidget(m_panel);
        connect(m_panel, &DisplayRangeWidget::rangeEdited, this, [this](const ZMKDisplayRange& edited) {
            m_range = edited;
            apply();
            emit rangeChanged(range());
        });
    }
    m_panel->showRange(range());
    QPushButton* button = m_view->btnDisplayRange;
    m_popup->adjustSize();
    m_popup->move(button->mapToGlobal(QPoint(0, button->height())));
    m_popup->show();
}

void DisplayRangeTool::closePanel() {
    if (m_popup) m_popup->hide();
}

bool DisplayRangeTool::isPanelOpen() const {
    return m_popup && m_popup->isVisible();
}

DisplayRangeWidget* DisplayRangeTool::panel() const {
    return m_panel;
}

void DisplayRangeTool::retranslate() {
    if (m_panel) m_panel->retranslate();
}
