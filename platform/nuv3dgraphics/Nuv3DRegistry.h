#pragma once
// Process-wide table of live 3D windows by handle. Handles count up from 1 and are never reused,
// so a destroyed handle can only miss. Calls arrive from any thread: data goes straight to the
// window's point buffer, widget work runs on the GUI thread (queued when called elsewhere).
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "Nuv3DExport.h"

class Nuv3DPointBuffer;
class Nuv3DWindow;
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
};
