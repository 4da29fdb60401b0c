// SPDX-License-Identifier: Apache-2.0
#pragma once
// Process-wide table of live 3D windows by handle. Handles count up from 1 and are never reused,
// so a destroyed handle can only miss. Calls arrive from any thread: data goes straight to the
// window's point buffer, widget work runs on the GUI thread (queued when called elsewhere).
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "Nuv3DExport.h"

class Nuv3DPointBuffer;
class Nuv3DWindow;
class QObject;
class QWidget;

class NUV3D_API Nuv3DRegistry {
public:
    static Nuv3DRegistry& instance();

    // GUI thread only. Returns the handle or a negative Nuv3DResult.
    int64_t create(QWidget* parent);
    // Removes the handle; deletes the window now on its own thread, later from another one.
    int destroy(int64_t handle);
    // The point buffer of a live handle, or null.
    std::shared_ptr<Nuv3DPointBuffer> buffer(int64_t handle) const;
    // Runs `work` with the window on the GUI thread: at once when called there, else queued in
    // call order. NUV3D_ERR_HANDLE when the handle or its window is gone.
    int runOnWindow(int64_t handle, std::function<void(Nuv3DWindow*)> work);
    // Asks for one repaint of the window after new data; repeated requests before it runs merge.
    void requestRepaint(int64_t handle);
    // GUI thread: the window of a live handle, or null (tests and hosts that need the widget).
    Nuv3DWindow* window(int64_t handle) const;
    // Called by a window being deleted (also through its parent) so nothing more is queued to it.
    void detachWindow(int64_t handle, Nuv3DWindow* window);
    // GUI thread, on a wake-up: runs the calls other threads queued, in call order; those whose
    // window went in the meantime are dropped.
    void runQueuedCalls();

private:
    Nuv3DRegistry() = default;

    struct Entry {
        std::shared_ptr<Nuv3DPointBuffer> buffer;
        Nuv3DWindow* window = nullptr;  // null once the window is deleted with its parent
    };

    // Guards the handle table and the window pointers in it. Held while queueing a call to a
    // window, so a window cannot finish deleting itself (detachWindow) in the middle of that.
    mutable std::mutex m_handleMutex;
    std::unordered_map<int64_t, Entry> m_entries;
    int64_t m_nextHandle = 1;

    // Guards m_queuedCalls (calls from other threads for the windows of their handles, in call
    // order) and m_waker. A call is handed over only through this lock, never inside a posted event.
    std::mutex m_queuedCallsMutex;
    std::deque<std::pair<int64_t, std::function<void(Nuv3DWindow*)>>> m_queuedCalls;
    // Set by the thread that posts a wake-up to m_waker, cleared by the GUI thread before it takes
    // the queued calls: at most one wake-up is pending, and no call is left without one.
    std::atomic<bool> m_wakePosted{false};
    // Lives on the GUI thread (made by the first create()) as long as the registry, the process;
    // a wake-up is queued to it by name.
    QObject* m_waker = nullptr;
};
