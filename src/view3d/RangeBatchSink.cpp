// SPDX-License-Identifier: Apache-2.0
#include "RangeBatchSink.h"

#include <utility>

void RangeBatchSink::setStreamer(std::shared_ptr<RangeStreamer> streamer) {
    std::lock_guard<std::mutex> lock(m_streamerMutex);
    m_streamer = std::move(streamer);
}

std::shared_ptr<RangeStreamer> RangeBatchSink::streamer() const {
    std::lock_guard<std::mutex> lock(m_streamerMutex);
    return m_streamer;
}

bool RangeBatchSink::write(uint64_t imageId, int batch, const RangeStreamer::BatchShape& shape,
                           const RangeStreamer::BatchWriter& write) const {
    const std::shared_ptr<RangeStreamer> target = streamer();
    return target && target->writeBatch(imageId, batch, shape, write);
}
