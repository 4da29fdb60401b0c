// SPDX-License-Identifier: Apache-2.0
#include "AravisNode.h"

#include <arv.h>

namespace ZavizoZoz3 {

AravisNode::AravisNode(std::shared_ptr<AravisDevice> device, std::string name)
    : m_device(std::move(device)), m_name(std::move(name)) {}

GenApi::gcstring AravisNode::GetName(bool /*FullQualified*/) const {
    return m_name;
}

GenApi::EAccessMode AravisNode::GetAccessMode() const {
    std::lock_guard<std::mutex> lock(m_device->featureMutex());
    ArvGcNode* node = m_device->nodeLocked(m_name);
    if (!node) return GenApi::NA;
    auto* feature = ARV_GC_FEATURE_NODE(node);
    GError* error = nullptr;
    const bool implemented = arv_gc_feature_node_is_implemented(feature, &error);
    if (error) {
        g_clear_error(&error);
        return GenApi::NA;
    }
    if (!implemented) return GenApi::NI;
    const bool available = arv_gc_feature_node_is_available(feature, &error);
    if (error) g_clear_error(&error);
    if (!available) return GenApi::NA;
    const bool locked = arv_gc_feature_node_is_locked(feature, &error);
    if (error) g_clear_error(&error);
    switch (arv_gc_feature_node_get_actual_access_mode(feature)) {
        case ARV_GC_ACCESS_MODE_RO:
            return GenApi::RO;
        case ARV_GC_ACCESS_MODE_WO:
            return locked ? GenApi::NA : GenApi::WO;
        default:
            return locked ? GenApi::RO : GenApi::RW;
    }
}

GenApi::gcstring AravisNode::ToString() const {
    requireReadable();
    return withNode<std::string>([](ArvGcNode* node, GError** error) {
        const char* text = arv_gc_feature_node_get_value_as_string(ARV_GC_FEATURE_NODE(node), error);
        return std::string(text ? text : "");
    });
}

void AravisNode::FromString(const GenApi::gcstring& value) {
    requireWritable();
    withNode<int>([&value](ArvGcNode* node, GError** error) {
        arv_gc_feature_node_set_value_from_string(ARV_GC_FEATURE_NODE(node), value.c_str(), error);
        return 0;
    });
}

void AravisNode::requireReadable() const {
    if (!GenApi::IsReadable(GetAccessMode()))
        throw GenICam::AccessException("Node '" + m_name + "' is not readable", __FILE__, __LINE__);
}

void AravisNode::requireWritable() const {
    if (!GenApi::IsWritable(GetAccessMode()))
        throw GenICam::AccessException("Node '" + m_name + "' is not writable", __FILE__, __LINE__);
}

void AravisNode::throwOutOfRange(const std::string& what) const {
    throw GenICam::OutOfRangeException(m_name + ": " + what, __FILE__, __LINE__);
}

void AravisNode::throwUnavailable() const {
    throw GenICam::AccessException("Node '" + m_name + "' is not available: the camera is not connected",
                                   __FILE__, __LINE__);
}

void AravisNode::throwError(GError* error) const {
    const std::string message = m_name + ": " + (error->message ? error->message : "GenICam error");
    const bool genicam = error->domain == arv_gc_error_quark();
    const int code = error->code;
    g_error_free(error);
    if (genicam && code == ARV_GC_ERROR_OUT_OF_RANGE)
        throw GenICam::OutOfRangeException(message, __FILE__, __LINE__);
    if (genicam && code == ARV_GC_ERROR_READ_ONLY)
        throw GenICam::AccessException(message, __FILE__, __LINE__);
    if (genicam && (code == ARV_GC_ERROR_ENUM_ENTRY_NOT_FOUND || code == ARV_GC_ERROR_INVALID_SYNTAX ||
                    code == ARV_GC_ERROR_SET_FROM_STRING_UNDEFINED))
        throw GenICam::InvalidArgumentException(message, __FILE__, __LINE__);
    throw GenICam::GenericException(message, __FILE__, __LINE__);
}

}  // namespace ZavizoZoz3
