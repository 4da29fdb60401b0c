// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

class RangeStreamer;

// Hands announced range batches to the streamer on the GUI thread without ever waiting for its
// conversion worker. Two steps need the worker done with what it has: switching to the next image
// (the buffers pass to it) and showing a finished scan (its copy). While the worker is busy they,
// and every announcement after them, wait here in order and are taken up by a short timer, so the
// GUI thread keeps running and no batch is passed over.
class ScanArrivals : public QObject {
    Q_OBJECT
public:
    // Retry interval while the worker is busy.
    static constexpr int kRetryMs = 5;
    // `accepted` runs for every batch the streamer took, `finished` when a scan's last batch is
    // converted (both on the GUI thread).
    ScanArrivals(std::shared_ptr<RangeStreamer> streamer, std::function<void(int batch)> accepted,
                 std::function<void()> finished, QObject* parent = nullptr);

    // GUI thread: batch `batch` of image `imageId` was written; isEnd marks a scan's last batch.
    void arrive(uint64_t imageId, int batch, bool isEnd);
    // Forgets what waits (a new scan or a cleared view).
    void clear();
    // Announcements not yet handed on (or a finished scan not yet shown).
    bool isWaiting() const { return !m_waiting.empty(); }
    // Hands on what can go now; the timer calls it again while something has to wait.
    void drain();

private:
    struct Arrival {
        uint64_t imageId;
        int batch;
        bool isEnd;
        bool handedOn;  // the streamer has it; only the finished scan is still to show
    };

    std::shared_ptr<RangeStreamer> m_streamer;
    std::function<void(int)> m_accepted;
    std::function<void()> m_finished;
    std::deque<Arrival> m_waiting;  // GUI thread only
    QTimer m_retry;
};
