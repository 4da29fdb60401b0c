// SPDX-License-Identifier: Apache-2.0
#include "Nuv3DRegistry.h"

#include <QApplication>
#include <QThread>

#include "Nuv3DGraphics.h"
#include "Nuv3DPointBuffer.h"
#include "Nuv3DWindow.h"

namespace {
bool onGuiThread() {
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Receives the registry's wake-ups on the GUI thread. Queued by name, a wake-up carries nothing:
// the calls themselves go through the registry's lock, where ThreadSanitizer sees them.
class QueuedCallWaker : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void runQueuedCalls() { Nuv3DRegistry::instance().runQueuedCalls(); }
};
}  // namespace

Nuv3DRegistry& Nuv3DRegistry::instance() {
    static Nuv3DRegistry registry;
    return registry;
}

int64_t Nuv3DRegistry::create(QWidget* parent) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !onGuiThread()) {
        return NUV3D_ERR_THREAD;
    }
    int64_t handle = 0;
    auto buffer = std::make_shared<Nuv3DPointBuffer>();
    {
        std::lock_guard<std::mutex> lock(m_queuedCallsMutex);
        // Made here, on the GUI thread, before any handle exists that another thread could call.
        if (m_waker == nullptr) m_waker = new QueuedCallWaker;
    }
    {
        std::lock_guard<std::mutex> lock(m_handleMutex);
        handle = m_nextHandle++;
        m_entries.emplace(handle, Entry{buffer, nullptr});
    }
    // Built outside the lock: its constructor may call back into the registry.
    auto* window = new Nuv3DWindow(handle, buffer, parent);
    if (parent) {
        window->setGeometry(parent->rect());
    }
    {
        std::lock_guard<std::mutex> lock(m_handleMutex);
        m_entries[handle].window = window;
    }
    window->show();
    return handle;
}

int Nuv3DRegistry::destroy(int64_t handle) {
    Nuv3DWindow* window = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_handleMutex);
        const auto it = m_entries.find(handle);
        if (it == m_entries.end()) {
            return NUV3D_ERR_HANDLE;
        }
        window = it->second.window;
        m_entries.erase(it);
        if (window && !onGuiThread()) {
            window->deleteLater();  // still alive: its destructor waits for this lock
            return NUV3D_OK;
        }
    }
    delete window;
    return NUV3D_OK;
}

std::shared_ptr<Nuv3DPointBuffer> Nuv3DRegistry::buffer(int64_t handle) const {
    std::lock_guard<std::mutex> lock(m_handleMutex);
    const auto it = m_entries.find(handle);
    return it == m_entries.end() ? nullptr : it->second.buffer;
}

int Nuv3DRegistry::runOnWindow(int64_t handle, std::function<void(Nuv3DWindow*)> work) {
    Nuv3DWindow* window = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_handleMutex);
        const auto it = m_entries.find(handle);
        if (it == m_entries.end() || !it->second.window) {
            return NUV3D_ERR_HANDLE;
        }
        window = it->second.window;
    }
    if (onGuiThread()) {
        work(window);
        return NUV3D_OK;
    }
    QObject* waker = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_queuedCallsMutex);
        m_queuedCalls.emplace_back(handle, std::move(work));
        waker = m_waker;
    }
    if (!m_wakePosted.exchange(true, std::memory_order_acq_rel)) {
        QMetaObject::invokeMethod(waker, "runQueuedCalls", Qt::QueuedConnection);
    }
    return NUV3D_OK;
}

void Nuv3DRegistry::runQueuedCalls() {
    m_wakePosted.store(false, std::memory_order_release);
    std::deque<std::pair<int64_t, std::function<void(Nuv3DWindow*)>>> calls;
    {
        std::lock_guard<std::mutex> lock(m_queuedCallsMutex);
        calls.swap(m_queuedCalls);
    }
    // Outside the locks: a call may come back into the registry. Calls queued meanwhile have
    // posted a wake-up of their own.
    for (auto& call : calls) {
        if (Nuv3DWindow* window = this->window(call.first)) call.second(window);
    }
}

void Nuv3DRegistry::requestRepaint(int64_t handle) {
    std::lock_guard<std::mutex> lock(m_handleMutex);
    const auto it = m_entries.find(handle);
    if (it == m_entries.end() || !it->second.window || !it->second.buffer->requestRepaint()) {
        return;
    }
    // Queued by name: no functor built on this thread is read on the GUI thread, so the hand-over
    // is Qt's own event queue alone.
    QMetaObject::invokeMethod(it->second.window, "onDataChanged", Qt::QueuedConnection);
}

Nuv3DWindow* Nuv3DRegistry::window(int64_t handle) const {
    std::lock_guard<std::mutex> lock(m_handleMutex);
    const auto it = m_entries.find(handle);
    return it == m_entries.end() ? nullptr : it->second.window;
}

void Nuv3DRegistry::detachWindow(int64_t handle, Nuv3DWindow* window) {
    std::lock_guard<std::mutex> lock(m_handleMutex);
    const auto it = m_entries.find(handle);
    if (it != m_entries.end() && it->second.window == window) {
        it->second.window = nullptr;
    }
}

#include "Nuv3DRegistry.moc"
