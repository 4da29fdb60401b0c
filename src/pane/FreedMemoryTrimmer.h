// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QTimer>

// Gives the pages of freed memory back to the system a moment after a pane let go of a camera.
// Frames and scans are freed on several threads, so the allocator keeps them in per-thread arenas
// that it rarely returns on its own; a host watching its memory would see the viewer grow with
// every bind and unbind. The trim waits for the objects deleted later in the event loop and
// runs once for a burst of releases.
class FreedMemoryTrimmer : public QObject {
    Q_OBJECT
public:
    explicit FreedMemoryTrimmer(QObject* parent = nullptr);

    // Trims after `delayMs` without a further call.
    void schedule(int delayMs = kDefaultDelayMs);
    // Trims now; returns whether the allocator gave memory back.
    static bool trimNow();

    static constexpr int kDefaultDelayMs = 500;

private:
    QTimer m_timer;
};
