#pragma once
// Control surface of the in-process business layer, for the demo host and the tests.
// Everything here is thread-safe. Listener events are delivered on the business layer's own
// event thread (post*) in posting order; waitIdle() returns once every event posted before
// the call has been delivered.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SimulatedFrame.h"
#include "ZavizoZoz3.h"

namespace ZavizoZoz3 {
namespace Control {

enum class CameraKind { LaserProfiler, AreaScan };

// Adds a simulated camera (disconnected, closed) and returns its key (the name; made unique).
std::string addCamera(CameraKind kind, const std::string& name);
// Removes a camera; a grabbing camera stops first. Its node map stays valid until shutdown().
void removeCamera(const std::string& key);
std::vector<std::string> cameras();
bool hasCamera(const std::string& key);

// Connection state (CAM_INFO 4 and 3). Disconnecting stops acquisition.
void setConnected(const std::string& key, bool connected);
void setOpen(const std::string& key, bool open);
bool isGrabbing(const std::string& key);

// Application settings (PARAMETER_INFO) are plain text the tests may set.
void setParameterInfo(PARAMETER_INFO item, const std::string& value);

// Frame rate of a simulated camera's acquisition thread (frames or batches per second).
void setFrameRate(const std::string& key, double framesPerSecond);
// The rate is the camera's "AcquisitionFrameRate" feature (clamped to its range). An area-scan
// camera sends one picture per period. A laser profiler scans that many profiles per second
// and sends, by image mode: 0 pictures (at most 25/s), 1 single profiles (at most 50/s),
// 2 one batch of "BatchNumber" lines whenever that many lines have been scanned.

// Installs the packaging of simulated frames into payloads for every camera of a kind (an
// empty function removes it). Called on acquisition threads; must be thread-safe. Without an
// encoder a camera sends image-mode-0 pictures as plain Mono8 kind-0 buffers and nothing else.
void setFrameEncoder(CameraKind kind, FrameEncoder encoder);
// Makes laser profilers send the sensor's binary payloads (picture, profile, range batches), as
// the demo and the viewer expect from a real device.
void installPayloadEncoder();
// Frames a camera produced since its last StartGrab (whether or not anything was sent).
uint64_t framesProduced(const std::string& key);
// Acquisition buffers handed to image listeners and not yet released. reset() frees them.
int outstandingBuffers();

// Asynchronous delivery on the business-layer event thread.
void postDeviceList(int source);  // card list and the current camera list
void postDeviceList(int source, const std::vector<std::string>& cards, const std::vector<std::string>& cams);
void postFocus(FOCUS_TYPE type, const std::string& key);
void postLayout(LAYOUT_TYPE layout);
void postCameraId(const std::string& srcName, const std::string& dstName);
void postLanguage(const std::string& language);
void postCorrection(const std::string& key, int correctionType, float value, void* ext);
void postImport(const std::string& key);
void postImageMode(const std::string& key, int mode);
void postSLImageShowMode(const std::string& key, int mode);
// Hands a buffer of `bytes` to the image listener "VUR" (the receiver releases it).
void postImage(const std::string& key, uint32_t kind, uint32_t extra, int width, int height,
               uint32_t pixelFormat, const std::vector<uint8_t>& bytes);
// Runs an arbitrary task on the event thread (for tests that need a foreign-thread caller).
void post(std::function<void()> task);
// Blocks until every event posted before this call has been delivered.
void waitIdle();

// Synchronous, on the calling thread (the ROI listener must be called on the GUI thread).
// Returns `status` as the listener left it; roiId in/out. Operation 0 on roiId 0 to 4 lets that
// ROI raise draw events again, an operation other than 0 and 1 silences it.
bool callROIDraw(const std::string& key, int leftX, int leftY, int rightX, int rightY, int operation,
                 int& roiId, int roiType, int drawType);

// ROI draw events. A change of the camera ROI ("OffsetX", "OffsetY", "Width", "Height"), of an
// image mask ("ImageMask" or a corner node of the selected mask) or of the column window
// (CAM_INFO 67, 68), from any thread and whoever wrote it, raises a draw event: operation 0,
// roiId the index (0 camera ROI, 1 to 3 mask, 4 column window), roiType 0, drawType 1 for the
// camera ROI, 0 for a mask, 2 for the column window; the rectangle is the camera ROI in sensor
// coordinates or the column window's first and last column. The ROI listener must be called on
// the GUI thread, so events wait, one per camera and index, until deliverRoiDraws() runs there.
// The scheduler is called on the writing thread whenever the queue stops being empty; a Qt host
// posts deliverRoiDraws() to its event loop from it. Without a scheduler events wait for an
// explicit deliverRoiDraws(). A ROI removed through callROIDraw stays quiet until drawn again.
void setRoiDrawScheduler(std::function<void()> schedule);
// GUI thread. Returns the number of events delivered.
int deliverRoiDraws();
// Raises the draw events of every ROI of a camera (masks that are off are removed by them).
void raiseRoiDraws(const std::string& key);

// Observations for tests.
int listenerCount();         // all registered listeners of every kind
std::string lastFocusKey();  // key of the last SetFocus(3, key)
int startGrabCount(const std::string& key);
int stopGrabCount(const std::string& key);
std::vector<std::string> logLines();  // VLogError lines as "module: message"
struct RoiPosCall {
    std::string key;
    int roiId, x1, y1, x2, y2;
};
std::vector<RoiPosCall> roiPosCalls();  // every SetROIPos, in call order

// Stops every camera and the event thread, clears all cameras, listeners and observations.
// The next call starts afresh. Tests call it between cases.
void reset();

}  // namespace Control
}  // namespace ZavizoZoz3
