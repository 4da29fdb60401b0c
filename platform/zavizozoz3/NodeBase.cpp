// SPDX-License-Identifier: Apache-2.0
#include "NodeBase.h"

#include "NodeMap.h"

namespace ZavizoZoz3 {

NodeBase::NodeBase(NodeMap& map, std::string name, GenApi::EAccessMode access)
    : m_map(map), m_name(std::move(name)), m_access(access) {}

GenApi::gcstring NodeBase::GetName(bool /*FullQualified*/) const {
    return m_name;
}

GenApi::EAccessMode NodeBase::GetAccessMode() const {
    return m_access.load();
}

void NodeBase::setAccessMode(GenApi::EAccessMode access) {
    m_access.store(access);
}

void NodeBase::requireReadable() const {
    if (!GenApi::IsReadable(GetAccessMode()))
        throw GenICam::AccessException("Node '" + m_name + "' is not readable", __FILE__, __LINE__);
}

void NodeBase::requireWritable() const {
    if (!GenApi::IsWritable(GetAccessMode()))
        throw GenICam::AccessException("Node '" + m_name + "' is not writable", __FILE__, __LINE__);
}

void NodeBase::notifyChanged() const {
    m_map.notifyChanged(m_name);
}

}  // namespace ZavizoZoz3
