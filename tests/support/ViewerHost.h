// SPDX-License-Identifier: Apache-2.0
#pragma once
// For viewer tests: a viewer inside a shown host widget, optionally with a camera bound to a pane.
// Test classes inherit it next to QObject and call openViewer() in init(), closeViewer() in cleanup().
#include <QSignalSpy>
#include <QWidget>
#include <string>

#include "ImageWnd.h"
#include "ImageWndManager.h"
#include "NuvViewerImageWnd.h"
#include "TestSupport.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace TestSupport {
class ViewerHost {
protected:
    void openViewer(int width, int height) {
        m_host = new QWidget();
        m_host->resize(width, height);
        m_viewer = new NuvViewerImageWnd(m_host);
        m_host->show();
    }
    // Stops the bound camera, deletes the viewer and its host and resets the business layer.
    void closeViewer() {
        if (!m_key.empty()) ZavizoZoz3::StopGrab(m_key);
        delete m_viewer;
        m_viewer = nullptr;
        delete m_host;
        m_host = nullptr;
        m_pane = nullptr;
        m_key.clear();
        ZavizoZoz3::Control::reset();
    }
    // Adds a connected, open camera and waits until a device list binds it to a pane; false if not.
    bool bindCamera(ZavizoZoz3::Control::CameraKind kind, const std::string& name) {
        m_key = connectedCamera(kind, name);
        QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
        ZavizoZoz3::Control::postDeviceList(1);
        if (!bound.wait(5000)) return false;
        m_pane = manager()->paneOf(QString::fromStdString(m_key));
        return m_pane != nullptr;
    }
    // A host gets the grid as a plain widget; the tests look inside it.
    ImageWndManager* manager() const { return qobject_cast<ImageWndManager*>(m_viewer->manager()); }

    QWidget* m_host = nullptr;
    NuvViewerImageWnd* m_viewer = nullptr;
    ImageWnd* m_pane = nullptr;
    std::string m_key;
};
}  // namespace TestSupport
