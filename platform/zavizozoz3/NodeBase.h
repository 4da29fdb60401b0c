// SPDX-License-Identifier: Apache-2.0
#pragma once
// Common part of the simulated GenApi nodes: name, access mode and the owning node map,
// whose one mutex guards the values of all its nodes.
#include <atomic>
#include <string>

#include "GenApi.h"

namespace ZavizoZoz3 {

class NodeMap;

class NodeBase : public virtual GenApi::INode {
public:
    NodeBase(NodeMap& map, std::string name, GenApi::EAccessMode access);

    GenApi::gcstring GetName(bool FullQualified = false) const override;
    GenApi::EAccessMode GetAccessMode() const override;
    void setAccessMode(GenApi::EAccessMode access);

protected:
    NodeMap& map() const { return m_map; }
    // Throw GenICam's AccessException when the node cannot be read or written.
    void requireReadable() const;
    void requireWritable() const;
    // Tells the map's change listener (outside any lock) that this node was written.
    void notifyChanged() const;

private:
    NodeMap& m_map;
    const std::string m_name;
    std::atomic<GenApi::EAccessMode> m_access;
};

}  // namespace ZavizoZoz3
