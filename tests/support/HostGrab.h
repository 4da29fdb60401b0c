// SPDX-License-Identifier: Apache-2.0
#pragma once
// For viewer tests: answers the viewer's start and stop presses as a host does.
#include <QObject>
#include <QString>

#include "NuvViewerImageWnd.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace TestSupport {
// Starts or stops the pane's camera on wndButtonclick (a 3D scan's buffers are prepared first)
// and, with reportState, posts a device list so the panes learn the acquisition state.
inline void answerGrabPresses(NuvViewerImageWnd* viewer, QObject* context, bool reportState) {
    QObject::connect(viewer, &NuvViewerImageWnd::wndButtonclick, context,
                     [viewer, reportState](int, QString camId, NuvViewerImageWnd::ButtonType type) {
                         const std::string key = camId.toStdString();
                         if (type == NuvViewerImageWnd::StartGrab) {
                             if (ZavizoZoz3::GetCameraImageMode(key) == 2)
                                 viewer->initRangeImageDisplay(camId);
                             ZavizoZoz3::StartGrab(key);
                         } else {
                             ZavizoZoz3::StopGrab(key);
                         }
                         if (reportState) ZavizoZoz3::Control::postDeviceList(1);
                     });
}
}  // namespace TestSupport
