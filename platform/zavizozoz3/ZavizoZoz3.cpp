// SPDX-License-Identifier: Apache-2.0
// The ZavizoZoz3 free functions: thin entry points onto BusinessLayer.
#include "ZavizoZoz3.h"

#include "BusinessLayer.h"
#include "NuvLogSink.h"

namespace ZavizoZoz3 {

namespace {
BusinessLayer& layer() {
    return BusinessLayer::instance();
}
}  // namespace

int RegisterDeviceListUpdateListener(IDeviceListUpdate* l) {
    return layer().deviceListListeners.add(l);
}
int UnRegisterDeviceListUpdateListener(IDeviceListUpdate* l) {
    return layer().deviceListListeners.remove(l);
}
int RegisterFocusUpdateListener(IFocusUpdate* l) {
    return layer().focusListeners.add(l);
}
int UnRegisterFocusUpdateListener(IFocusUpdate* l) {
    return layer().focusListeners.remove(l);
}
int RegisterLayoutUpdateListener(ILayoutUpdate* l) {
    return layer().layoutListeners.add(l);
}
int UnRegisterLayoutUpdateListener(ILayoutUpdate* l) {
    return layer().layoutListeners.remove(l);
}
int RegisterCameraIdUpdateListener(ICameraIdUpdate* l) {
    return layer().cameraIdListeners.add(l);
}
int UnRegisterCameraIdUpdateListener(ICameraIdUpdate* l) {
    return layer().cameraIdListeners.remove(l);
}
int RegisterLangUpdateListener(ILangUpdate* l) {
    return layer().languageListeners.add(l);
}
int UnRegisterLangUpdateListener(ILangUpdate* l) {
    return layer().languageListeners.remove(l);
}
int RegisterROIUpdateListener(IROIDrawUpdate* l) {
    return layer().roiListeners.add(l);
}
int UnRegisterROIUpdateListener(IROIDrawUpdate* l) {
    return layer().roiListeners.remove(l);
}
int RegisterCorrectionUpdateListener(ICorrectionUpdate* l) {
    return layer().correctionListeners.add(l);
}
int UnRegisterCorrectionUpdateListener(ICorrectionUpdate* l) {
    return layer().correctionListeners.remove(l);
}
int RegisterImportUpdateListener(IImportUpdate* l) {
    return layer().importListeners.add(l);
}
int UnRegisterImportUpdateListener(IImportUpdate* l) {
    return layer().importListeners.remove(l);
}
int RegisterImageModeUpdateListener(IImageModeUpdate* l) {
    return layer().imageModeListeners.add(l);
}
int UnRegisterImageModeUpdateListener(IImageModeUpdate* l) {
    return layer().imageModeListeners.remove(l);
}
int RegisterSLImageShowModeUpdateListener(ISLImageShowModeUpdate* l) {
    return layer().showModeListeners.add(l);
}
int UnRegisterSLImageShowModeUpdateListener(ISLImageShowModeUpdate* l) {
    return layer().showModeListeners.remove(l);
}
int RegisterImageUpdateListener(const std::string& name, IImageUpdate* l) {
    return layer().imageListeners.add(l, name);
}
int UnRegisterImageUpdateListener(const std::string& name, IImageUpdate* l) {
    return layer().imageListeners.remove(l, name);
}

std::string GetCameraInfo(const std::string& key, CAM_INFO item) {
    const auto device = layer().camera(key);
    return device ? device->info(item) : std::string();
}

int SetCameraInfo(const std::string& key, CAM_INFO item, const std::string& value) {
    const auto device = layer().camera(key);
    return device ? device->setInfo(item, value) : -1;
}

std::string GetParamterInfo(PARAMETER_INFO item) {
    return layer().parameter(item);
}

int GetCameraNodeValue(const std::string& key, const std::string& feature, std::string& value) {
    const auto device = layer().camera(key);
    return device ? device->nodeValue(feature, value) : -1;
}

int SetCameraNodeValue(const std::string& key, const std::string& feature, const std::string& value) {
    const auto device = layer().camera(key);
    return device ? device->setNodeValue(feature, value) : -1;
}

int GetCardNodeValue(const std::string& /*cardKey*/, const std::string& /*feature*/, std::string& /*value*/) {
    return -1;  // the simulation has no frame-grabber cards
}

GenApi::INodeMap* GetAttrNodeMap(FOCUS_TYPE type, const std::string& key, int nodeMapType) {
    if (type != FOCUS_CAMERA || nodeMapType != 3) return nullptr;
    const auto device = layer().camera(key);
    return device ? device->nodeMap() : nullptr;
}

int SetFocus(FOCUS_TYPE type, const std::string& key) {
    if (type != FOCUS_CAMERA) return 0;
    layer().recordFocus(key);
    return layer().camera(key) ? 0 : -1;
}

int StartGrab(const std::string& key) {
    layer().recordGrab(key, true);
    const auto device = layer().camera(key);
    return device ? device->startGrab() : -1;
}

int StopGrab(const std::string& key) {
    layer().recordGrab(key, false);
    layer().stopGrabDelay.hold();
    const auto device = layer().camera(key);
    return device ? device->stopGrab() : -1;
}

int SetCameraImageMode(const std::string& key, int mode, bool /*apply*/) {
    const auto device = layer().camera(key);
    return device ? device->setImageMode(mode) : -1;
}

int GetCameraImageMode(const std::string& key) {
    const auto device = layer().camera(key);
    return device ? device->imageMode() : -1;
}

int SetROIPos(const std::string& key, int roiId, int x1, int y1, int x2, int y2) {
    layer().recordRoiPos({key, roiId, x1, y1, x2, y2});
    return layer().camera(key) ? 0 : -1;
}

void VLogError(const std::string& module, const std::string& message, int /*level*/) {
    NuvLogSink::write(module, message);
    layer().recordLog(module + ": " + message);
}

}  // namespace ZavizoZoz3
