#pragma once
#include <vector>

#include "WndImageTransTool.h"

// Frame converter of one camera: camera pictures, single profiles and range batches.
class Wnd3DImageTransTool : public WndImageTransTool {
public:
    Wnd3DImageTransTool(ImageUpdateManager* dispatcher, ImageWndManager* manager, const QString& cameraKey);
    void transform(ZavizoZoz3::AcqBuffer* buffer, int kind, int frameIndex) override;

private:
    void transformImage(ZavizoZoz3::AcqBuffer* buffer);

    int m_composedWidth = 2048;
    int m_composedHeight = 1024;
    int m_windowWidth = 0;
    int m_windowHeight = 0;
    std::vector<uint8_t> m_composed;
};
