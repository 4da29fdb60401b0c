// SPDX-License-Identifier: Apache-2.0
#pragma once
// A left-button drag through a top-level window, as real input arrives: QTest's widget overloads
// bypass the press tracking that routes the following moves to the grabbing item.
#include <QtTest>
#include <functional>

namespace TestSupport {
// `at` maps image coordinates to the window. The cursor steps aside first, because a move to
// where it already is produces no event; the drag itself goes in four steps.
inline void dragInWindow(QWindow* window, const std::function<QPoint(QPointF)>& at, QPointF from,
                         QPointF to) {
    QTest::mouseMove(window, at(from) + QPoint(1, 1));
    QTest::mouseMove(window, at(from));
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, at(from));
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(window, at(from + (to - from) * step / 4.0));
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, at(to));
}
}  // namespace TestSupport
