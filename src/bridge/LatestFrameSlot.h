// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QImage>
#include <QSharedPointer>
#include <QVector>
#include <atomic>
#include <mutex>

#include "NuvImage.h"

// The newest camera picture of one bound camera on its way to the GUI thread. The converting thread
// puts each picture in place of one the GUI thread has not taken yet, and wakes the GUI thread only
// when no wake-up is pending: however far the display falls behind the camera, one picture waits
// and one wake-up is queued, and the GUI thread always takes the newest.
class LatestFrameSlot {
public:
    struct Frame {
        QSharedPointer<NuvImage> image;  // a camera frame, or
        QSharedPointer<QImage> picture;  // a profiler's sensor picture
        QVector<qreal> profile;
        bool isEmpty() const { return image.isNull() && picture.isNull(); }
    };
    struct PutResult {
        bool replaced = false;  // a picture the GUI thread never took was dropped for this one
        bool wake = false;      // the caller posts one wake-up to the GUI thread
    };

    // Converting thread.
    PutResult put(Frame frame);
    // GUI thread, on a wake-up: the waiting picture (empty when another wake-up took it).
    Frame take();
    // Whether a picture waits (any thread; for the pane's figures and tests).
    bool holdsFrame() const;

private:
    // Guards m_frame, the one picture waiting for the GUI thread.
    mutable std::mutex m_frameMutex;
    Frame m_frame;
    // Set by the thread that posts a wake-up, cleared by the GUI thread before it takes the
    // picture: a picture put after that clearing posts a new wake-up, so none is left waiting.
    std::atomic<bool> m_wakePosted{false};
};
