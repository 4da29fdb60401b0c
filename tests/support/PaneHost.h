// SPDX-License-Identifier: Apache-2.0
#pragma once
// For tests of one 2D pane: a shown ImageWnd in 2D mode after a reset environment, its display view,
// and image points mapped into the pane. Test classes inherit it next to QObject and
// call openPane() in init(), closePane() in cleanup().
#include <QtTest>

#include "Image2DWnd.h"
#include "ImageWnd.h"
#include "TestSupport.h"
#include "ZMKImageView.h"
#include "ZMKImageWnd.h"

namespace TestSupport {
class PaneHost {
protected:
    bool openPane(int width, int height) {
        resetEnvironment();
        m_pane = new ImageWnd();
        m_pane->resize(width, height);
        if (m_pane->setImageWndMode(1) != 0) return false;
        m_pane->show();
        return QTest::qWaitForWindowExposed(m_pane);
    }
    void closePane() {
        delete m_pane;
        m_pane = nullptr;
    }
    ZMKImageView* view() const {
        return qobject_cast<ZMKImageView*>(m_pane->view2D()->displayWidget()->widget());
    }
    QPoint inPane(const QPointF& imagePos) const {
        return view()->viewport()->mapTo(m_pane, view()->mapFromImage(imagePos));
    }

    ImageWnd* m_pane = nullptr;
};
}  // namespace TestSupport
