// SPDX-License-Identifier: Apache-2.0
#pragma once
/// @file
/// The host's business layer as the viewer sees it: camera registry, camera information and
/// settings as text, GenICam feature access, acquisition control and listener callbacks that
/// arrive on business-layer threads. The in-process implementation drives simulated cameras;
/// see ZavizoZoz3Control.h for the surface the demo and the tests use to steer it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "GenApi.h"
#include "ZavizoZoz3Export.h"

/**
 * The business-layer interface a host and the viewer call.
 *
 * Every function may be called from any thread (StartGrab() and StopGrab() describe how they
 * behave on a camera's own acquisition thread); status results are 0 for success and non-zero
 * (usually -1) for failure, and the functions do not throw.
 * Listeners are called on business-layer threads: the event thread for the posted events, the
 * camera's acquisition thread for images, and whichever thread runs
 * Control::deliverRoiDraws() (the GUI thread) for ROI draw events.
 */
namespace ZavizoZoz3 {

/// What a focus change or a node-map request refers to.
enum FOCUS_TYPE : int {
    FOCUS_NONE = 0,       ///< nothing
    FOCUS_CARD = 1,       ///< a frame-grabber card
    FOCUS_INTERFACE = 2,  ///< an interface of a card
    FOCUS_CAMERA = 3      ///< a camera
};

/// Window layouts announced to ILayoutUpdate; the value is the number of cells.
enum LAYOUT_TYPE : int {
    LAYOUT_1X1 = 1,  ///< one cell
    LAYOUT_1X2 = 2,  ///< two cells side by side
    LAYOUT_2X2 = 4,  ///< two rows of two
    LAYOUT_3X3 = 9,  ///< three rows of three
    LAYOUT_4X4 = 16  ///< four rows of four
};

/// Numbered camera information items (text values). Only the numbers matter; names are for
/// readability. Flags read "1" or "0".
enum CAM_INFO : int {
    CAM_INFO_TITLE = 0,        ///< display title (the camera key by default)
    CAM_INFO_MODEL = 1,        ///< model name
    CAM_INFO_OPEN = 3,         ///< "1" when the camera is open; read only
    CAM_INFO_CONNECTED = 4,    ///< "1" when the camera is connected; read only
    CAM_INFO_DEVICE_KIND = 6,  ///< kDeviceKindProfiler or kDeviceKindAreaScan
    CAM_INFO_GRABBING = 10,    ///< "1" while acquisition runs; read only
    CAM_INFO_SERIAL = 11,      ///< serial number
    CAM_INFO_FRAME_RATE = 12,  ///< the "AcquisitionFrameRate" feature ("0" without it); read only
    /// Frames the transport lost since the last StartGrab (stream statistics), decimal; read only.
    CAM_INFO_LOST_FRAMES = 13,
    /// Packets the transport had resent since the last StartGrab, decimal; empty for a transport
    /// without packets (only GigE Vision has them); read only.
    CAM_INFO_RESENT_PACKETS = 14,
    /// Packets the transport never got since the last StartGrab, decimal; empty for a transport
    /// without packets; read only.
    CAM_INFO_MISSING_PACKETS = 15,
    CAM_INFO_MODEL_TEXT = 35,  ///< model name as shown to the user
    /// Value of the pixel under the pointer (three decimals); the viewer writes it.
    CAM_INFO_PIXEL_VALUE = 40,
    /// Resolution as "width * height"; the viewer writes the size of the picture it shows.
    CAM_INFO_RESOLUTION = 41,
    /// Image position under the pointer as "x,y" (one decimal); the viewer writes it.
    CAM_INFO_PIXEL_POS = 42,
    CAM_INFO_PIXEL_RGB = 43,       ///< colour under the pointer as "r,g,b"; the viewer writes it
    CAM_INFO_RANGE_BITS = 50,      ///< width of profile and range samples: "16" (default) or "32"
    CAM_INFO_SAMPLING_RATIO = 51,  ///< sampling ratio of the 3D display ("1" by default)
    CAM_INFO_Y_INTERVAL = 52,      ///< spacing of scanned lines in mm for the 3D display ("0.05" by default)
    CAM_INFO_DISPLAY_MODE = 53,    ///< 3D display mode: "0" (default) or another value for the other mode
    /// "1" asks the profiler view to measure the height span of the next profile within the
    /// shown range into CAM_INFO 55 and 56, reset this item to "0" and stop the grab ("0" by default).
    CAM_INFO_RANGE_PROBE = 54,
    CAM_INFO_HEIGHT_MAX = 55,   ///< top of the height range of the 3D display in mm ("20.0" by default)
    CAM_INFO_HEIGHT_MIN = 56,   ///< bottom of the height range of the 3D display in mm ("-20.0" by default)
    CAM_INFO_SINGLE_GRAB = 57,  ///< "1" makes the next StartGrab a single grab; reset to "0" by it
    CAM_INFO_WINDOW_ROW_OFFSET = 58,  ///< the "OffsetY" feature ("0" without it); read only
    CAM_INFO_COLUMN_FIRST = 67,       ///< first column of the column window; a change raises a draw event
    CAM_INFO_COLUMN_LAST = 68,        ///< last column of the column window; a change raises a draw event
};

/// Numbered application settings (text values; see GetParamterInfo()).
enum PARAMETER_INFO : int {
    PARAMETER_AUTO_NAME = 0,     ///< automatic naming of single and multi-frame saves ("1" on, default)
    PARAMETER_SAVE_DIR = 1,      ///< folder images are saved to
    PARAMETER_FILE_PREFIX = 2,   ///< file name prefix ("image" by default)
    PARAMETER_NAMING_RULE = 3,   ///< 0 prefix, time and number; 1 prefix and time; 2 prefix and number
    PARAMETER_IMAGE_FORMAT = 4,  ///< image file format ("0" by default)
    PARAMETER_SAVE_PROFILE_HEIGHT = 13,        ///< save profile heights ("1" on, default)
    PARAMETER_PROFILE_HEIGHT_FORMAT = 14,      ///< file format of profile heights ("0" by default)
    PARAMETER_SAVE_PROFILE_BRIGHTNESS = 15,    ///< save profile brightness ("1" on, default)
    PARAMETER_PROFILE_BRIGHTNESS_FORMAT = 16,  ///< file format of profile brightness ("0" by default)
    PARAMETER_SAVE_RANGE_HEIGHT = 17,          ///< save range-image heights ("1" on, default)
    PARAMETER_RANGE_HEIGHT_FORMAT = 18,        ///< file format of range-image heights ("0" by default)
    PARAMETER_SAVE_RANGE_BRIGHTNESS = 19,      ///< save range-image brightness ("1" on, default)
    PARAMETER_RANGE_BRIGHTNESS_FORMAT = 20,    ///< file format of range-image brightness ("0" by default)
    PARAMETER_FRAME_LIMIT = 21,       ///< number of frames a multi-frame save takes ("100" by default)
    PARAMETER_QUEUE_CAPACITY = 23,    ///< capacity of the image queue ("10" by default)
    PARAMETER_RECORD_AUTO_NAME = 25,  ///< automatic naming of recordings ("1" on, default)
    PARAMETER_RECORD_DIR = 26,        ///< folder recordings are saved to
    PARAMETER_RECORD_FORMAT = 27,     ///< recordings: "0" a folder of frames (default), "1" an FFV1 video
    PARAMETER_SAVE_ALL_IMAGES = 33,   ///< multi-image frames: "0" (default) saves only the shown image
    /// Layout of the profile heights CSV: "0" (default) one line of heights; "1" a header line and
    /// one "x,z" line per point in millimetres, an empty z where the column has no laser point.
    PARAMETER_PROFILE_CSV_X_COLUMN = 41,
};

/// Device-kind code of a laser profiler (CAM_INFO 6).
constexpr const char* kDeviceKindProfiler = "1";
/// Device-kind code of an area-scan camera (CAM_INFO 6).
constexpr const char* kDeviceKindAreaScan = "2";

/**
 * Acquisition buffer handed to the image listener: the receiver reads it and calls release()
 * exactly once when done; the buffer must not be touched after that. The receiver may keep it
 * and release it later on another thread. Every registered image listener gets its own
 * reference, so each calls release() once.
 */
class AcqBuffer {
public:
    /// @return whether the buffer holds a payload.
    virtual bool isValid() const = 0;
    /// @return the payload width in pixels.
    virtual int width() const = 0;
    /// @return the payload height in pixels (lines).
    virtual int height() const = 0;
    /// @return the GenICam PFNC code of the payload (see NuvPixelFormat).
    virtual uint32_t pixelFormat() const = 0;
    /// @return the first payload byte.
    virtual const uint8_t* data() const = 0;
    /// @return the payload size in bytes.
    virtual size_t size() const = 0;
    /// Gives the receiver's reference back; the buffer must not be used afterwards.
    virtual void release() = 0;
    /// @return the camera's clock at the exposure of the payload in nanoseconds (a simulated
    /// camera's steady clock, a GenICam camera's buffer timestamp), -1 when the camera gives none.
    virtual int64_t timestampNs() const { return -1; }

protected:
    ~AcqBuffer() = default;
};

/// @name Listener interfaces
/// One callback each, called on business-layer threads. A listener must stay alive until its
/// unregistration returns.
///@{

/// Told about the card and camera lists.
class IDeviceListUpdate {
public:
    /// The device lists changed. @p source tells the cause (1 after a camera's acquisition ended);
    /// @p cardList holds the card keys, @p camList the camera keys. Event thread.
    virtual void notify(int source, std::vector<std::string> cardList, std::vector<std::string> camList) = 0;

protected:
    ~IDeviceListUpdate() = default;
};
/// Told when the host's focus moves.
class IFocusUpdate {
public:
    /// The focus moved to the item @p id of kind @p type. Event thread.
    virtual void notify(FOCUS_TYPE type, std::string id) = 0;

protected:
    ~IFocusUpdate() = default;
};
/// Told when the host chooses a window layout.
class ILayoutUpdate {
public:
    /// The host chose @p type. Event thread.
    virtual void notify(LAYOUT_TYPE type) = 0;

protected:
    ~ILayoutUpdate() = default;
};
/// Told when a camera is renamed.
class ICameraIdUpdate {
public:
    /// The camera @p srcName is now called @p dstName. Event thread.
    virtual void notify(const std::string& srcName, const std::string& dstName) = 0;

protected:
    ~ICameraIdUpdate() = default;
};
/// Told when the user-interface language changes.
class ILangUpdate {
public:
    /// The language is now @p language. Event thread.
    virtual void notify(std::string language) = 0;

protected:
    ~ILangUpdate() = default;
};
/// Told to draw or remove a ROI of a camera.
class IROIDrawUpdate {
public:
    /**
     * A ROI of camera @p id changed. The rectangle (@p leftX, @p leftY) to (@p rightX, @p rightY) is
     * the camera ROI in sensor coordinates, or for the column window its first (@p leftX) and last
     * (@p rightX) column. @p operation 0 draws; @p roiId (in/out) is the index: 0 camera ROI,
     * 1 to 3 mask, 4 column window; @p drawType is 1 for the camera ROI, 0 for a mask, 2 for the
     * column window. The listener sets @p status to report success. Called on the thread that runs
     * Control::deliverRoiDraws() or Control::callROIDraw(), which must be the GUI thread.
     */
    virtual void notify(std::string id, int leftX, int leftY, int rightX, int rightY, int operation,
                        int& roiId, bool& status, int roiType, int drawType) = 0;

protected:
    ~IROIDrawUpdate() = default;
};
/// Told about a correction of a camera.
class ICorrectionUpdate {
public:
    /// Correction @p correctionType of camera @p id now has the value @p curCorrectionValue;
    /// @p ext is passed through unchanged. Event thread.
    virtual void notify(std::string id, int correctionType, float curCorrectionValue, void* ext) = 0;

protected:
    ~ICorrectionUpdate() = default;
};
/// Told when data was imported for a camera.
class IImportUpdate {
public:
    /// Data was imported for camera @p id. Event thread.
    virtual void notify(std::string id) = 0;

protected:
    ~IImportUpdate() = default;
};
/// Told when a camera's image mode changes.
class IImageModeUpdate {
public:
    /// Camera @p id now has image mode @p mode (0 picture, 1 single profile, 2 range batch).
    /// Event thread.
    virtual void notify(std::string id, int mode) = 0;

protected:
    ~IImageModeUpdate() = default;
};
/// Told when the image show mode of a camera changes.
class ISLImageShowModeUpdate {
public:
    /// Camera @p id now has show mode @p mode. Event thread.
    virtual void notify(std::string id, int mode) = 0;

protected:
    ~ISLImageShowModeUpdate() = default;
};
/// Receives the camera images.
class IImageUpdate {
public:
    /// A payload of camera @p cameraKey. @p kind: 0 camera image, 1 single profile, 2 range batch;
    /// @p extra: frame index. The listener must call AcqBuffer::release() on @p payload exactly
    /// once. Called on the camera's acquisition thread, or on the event thread for
    /// Control::postImage().
    virtual void notify(std::string cameraKey, AcqBuffer* payload, uint32_t kind, uint32_t extra) = 0;

protected:
    ~IImageUpdate() = default;
};
///@}

/// @name Listener registration
/// Any thread. Registering returns 0, or -1 for a null listener or one already registered (for
/// the image listener: the same listener under the same name). Unregistering returns 0, or -1
/// when not registered; it waits until deliveries to that listener running on other threads have
/// returned, so the listener is never called once it returns, and a listener may unregister
/// itself from inside its own callback.
///@{
ZAVIZOZOZ3_API int RegisterDeviceListUpdateListener(
    IDeviceListUpdate* listener);  ///< Registers a device-list listener.
ZAVIZOZOZ3_API int UnRegisterDeviceListUpdateListener(IDeviceListUpdate* listener);  ///< Unregisters it.
ZAVIZOZOZ3_API int RegisterFocusUpdateListener(IFocusUpdate* listener);      ///< Registers a focus listener.
ZAVIZOZOZ3_API int UnRegisterFocusUpdateListener(IFocusUpdate* listener);    ///< Unregisters it.
ZAVIZOZOZ3_API int RegisterLayoutUpdateListener(ILayoutUpdate* listener);    ///< Registers a layout listener.
ZAVIZOZOZ3_API int UnRegisterLayoutUpdateListener(ILayoutUpdate* listener);  ///< Unregisters it.
ZAVIZOZOZ3_API int RegisterCameraIdUpdateListener(
    ICameraIdUpdate* listener);  ///< Registers a rename listener.
ZAVIZOZOZ3_API int UnRegisterCameraIdUpdateListener(ICameraIdUpdate* listener);  ///< Unregisters it.
ZAVIZOZOZ3_API int RegisterLangUpdateListener(ILangUpdate* listener);      ///< Registers a language listener.
ZAVIZOZOZ3_API int UnRegisterLangUpdateListener(ILangUpdate* listener);    ///< Unregisters it.
ZAVIZOZOZ3_API int RegisterROIUpdateListener(IROIDrawUpdate* listener);    ///< Registers a ROI draw listener.
ZAVIZOZOZ3_API int UnRegisterROIUpdateListener(IROIDrawUpdate* listener);  ///< Unregisters it.
ZAVIZOZOZ3_API int RegisterCorrectionUpdateListener(
    ICorrectionUpdate* listener);  ///< Registers a correction listener.
ZAVIZOZOZ3_API int UnRegisterCorrectionUpdateListener(ICorrectionUpdate* listener);  ///< Unregisters it.
ZAVIZOZOZ3_API int RegisterImportUpdateListener(IImportUpdate* listener);  ///< Registers an import listener.
ZAVIZOZOZ3_API int UnRegisterImportUpdateListener(IImportUpdate* listener);  ///< Unregisters it.
ZAVIZOZOZ3_API int RegisterImageModeUpdateListener(
    IImageModeUpdate* listener);  ///< Registers an image-mode listener.
ZAVIZOZOZ3_API int UnRegisterImageModeUpdateListener(IImageModeUpdate* listener);  ///< Unregisters it.
ZAVIZOZOZ3_API int RegisterSLImageShowModeUpdateListener(
    ISLImageShowModeUpdate* listener);  ///< Registers a show-mode listener.
ZAVIZOZOZ3_API int UnRegisterSLImageShowModeUpdateListener(
    ISLImageShowModeUpdate* listener);  ///< Unregisters it.
/// Registers an image listener under @p name (the viewer uses "VUR"). Every registered image
/// listener receives every image, whatever its name.
ZAVIZOZOZ3_API int RegisterImageUpdateListener(const std::string& name, IImageUpdate* listener);
/// Unregisters the image listener registered under @p name.
ZAVIZOZOZ3_API int UnRegisterImageUpdateListener(const std::string& name, IImageUpdate* listener);
///@}

/// Reads information @p item of camera @p key. Any thread.
/// @return the text value; empty for an unknown camera or an item never set.
ZAVIZOZOZ3_API std::string GetCameraInfo(const std::string& key, CAM_INFO item);
/// Sets information @p item of camera @p key to @p value. Any thread.
/// @return 0, or -1 for an unknown camera or a read-only item.
ZAVIZOZOZ3_API int SetCameraInfo(const std::string& key, CAM_INFO item, const std::string& value);
/// Reads application setting @p item. Any thread.
/// @return the text value; empty for an unknown item.
ZAVIZOZOZ3_API std::string GetParamterInfo(PARAMETER_INFO item);

/// Reads the GenICam @p feature of camera @p key as text into @p value. Any thread.
/// @return 0; -1 for an unknown camera or feature, -2 when the feature is not readable.
ZAVIZOZOZ3_API int GetCameraNodeValue(const std::string& key, const std::string& feature, std::string& value);
/// Writes the GenICam @p feature of camera @p key from the text @p value. Any thread.
/// @return 0; -1 for an unknown camera or feature, -2 when the feature is not writable, -3 when
/// the value cannot be parsed or is out of range.
ZAVIZOZOZ3_API int SetCameraNodeValue(const std::string& key, const std::string& feature,
                                      const std::string& value);
/// Reads the GenICam @p feature of card @p cardKey into @p value.
/// @return -1 always: the simulation has no frame-grabber cards.
ZAVIZOZOZ3_API int GetCardNodeValue(const std::string& cardKey, const std::string& feature,
                                    std::string& value);
/// The node map of camera @p key, for @p type FOCUS_CAMERA and @p nodeMapType 3. Any thread.
/// @return the map, or null otherwise or for an unknown camera. Valid until the business layer
/// shuts down or Control::reset() runs (also after the camera is removed).
ZAVIZOZOZ3_API GenApi::INodeMap* GetAttrNodeMap(FOCUS_TYPE type, const std::string& key, int nodeMapType);

/// Moves the host's focus to @p key of kind @p type; only FOCUS_CAMERA is recorded. Any thread.
/// @return 0, or -1 for FOCUS_CAMERA with an unknown camera.
ZAVIZOZOZ3_API int SetFocus(FOCUS_TYPE type, const std::string& key);
/// Starts acquisition of camera @p key; images then reach the image listeners. Any thread except
/// the camera's own acquisition thread (an image listener).
/// @return 0 (also when already grabbing), -1 for an unknown camera, one not connected and open,
/// or a call from its acquisition thread.
ZAVIZOZOZ3_API int StartGrab(const std::string& key);
/// Stops acquisition of camera @p key and waits for its acquisition thread to end; called from an
/// image listener of that camera it only asks the thread to end after the current frame. Any
/// thread. @return 0, or -1 for an unknown camera.
ZAVIZOZOZ3_API int StopGrab(const std::string& key);
/// Sets the image mode of camera @p key to @p mode (0 picture, 1 single profile, 2 range batch);
/// @p apply is accepted and ignored. Any thread. @return 0, or -1 for an unknown camera or mode.
ZAVIZOZOZ3_API int SetCameraImageMode(const std::string& key, int mode, bool apply);
/// Image mode of camera @p key. Any thread.
/// @return 0, 1 or 2 (see SetCameraImageMode()), or -1 for an unknown camera.
ZAVIZOZOZ3_API int GetCameraImageMode(const std::string& key);
/// Reports the rectangle (@p x1, @p y1) to (@p x2, @p y2) of ROI @p roiId the user drew on camera
/// @p key; it is recorded (Control::roiPosCalls()). Any thread.
/// @return 0, or -1 for an unknown camera.
ZAVIZOZOZ3_API int SetROIPos(const std::string& key, int roiId, int x1, int y1, int x2, int y2);
/// Hands @p message of @p module to the installed log sink (NuvLogSink; @p level is accepted and
/// ignored) and records it (Control::logLines() keeps the last 10,000 lines). Any thread.
ZAVIZOZOZ3_API void VLogError(const std::string& module, const std::string& message, int level);

}  // namespace ZavizoZoz3
