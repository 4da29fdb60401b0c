// SPDX-License-Identifier: Apache-2.0
#pragma once
// Writes image-mask nodes of a camera in order, one every kPauseMs: the sensor applies each
// write before it takes the next, so the pause is pacing the camera asks for, not a wait for a
// result. The pacing runs on a GUI-thread timer, so the GUI never stands still for it.
// GUI thread only.
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class MaskNodeWriter {
public:
    static constexpr int kPauseMs = 10;
    using Write = std::pair<std::string, std::string>;  // node name, value

    // `cameraKey` names the camera at each write; `idle` runs once the last queued write is made.
    MaskNodeWriter(std::function<std::string()> cameraKey, std::function<void()> idle);

    // Queues `writes` after those still waiting; the first goes out at once when none wait.
    void write(const std::vector<Write>& writes);
    // A write is waiting for its turn.
    bool isBusy() const { return !m_waiting.empty(); }
    // The camera went away: the waiting writes are dropped (no idle report).
    void cancel();

private:
    void writeNext();

    std::function<std::string()> m_cameraKey;
    std::function<void()> m_idle;
    std::deque<Write> m_waiting;
    QTimer m_pause;
};
