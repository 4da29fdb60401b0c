// SPDX-License-Identifier: Apache-2.0
#include "ScanArrivals.h"

#include "RangeStreamer.h"

ScanArrivals::ScanArrivals(std::shared_ptr<RangeStreamer> streamer, std::function<void(int batch)> accepted,
                           std::function<void()> finished, QObject* parent)
    : QObject(parent),
      m_streamer(std::move(streamer)),
      m_accepted(std::move(accepted)),
      m_finished(std::move(finished)) {
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &ScanArrivals::drain);
}

void ScanArrivals::arrive(uint64_t imageId, int batch, bool isEnd) {
    m_waiting.push_back({imageId, batch, isEnd, false});
    drain();
}

void ScanArrivals::clear() {
    m_waiting.clear();
    m_retry.stop();
}

void ScanArrivals::drain() {
    while (!m_waiting.empty()) {
        Arrival& next = m_waiting.front();
        if (!next.handedOn) {
            const bool startsImage = next.batch == 0 || next.imageId != m_streamer->receivingImageId();
            if (startsImage && !m_streamer->isConverted()) break;
            if (!m_streamer->batchArrived(next.imageId, next.batch)) {
                m_waiting.pop_front();
                continue;
            }
            next.handedOn = true;
            if (m_accepted) m_accepted(next.batch);
        }
        if (next.isEnd) {
            if (!m_streamer->isConverted()) break;
            m_waiting.pop_front();
            if (m_finished) m_finished();
            continue;
        }
        m_waiting.pop_front();
    }
    if (!m_waiting.empty() && !m_retry.isActive()) m_retry.start();
}
