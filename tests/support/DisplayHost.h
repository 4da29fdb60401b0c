// SPDX-License-Identifier: Apache-2.0
#pragma once
// For tests of the 2D display widget: a ZMKImageWnd filling a shown 800x600 host. Mouse input goes
// through the host's window, as real input does (QTest's widget overloads bypass the press
// tracking that routes the following moves). Test classes inherit it next to QObject.
#include <QtTest>
#include <memory>

#include "ZMKImageView.h"
#include "ZMKImageWnd.h"

namespace TestSupport {
class DisplayHost {
protected:
    bool openDisplay() {
        m_host = std::make_unique<QWidget>();
        m_host->resize(800, 600);
        m_wnd = std::make_unique<ZMKImageWnd>();
        if (m_wnd->create(reinterpret_cast<qint64>(m_host.get())) != 0 || m_wnd->move(0, 0, 800, 600) != 0)
            return false;
        m_host->show();
        return QTest::qWaitForWindowExposed(m_host.get());
    }
    void closeDisplay() {
        m_wnd.reset();
        m_host.reset();
    }
    ZMKImageView* view() const { return qobject_cast<ZMKImageView*>(m_wnd->widget()); }
    QPoint inWindow(const QPoint& viewportPos) const {
        return view()->viewport()->mapTo(m_host.get(), viewportPos);
    }
    // A move to where the cursor already is produces no event: step aside first.
    void hover(const QPoint& pos) {
        if (pos == m_cursor) QTest::mouseMove(m_host->windowHandle(), inWindow(pos + QPoint(1, 1)));
        QTest::mouseMove(m_host->windowHandle(), inWindow(pos));
        m_cursor = pos;
    }
    void press(const QPoint& pos, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mousePress(m_host->windowHandle(), b, Qt::NoModifier, inWindow(pos));
        m_cursor = pos;
    }
    void release(const QPoint& pos, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseRelease(m_host->windowHandle(), b, Qt::NoModifier, inWindow(pos));
        m_cursor = pos;
    }

    std::unique_ptr<QWidget> m_host;
    std::unique_ptr<ZMKImageWnd> m_wnd;
    QPoint m_cursor;
};
}  // namespace TestSupport
