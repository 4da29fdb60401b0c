// SPDX-License-Identifier: Apache-2.0
#pragma once
/// @file
/// Control surface of the in-process business layer, for the demo host and the tests.
/// Everything here is thread-safe. Listener events are delivered on the business layer's own
/// event thread (post*) in posting order; waitIdle() returns once every event posted before
/// the call has been delivered.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SimulatedFrame.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Export.h"

namespace ZavizoZoz3 {
/**
 * Control surface of the in-process business layer, for the demo host and the tests: simulated
 * cameras, their acquisition, event posting and observations. Every function may be called from
 * any thread unless its description says otherwise. Events are delivered on the business
 * layer's event thread in posting order.
 */
namespace Control {

/// The kind of a simulated camera.
enum class CameraKind {
    LaserProfiler,  ///< a laser profiler (device kind kDeviceKindProfiler)
    AreaScan        ///< an area-scan camera (device kind kDeviceKindAreaScan)
};

/// Adds a simulated camera of @p kind (disconnected, closed). @return its key: @p name, made unique
/// by a number suffix when taken.
ZAVIZOZOZ3_API std::string addCamera(CameraKind kind, const std::string& name);
/// Removes camera @p key; a grabbing camera stops first. Its node map stays valid until reset().
/// An unknown key is ignored.
ZAVIZOZOZ3_API void removeCamera(const std::string& key);
/// @return the keys of every camera.
ZAVIZOZOZ3_API std::vector<std::string> cameras();
/// @return whether camera @p key exists.
ZAVIZOZOZ3_API bool hasCamera(const std::string& key);

/// Connects or disconnects camera @p key (CAM_INFO 4). Disconnecting stops acquisition and closes
/// the camera. An unknown key is ignored.
ZAVIZOZOZ3_API void setConnected(const std::string& key, bool connected);
/// Opens or closes camera @p key (CAM_INFO 3); only a connected camera opens. Closing stops
/// acquisition. An unknown key is ignored.
ZAVIZOZOZ3_API void setOpen(const std::string& key, bool open);
/// @return whether camera @p key is grabbing (false for an unknown key).
ZAVIZOZOZ3_API bool isGrabbing(const std::string& key);
/// Makes every StopGrab() from now on take @p milliseconds before it stops the camera, as a camera
/// that is slow to answer; 0 (the default, and after reset()) lets it stop at once.
ZAVIZOZOZ3_API void setStopGrabDelay(int milliseconds);
/// Lets every StopGrab() that is waiting for its delay go on now.
ZAVIZOZOZ3_API void releaseStopGrabs();
/// @return how many StopGrab() calls are waiting for their delay now.
ZAVIZOZOZ3_API int stopGrabsHeld();

/// @name GenICam cameras (GigE Vision, USB3 Vision) through Aravis
///@{

/// Which transports a GenICam scan uses.
enum class GenICamScan {
    FakeOnly,    ///< only Aravis's in-process fake camera: nothing leaves this process
    RealCameras  ///< GigE Vision and USB3 Vision cameras (discovery broadcasts on the networks)
};
/// @return whether this build has the GenICam backend.
ZAVIZOZOZ3_API bool genicamAvailable();
/// Lists the GenICam cameras @p scan reaches and registers new ones as area-scan cameras
/// (disconnected and closed; the key is the device id); registered ones no longer found are
/// disconnected. Then posts the device list (source 1). Connecting opens the device.
/// @return the keys of the cameras found; empty without the backend.
ZAVIZOZOZ3_API std::vector<std::string> scanGenICamCameras(GenICamScan scan);
/// The loopback address serveLoopbackGigECamera() serves on.
constexpr const char* kLoopbackAddress = "127.0.0.1";
/// Starts (true) or ends (false) Aravis's GigE Vision fake camera on kLoopbackAddress: a device
/// spoken to over real GVCP and GVSP that never leaves this machine. Ending it while it streams
/// is a camera unplugged mid-stream. reset() ends it.
/// @return whether a camera is served after the call (false without the backend or when the
/// address is taken by another program).
ZAVIZOZOZ3_API bool serveLoopbackGigECamera(bool serve);
/// Registers (once) the GigE Vision camera at @p address as an area-scan camera (disconnected
/// and closed; the key is the address), opened by that address: no interface is searched and
/// nothing is broadcast. Then posts the device list (source 1).
/// @return its key; empty without the backend or when @p address is not a loopback address.
ZAVIZOZOZ3_API std::string addGigECameraByAddress(const std::string& address);
///@}

/// Sets application setting @p item (PARAMETER_INFO), plain text the tests may set, to @p value.
ZAVIZOZOZ3_API void setParameterInfo(PARAMETER_INFO item, const std::string& value);

/**
 * Sets the frame rate of camera @p key's acquisition thread (frames or batches per second).
 * The rate is the camera's "AcquisitionFrameRate" feature (clamped to its range). An area-scan
 * camera sends one picture per period. A laser profiler scans that many profiles per second
 * and sends, by image mode: 0 pictures (at most 25/s), 1 single profiles (at most 50/s),
 * 2 one batch of "BatchNumber" lines whenever that many lines have been scanned. An unknown key
 * is ignored.
 */
ZAVIZOZOZ3_API void setFrameRate(const std::string& key, double framesPerSecond);

/**
 * Geometry of laser profiler @p key's scene, from its next profile on: the conveyor plane (and
 * everything on it) rolled by @p tiltDegrees about the scan direction, level at the middle of the
 * line and rising towards larger x for a positive angle (|angle| < 89); the block's three steps
 * each @p blockStepMm high (default 4, not negative); with @p holdPositionMm 0 or more every
 * profile is taken at that position along the scan (a stopped conveyor; 25 crosses the block),
 * with a negative value the conveyor moves. Values out of range keep the previous setting. Other
 * cameras and unknown keys are ignored.
 */
ZAVIZOZOZ3_API void setLaserScene(const std::string& key, double tiltDegrees, double blockStepMm = 4.0,
                                  double holdPositionMm = -1.0);

/**
 * The tilt correction of laser profiler @p key, as a host hands a confirmed correction factor to
 * the sensor: from its next profile on, the sensor takes a roll of @p degrees (the sign of
 * setLaserScene()'s tilt) off what it measures, so a correction equal to the scene's tilt gives
 * level profiles. 0 by default; |degrees| of 89 or more and non-finite values are ignored, as are
 * other cameras and unknown keys.
 */
ZAVIZOZOZ3_API void setTiltCorrection(const std::string& key, double degrees);

/// Makes float feature @p feature of simulated camera @p key report @p value, as a sensor of
/// another model reports its fixed readings ("ZUpSizeInfo", "XInterval"); read-only features
/// included, limits not checked. Unknown keys and features other than floats are ignored.
ZAVIZOZOZ3_API void setSensorReading(const std::string& key, const std::string& feature, double value);

/// Installs @p encoder, the packaging of simulated frames into payloads, for every camera of
/// @p kind (an empty function removes it). Called on acquisition threads; must be thread-safe.
/// Without an encoder a camera sends image-mode-0 pictures as plain Mono8 kind-0 buffers and
/// nothing else.
ZAVIZOZOZ3_API void setFrameEncoder(CameraKind kind, FrameEncoder encoder);
/// Makes laser profilers send the sensor's binary payloads (picture, profile, range batches), as
/// the demo and the viewer expect from a real device.
ZAVIZOZOZ3_API void installPayloadEncoder();
/// @return the frames camera @p key produced since its last StartGrab (whether or not anything
/// was sent); 0 for an unknown key.
ZAVIZOZOZ3_API uint64_t framesProduced(const std::string& key);
/// @return the frames camera @p key lost on the transport since its last StartGrab; 0 for an
/// unknown key.
ZAVIZOZOZ3_API uint64_t transportLostFrames(const std::string& key);
/// Makes the next @p frames frames of simulated camera @p key count as lost on the transport:
/// they are produced but never reach the image listeners, and transportLostFrames() (CAM_INFO 13)
/// counts them. Losses not yet taken carry over a StartGrab. Other or unknown keys are ignored.
ZAVIZOZOZ3_API void injectTransportLoss(const std::string& key, uint64_t frames);
/// @return the acquisition buffers handed to image listeners and not yet released. reset() frees
/// them.
ZAVIZOZOZ3_API int outstandingBuffers();
/// @return the released frame buffers kept for the cameras' next frames; none once no camera
/// acquires.
ZAVIZOZOZ3_API int spareFrameBuffers();

/// @name Asynchronous delivery on the business-layer event thread
/// Each call posts the event and returns; the registered listeners get it on the event thread.
///@{

/// Posts the device list to IDeviceListUpdate listeners with @p source, no cards and the current
/// camera list.
ZAVIZOZOZ3_API void postDeviceList(int source);
/// Posts the device list @p cards and @p cams to IDeviceListUpdate listeners with @p source.
ZAVIZOZOZ3_API void postDeviceList(int source, const std::vector<std::string>& cards,
                                   const std::vector<std::string>& cams);
/// Posts a focus change to @p key of kind @p type to IFocusUpdate listeners.
ZAVIZOZOZ3_API void postFocus(FOCUS_TYPE type, const std::string& key);
/// Posts @p layout to ILayoutUpdate listeners.
ZAVIZOZOZ3_API void postLayout(LAYOUT_TYPE layout);
/// Posts the rename of @p srcName to @p dstName to ICameraIdUpdate listeners.
ZAVIZOZOZ3_API void postCameraId(const std::string& srcName, const std::string& dstName);
/// Posts @p language to ILangUpdate listeners.
ZAVIZOZOZ3_API void postLanguage(const std::string& language);
/// Posts a correction of camera @p key to ICorrectionUpdate listeners; @p ext is passed as is.
ZAVIZOZOZ3_API void postCorrection(const std::string& key, int correctionType, float value, void* ext);
/// Posts an import for camera @p key to IImportUpdate listeners.
ZAVIZOZOZ3_API void postImport(const std::string& key);
/// Posts image mode @p mode of camera @p key to IImageModeUpdate listeners.
ZAVIZOZOZ3_API void postImageMode(const std::string& key, int mode);
/// Posts show mode @p mode of camera @p key to ISLImageShowModeUpdate listeners.
ZAVIZOZOZ3_API void postSLImageShowMode(const std::string& key, int mode);
/// Hands a buffer holding a copy of @p bytes, described by @p kind, @p extra, @p width, @p height
/// and @p pixelFormat, for camera @p key to every image listener (the viewer's is "VUR"); each
/// receiver releases it.
ZAVIZOZOZ3_API void postImage(const std::string& key, uint32_t kind, uint32_t extra, int width, int height,
                              uint32_t pixelFormat, const std::vector<uint8_t>& bytes);
/// Runs an arbitrary @p task on the event thread (for tests that need a foreign-thread caller);
/// an empty task is ignored.
ZAVIZOZOZ3_API void post(std::function<void()> task);
/// Blocks until every event posted before this call has been delivered. Not from the event
/// thread.
ZAVIZOZOZ3_API void waitIdle();
///@}

/**
 * Calls the ROI listeners synchronously, on the calling thread (the ROI listener must be called
 * on the GUI thread), with camera @p key, the rectangle, @p operation, @p roiId (in/out),
 * @p roiType and @p drawType. Operation 0 on @p roiId 0 to 4 lets that ROI raise draw events
 * again, an operation other than 0 and 1 silences it.
 * @return `status` as the listener left it (false without listeners).
 */
ZAVIZOZOZ3_API bool callROIDraw(const std::string& key, int leftX, int leftY, int rightX, int rightY,
                                int operation, int& roiId, int roiType, int drawType);

/**
 * Sets the scheduler of ROI draw events.
 *
 * A change of the camera ROI ("OffsetX", "OffsetY", "Width", "Height"), of an image mask
 * ("ImageMask" or a corner node of the selected mask) or of the column window (CAM_INFO 67, 68),
 * from any thread and whoever wrote it, raises a draw event: operation 0, roiId the index
 * (0 camera ROI, 1 to 3 mask, 4 column window), roiType 0, drawType 1 for the camera ROI, 0 for a
 * mask, 2 for the column window; the rectangle is the camera ROI in sensor coordinates or the
 * column window's first and last column. The ROI listener must be called on the GUI thread, so
 * events wait, one per camera and index, until deliverRoiDraws() runs there.
 *
 * @p schedule is called on the writing thread whenever the queue stops being empty; a Qt host
 * posts deliverRoiDraws() to its event loop from it. Without a scheduler events wait for an
 * explicit deliverRoiDraws(). A ROI removed through callROIDraw() stays quiet until drawn again.
 */
ZAVIZOZOZ3_API void setRoiDrawScheduler(std::function<void()> schedule);
/// Delivers the waiting ROI draw events to the ROI listeners. GUI thread.
/// @return the number of events delivered.
ZAVIZOZOZ3_API int deliverRoiDraws();
/// Raises the draw events of every ROI of camera @p key (masks that are off are removed by them).
ZAVIZOZOZ3_API void raiseRoiDraws(const std::string& key);

/// @name Observations for tests
///@{

/// @return the number of registered listeners of every kind.
ZAVIZOZOZ3_API int listenerCount();
/// @return the key of the last SetFocus(FOCUS_CAMERA, key).
ZAVIZOZOZ3_API std::string lastFocusKey();
/// @return how often StartGrab() was called for @p key.
ZAVIZOZOZ3_API int startGrabCount(const std::string& key);
/// @return how often StopGrab() was called for @p key.
ZAVIZOZOZ3_API int stopGrabCount(const std::string& key);
/// How many VLogError() lines are kept: older ones are dropped first.
constexpr size_t kLogLinesKept = 10000;
/// @return the last kLogLinesKept VLogError() lines as "module: message", oldest first.
ZAVIZOZOZ3_API std::vector<std::string> logLines();
/// One recorded SetROIPos() call.
struct RoiPosCall {
    std::string key;  ///< the camera key
    int roiId,        ///< the ROI index
        x1,           ///< left
        y1,           ///< top
        x2,           ///< right
        y2;           ///< bottom
};
/// @return every SetROIPos() call, in call order.
ZAVIZOZOZ3_API std::vector<RoiPosCall> roiPosCalls();
///@}

/// Stops every camera and the event thread, clears all cameras, listeners and observations.
/// The next call starts afresh. Tests call it between cases. Ignored (with a message on standard
/// error) when called from the event thread or an acquisition thread.
ZAVIZOZOZ3_API void reset();

}  // namespace Control
}  // namespace ZavizoZoz3
