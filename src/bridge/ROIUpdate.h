// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <string>

#include "ZavizoZoz3.h"

class ImageWndManager;

// ROI draw requests need an answer (the shape id), so they call the manager directly; the
// business layer makes this call on the GUI thread.
class ROIUpdate final : public ZavizoZoz3::IROIDrawUpdate {
public:
    explicit ROIUpdate(ImageWndManager* manager) : m_manager(manager) {}
    void notify(std::string id, int leftX, int leftY, int rightX, int rightY, int operation, int& roiId,
                bool& status, int roiType, int drawType) override;

private:
    ImageWndManager* m_manager;  // not owned
};
