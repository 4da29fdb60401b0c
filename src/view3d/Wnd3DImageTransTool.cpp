#include "Wnd3DImageTransTool.h"

#include <QSharedPointer>

#include "ImageUpdateManager.h"
#include "NuvImage.h"

Wnd3DImageTransTool::Wnd3DImageTransTool(ImageUpdateManager* dispatcher, ImageWndManager* manager,
                                         const QString& cameraKey)
    : WndImageTransTool(dispatcher, manager, cameraKey) {}

void Wnd3DImageTransTool::transform(ZavizoZoz3::AcqBuffer* buffer, int kind, int frameIndex) {
    if (buffer == nullptr)
        return;
    if (kind == 0 && buffer->isValid()) {
        transformImage(buffer);
    }
    (void)frameIndex;
    buffer->release();
}

void Wnd3DImageTransTool::transformImage(ZavizoZoz3::AcqBuffer* buffer) {
    const int bpp = NuvPixelFormat::bytesPerPixel(buffer->pixelFormat());
    const size_t need = static_cast<size_t>(buffer->width()) * static_cast<size_t>(buffer->height()) *
                        static_cast<size_t>(bpp);
    if (bpp == 0 || buffer->width() <= 0 || buffer->height() <= 0 || buffer->size() < need)
        return;
    // The buffer goes back to the business layer after this call, so the image owns a copy.
    auto image = QSharedPointer<NuvImage>::create(buffer->width(), buffer->height(), buffer->pixelFormat(),
                                                  buffer->data(), 0, true);
    emit m_dispatcher->imageProfileUpdate(m_cameraKey, image, QVector<qreal>());
}
