// SPDX-License-Identifier: Apache-2.0
// Control surface of the in-process business layer.
#include "ZavizoZoz3Control.h"

#include "LaserPayloadEncoder.h"

#include "BusinessLayer.h"
#include "OwnedAcqBuffer.h"
#include "SimulatedCamera.h"
#include "SimulatedLaserProfiler.h"
#if NUV_HAVE_ARAVIS
#include <memory>
#include <mutex>

#include "GenICamDiscovery.h"
#include "LoopbackGigECamera.h"
#endif

namespace ZavizoZoz3 {
namespace Control {

namespace {
BusinessLayer& layer() {
    return BusinessLayer::instance();
}

#if NUV_HAVE_ARAVIS
std::mutex& loopbackMutex() {  // guards loopbackCamera()
    static std::mutex mutex;
    return mutex;
}
std::unique_ptr<LoopbackGigECamera>& loopbackCamera() {
    static std::unique_ptr<LoopbackGigECamera> camera;
    return camera;
}
#endif

template <class Listener, class Call>
void postTo(ListenerList<Listener>& listeners, Call call) {
    layer().events().post([&listeners, call] { listeners.forEach(call); });
}
}  // namespace

std::string addCamera(CameraKind kind, const std::string& name) {
    return layer().addCamera(kind, name);
}
void removeCamera(const std::string& key) {
    layer().removeCamera(key);
}
std::vector<std::string> cameras() {
    return layer().cameraKeys();
}
bool hasCamera(const std::string& key) {
    return layer().camera(key) != nullptr;
}

void setConnected(const std::string& key, bool connected) {
    if (const auto device = layer().camera(key)) device->setConnected(connected);
}

void setOpen(const std::string& key, bool open) {
    if (const auto device = layer().camera(key)) device->setOpen(open);
}

bool isGrabbing(const std::string& key) {
    const auto device = layer().camera(key);
    return device && device->isGrabbing();
}

void setStopGrabDelay(int milliseconds) {
    layer().stopGrabDelay.set(std::chrono::milliseconds(milliseconds));
}

void releaseStopGrabs() {
    layer().stopGrabDelay.releaseAll();
}

int stopGrabsHeld() {
    return layer().stopGrabDelay.held();
}

bool genicamAvailable() {
#if NUV_HAVE_ARAVIS
    return true;
#else
    return false;
#endif
}

std::vector<std::string> scanGenICamCameras(GenICamScan scan) {
#if NUV_HAVE_ARAVIS
    std::vector<std::string> keys = GenICamDiscovery::scanInto(layer(), scan == GenICamScan::RealCameras);
    postDeviceList(1);
    return keys;
#else
    (void)scan;
    return {};
#endif
}

bool serveLoopbackGigECamera(bool serve) {
#if NUV_HAVE_ARAVIS
    std::lock_guard<std::mutex> lock(loopbackMutex());
    auto& camera = loopbackCamera();
    if (!serve) {
        camera.reset();
        return false;
    }
    if (!camera) camera = std::make_unique<LoopbackGigECamera>(kLoopbackAddress, "NuvLoopback");
    if (!camera->isServing()) camera.reset();
    return camera != nullptr;
#else
    (void)serve;
    return false;
#endif
}

std::string addGigECameraByAddress(const std::string& address) {
#if NUV_HAVE_ARAVIS
    const std::string key = GenICamDiscovery::addByAddress(layer(), address);
    if (!key.empty()) postDeviceList(1);
    return key;
#else
    (void)address;
    return {};
#endif
}

void setParameterInfo(PARAMETER_INFO item, const std::string& value) {
    layer().setParameter(item, value);
}

void setFrameRate(const std::string& key, double framesPerSecond) {
    if (const auto device = layer().camera(key)) device->setFrameRate(framesPerSecond);
}

void setLaserScene(const std::string& key, double tiltDegrees, double blockStepMm, double holdPositionMm) {
    if (const auto device = std::dynamic_pointer_cast<SimulatedLaserProfiler>(layer().camera(key)))
        device->setSceneGeometry(tiltDegrees, blockStepMm, holdPositionMm);
}

void setSensorReading(const std::string& key, const std::string& feature, double value) {
    const auto device = layer().camera(key);
    GenApi::INodeMap* nodes = device ? device->nodeMap() : nullptr;
    if (auto* node = nodes ? dynamic_cast<FloatNode*>(nodes->GetNode(feature)) : nullptr)
        node->setReading(value);
}

void setTiltCorrection(const std::string& key, double degrees) {
    if (const auto device = std::dynamic_pointer_cast<SimulatedLaserProfiler>(layer().camera(key)))
        device->setTiltCorrection(degrees);
}

void installPayloadEncoder() {
    setFrameEncoder(CameraKind::LaserProfiler, &LaserPayloadEncoder::encode);
}

void setFrameEncoder(CameraKind kind, FrameEncoder encoder) {
    layer().setFrameEncoder(kind, std::move(encoder));
}

uint64_t framesProduced(const std::string& key) {
    const auto device = std::dynamic_pointer_cast<SimulatedCamera>(layer().camera(key));
    return device ? device->framesProduced() : 0;
}

uint64_t transportLostFrames(const std::string& key) {
    const auto device = layer().camera(key);
    return device ? device->transportLostFrames() : 0;
}

void injectTransportLoss(const std::string& key, uint64_t frames) {
    if (const auto device = std::dynamic_pointer_cast<SimulatedCamera>(layer().camera(key)))
        device->injectTransportLoss(frames);
}

int outstandingBuffers() {
    return static_cast<int>(layer().outstandingBuffers());
}

int spareFrameBuffers() {
    return static_cast<int>(layer().spareFrameBuffers());
}

void postDeviceList(int source) {
    // The camera list is taken when the event is delivered, as a device scan would report it.
    layer().events().post([source] {
        const std::vector<std::string> cams = layer().cameraKeys();
        layer().deviceListListeners.forEach(
            [&](IDeviceListUpdate* listener) { listener->notify(source, {}, cams); });
    });
}

void postDeviceList(int source, const std::vector<std::string>& cards, const std::vector<std::string>& cams) {
    postTo(layer().deviceListListeners,
           [=](IDeviceListUpdate* listener) { listener->notify(source, cards, cams); });
}

void postFocus(FOCUS_TYPE type, const std::string& key) {
    postTo(layer().focusListeners, [=](IFocusUpdate* listener) { listener->notify(type, key); });
}

void postLayout(LAYOUT_TYPE layout) {
    postTo(layer().layoutListeners, [=](ILayoutUpdate* listener) { listener->notify(layout); });
}

void postCameraId(const std::string& srcName, const std::string& dstName) {
    postTo(layer().cameraIdListeners, [=](ICameraIdUpdate* listener) { listener->notify(srcName, dstName); });
}

void postLanguage(const std::string& language) {
    postTo(layer().languageListeners, [=](ILangUpdate* listener) { listener->notify(language); });
}

void postCorrection(const std::string& key, int correctionType, float value, void* ext) {
    postTo(layer().correctionListeners,
           [=](ICorrectionUpdate* listener) { listener->notify(key, correctionType, value, ext); });
}

void postImport(const std::string& key) {
    postTo(layer().importListeners, [=](IImportUpdate* listener) { listener->notify(key); });
}

void postImageMode(const std::string& key, int mode) {
    postTo(layer().imageModeListeners, [=](IImageModeUpdate* listener) { listener->notify(key, mode); });
}

void postSLImageShowMode(const std::string& key, int mode) {
    postTo(layer().showModeListeners, [=](ISLImageShowModeUpdate* listener) { listener->notify(key, mode); });
}

void postImage(const std::string& key, uint32_t kind, uint32_t extra, int width, int height,
               uint32_t pixelFormat, const std::vector<uint8_t>& bytes) {
    EncodedFrame frame;
    frame.kind = kind;
    frame.extra = extra;
    frame.width = width;
    frame.height = height;
    frame.pixelFormat = pixelFormat;
    frame.bytes = bytes;
    // std::function needs a copyable task; the frame moves into a shared holder.
    auto holder = std::make_shared<EncodedFrame>(std::move(frame));
    layer().events().post([key, holder] { layer().deliverFrame(key, std::move(*holder)); });
}

void post(std::function<void()> task) {
    if (task) layer().events().post(std::move(task));
}

void waitIdle() {
    layer().events().waitIdle();
}

void setRoiDrawScheduler(std::function<void()> schedule) {
    layer().roiDraws.setScheduler(std::move(schedule));
}

int deliverRoiDraws() {
    return layer().deliverRoiDraws();
}

void raiseRoiDraws(const std::string& key) {
    for (int index = 0; index <= 4; ++index)
        layer().roiDraws.note(key, index);
}

bool callROIDraw(const std::string& key, int leftX, int leftY, int rightX, int rightY, int operation,
                 int& roiId, int roiType, int drawType) {
    if (roiId >= 0 && roiId <= 4 && operation != 1) layer().roiDraws.setHidden(key, roiId, operation != 0);
    bool status = false;
    layer().roiListeners.forEach([&](IROIDrawUpdate* listener) {
        listener->notify(key, leftX, leftY, rightX, rightY, operation, roiId, status, roiType, drawType);
    });
    return status;
}

int listenerCount() {
    return layer().listenerCount();
}
std::string lastFocusKey() {
    return layer().lastFocusKey();
}
int startGrabCount(const std::string& key) {
    return layer().grabCount(key, true);
}
int stopGrabCount(const std::string& key) {
    return layer().grabCount(key, false);
}
std::vector<std::string> logLines() {
    return layer().logLines();
}
std::vector<RoiPosCall> roiPosCalls() {
    return layer().roiPosCalls();
}

void reset() {
    layer().reset();
    serveLoopbackGigECamera(false);  // after the cameras that spoke to it are closed
}

}  // namespace Control
}  // namespace ZavizoZoz3
