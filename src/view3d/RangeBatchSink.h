// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>

#include "RangeStreamer.h"

// Where a camera's transform tool writes range batches: the streamer of the profiler view its pane
// shows, or none while the pane shows another view. The pane swaps the streamer with its view on
// the GUI thread; the tool writes from a business-layer thread.
class RangeBatchSink {
public:
    void setStreamer(std::shared_ptr<RangeStreamer> streamer);
    std::shared_ptr<RangeStreamer> streamer() const;
    // RangeStreamer::writeBatch on the current streamer; false without one.
    bool write(uint64_t imageId, int batch, const RangeStreamer::BatchShape& shape,
               const RangeStreamer::BatchWriter& write) const;

private:
    // Guards m_streamer; the streamer itself stays alive for a write that holds it.
    mutable std::mutex m_streamerMutex;
    std::shared_ptr<RangeStreamer> m_streamer;
};
