#pragma once
// The host's business layer as the viewer sees it: camera registry, camera information and
// settings as text, GenICam feature access, acquisition control and listener callbacks that
// arrive on business-layer threads. The in-process implementation drives simulated cameras;
// see ZavizoZoz3Control.h for the surface the demo and the tests use to steer it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "GenApi.h"

namespace ZavizoZoz3 {

enum FOCUS_TYPE : int { FOCUS_NONE = 0, FOCUS_CARD = 1, FOCUS_INTERFACE = 2, FOCUS_CAMERA = 3 };

enum LAYOUT_TYPE : int { LAYOUT_1X1 = 1, LAYOUT_1X2 = 2, LAYOUT_2X2 = 4, LAYOUT_3X3 = 9, LAYOUT_4X4 = 16 };

// Numbered camera information items (text values). Only the numbers matter; names are for readability.
enum CAM_INFO : int {
    CAM_INFO_TITLE = 0,
    CAM_INFO_MODEL = 1,
    CAM_INFO_OPEN = 3,
    CAM_INFO_CONNECTED = 4,
    CAM_INFO_DEVICE_KIND = 6,
    CAM_INFO_GRABBING = 10,
    CAM_INFO_SERIAL = 11,
    CAM_INFO_FRAME_RATE = 12,
    CAM_INFO_MODEL_TEXT = 35,
    CAM_INFO_PIXEL_VALUE = 40,
    CAM_INFO_RESOLUTION = 41,
    CAM_INFO_PIXEL_POS = 42,
    CAM_INFO_PIXEL_RGB = 43,
    CAM_INFO_RANGE_BITS = 50,
    CAM_INFO_SAMPLING_RATIO = 51,
    CAM_INFO_Y_INTERVAL = 52,
    CAM_INFO_DISPLAY_MODE = 53,
    CAM_INFO_RANGE_PROBE = 54,
    CAM_INFO_HEIGHT_MAX = 55,
    CAM_INFO_HEIGHT_MIN = 56,
    CAM_INFO_SINGLE_GRAB = 57,
    CAM_INFO_WINDOW_ROW_OFFSET = 58,
    CAM_INFO_COLUMN_FIRST = 67,
    CAM_INFO_COLUMN_LAST = 68,
};

// Numbered application settings (text values).
enum PARAMETER_INFO : int {
    PARAMETER_AUTO_NAME = 0,  // automatic naming of single and multi-frame saves ("1" on)
    PARAMETER_SAVE_DIR = 1,
    PARAMETER_FILE_PREFIX = 2,
    PARAMETER_NAMING_RULE = 3,  // 0 prefix, time and number; 1 prefix and time; 2 prefix and number
    PARAMETER_IMAGE_FORMAT = 4,
    PARAMETER_SAVE_PROFILE_HEIGHT = 13,
    PARAMETER_PROFILE_HEIGHT_FORMAT = 14,
    PARAMETER_SAVE_PROFILE_BRIGHTNESS = 15,
    PARAMETER_PROFILE_BRIGHTNESS_FORMAT = 16,
    PARAMETER_SAVE_RANGE_HEIGHT = 17,
    PARAMETER_RANGE_HEIGHT_FORMAT = 18,
    PARAMETER_SAVE_RANGE_BRIGHTNESS = 19,
    PARAMETER_RANGE_BRIGHTNESS_FORMAT = 20,
    PARAMETER_FRAME_LIMIT = 21,
    PARAMETER_QUEUE_CAPACITY = 23,
    PARAMETER_RECORD_AUTO_NAME = 25,
    PARAMETER_RECORD_DIR = 26,
    PARAMETER_SAVE_ALL_IMAGES = 33,  // multi-image frames: "0" saves only the shown image
};

// Device-kind codes of CAM_INFO 6.
constexpr const char* kDeviceKindProfiler = "1";
constexpr const char* kDeviceKindAreaScan = "2";

// Acquisition buffer handed to the image listener: the receiver reads it and calls release()
// exactly once when done; the buffer must not be touched after that.
class AcqBuffer {
public:
    virtual bool isValid() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual uint32_t pixelFormat() const = 0;  // GenICam PFNC code
    virtual const uint8_t* data() const = 0;
    virtual size_t size() const = 0;
    virtual void release() = 0;

protected:
    ~AcqBuffer() = default;
};

// Listener interfaces: one callback each, called on business-layer threads.
class IDeviceListUpdate {
public:
    virtual void notify(int source, std::vector<std::string> cardList, std::vector<std::string> camList) = 0;

protected:
    ~IDeviceListUpdate() = default;
};
class IFocusUpdate {
public:
    virtual void notify(FOCUS_TYPE type, std::string id) = 0;

protected:
    ~IFocusUpdate() = default;
};
class ILayoutUpdate {
public:
    virtual void notify(LAYOUT_TYPE type) = 0;

protected:
    ~ILayoutUpdate() = default;
};
class ICameraIdUpdate {
public:
    virtual void notify(const std::string& srcName, const std::string& dstName) = 0;

protected:
    ~ICameraIdUpdate() = default;
};
class ILangUpdate {
public:
    virtual void notify(std::string language) = 0;

protected:
    ~ILangUpdate() = default;
};
class IROIDrawUpdate {
public:
    virtual void notify(std::string id, int leftX, int leftY, int rightX, int rightY, int operation,
                        int& roiId, bool& status, int roiType, int drawType) = 0;

protected:
    ~IROIDrawUpdate() = default;
};
class ICorrectionUpdate {
public:
    virtual void notify(std::string id, int correctionType, float curCorrectionValue, void* ext) = 0;

protected:
    ~ICorrectionUpdate() = default;
};
class IImportUpdate {
public:
    virtual void notify(std::string id) = 0;

protected:
    ~IImportUpdate() = default;
};
class IImageModeUpdate {
public:
    virtual void notify(std::string id, int mode) = 0;

protected:
    ~IImageModeUpdate() = default;
};
class ISLImageShowModeUpdate {
public:
    virtual void notify(std::string id, int mode) = 0;

protected:
    ~ISLImageShowModeUpdate() = default;
};
class IImageUpdate {
public:
    // kind: 0 camera image, 1 single profile, 2 range batch; extra: frame index.
    virtual void notify(std::string cameraKey, AcqBuffer* payload, uint32_t kind, uint32_t extra) = 0;

protected:
    ~IImageUpdate() = default;
};

int RegisterDeviceListUpdateListener(IDeviceListUpdate* listener);
int UnRegisterDeviceListUpdateListener(IDeviceListUpdate* listener);
int RegisterFocusUpdateListener(IFocusUpdate* listener);
int UnRegisterFocusUpdateListener(IFocusUpdate* listener);
int RegisterLayoutUpdateListener(ILayoutUpdate* listener);
int UnRegisterLayoutUpdateListener(ILayoutUpdate* listener);
int RegisterCameraIdUpdateListener(ICameraIdUpdate* listener);
int UnRegisterCameraIdUpdateListener(ICameraIdUpdate* listener);
int RegisterLangUpdateListener(ILangUpdate* listener);
int UnRegisterLangUpdateListener(ILangUpdate* listener);
int RegisterROIUpdateListener(IROIDrawUpdate* listener);
int UnRegisterROIUpdateListener(IROIDrawUpdate* listener);
int RegisterCorrectionUpdateListener(ICorrectionUpdate* listener);
int UnRegisterCorrectionUpdateListener(ICorrectionUpdate* listener);
int RegisterImportUpdateListener(IImportUpdate* listener);
int UnRegisterImportUpdateListener(IImportUpdate* listener);
int RegisterImageModeUpdateListener(IImageModeUpdate* listener);
int UnRegisterImageModeUpdateListener(IImageModeUpdate* listener);
int RegisterSLImageShowModeUpdateListener(ISLImageShowModeUpdate* listener);
int UnRegisterSLImageShowModeUpdateListener(ISLImageShowModeUpdate* listener);
int RegisterImageUpdateListener(const std::string& name, IImageUpdate* listener);
int UnRegisterImageUpdateListener(const std::string& name, IImageUpdate* listener);

// Camera information and settings; unknown keys or items read as empty text.
std::string GetCameraInfo(const std::string& key, CAM_INFO item);
int SetCameraInfo(const std::string& key, CAM_INFO item, const std::string& value);
std::string GetParamterInfo(PARAMETER_INFO item);

// GenICam features as text. 0 on success, non-zero when the camera or feature is unknown,
// not readable/writable, or the value is out of range.
int GetCameraNodeValue(const std::string& key, const std::string& feature, std::string& value);
int SetCameraNodeValue(const std::string& key, const std::string& feature, const std::string& value);
int GetCardNodeValue(const std::string& cardKey, const std::string& feature, std::string& value);
// The camera's node map, or null. Valid until the business layer shuts down.
GenApi::INodeMap* GetAttrNodeMap(FOCUS_TYPE type, const std::string& key, int nodeMapType);

int SetFocus(FOCUS_TYPE type, const std::string& key);
int StartGrab(const std::string& key);
int StopGrab(const std::string& key);
int SetCameraImageMode(const std::string& key, int mode, bool apply);
int GetCameraImageMode(const std::string& key);
int SetROIPos(const std::string& key, int roiId, int x1, int y1, int x2, int y2);
void VLogError(const std::string& module, const std::string& message, int level);

}  // namespace ZavizoZoz3
