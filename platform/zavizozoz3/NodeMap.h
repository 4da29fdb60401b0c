// SPDX-License-Identifier: Apache-2.0
#pragma once
// The node map of one camera: owns its nodes, which are created while the camera is built and
// never added or removed afterwards, so lookups need no lock. One mutex guards every node's
// value, which keeps selector-dependent values (mask corners) and linked ranges consistent.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "BooleanNode.h"
#include "CommandNode.h"
#include "EnumerationNode.h"
#include "FloatNode.h"
#include "GenApi.h"
#include "IntegerNode.h"
#include "StringNode.h"

namespace ZavizoZoz3 {

class NodeMap final : public GenApi::INodeMap {
public:
    explicit NodeMap(std::string deviceName);
    NodeMap(const NodeMap&) = delete;
    NodeMap& operator=(const NodeMap&) = delete;

    GenApi::INode* GetNode(const GenApi::gcstring& name) const override;
    std::vector<GenApi::INode*> GetNodes() const override;
    GenApi::gcstring GetDeviceName() const override { return m_deviceName; }

    // Building; only before the map is shared with other threads.
    IntegerNode& addInteger(const std::string& name, int64_t value, int64_t min, int64_t max, int64_t inc,
                            GenApi::EAccessMode access = GenApi::RW,
                            const EnumerationNode* selector = nullptr);
    FloatNode& addFloat(const std::string& name, double value, double min, double max,
                        GenApi::EAccessMode access = GenApi::RW);
    StringNode& addString(const std::string& name, const std::string& value,
                          GenApi::EAccessMode access = GenApi::RO);
    BooleanNode& addBoolean(const std::string& name, bool value, GenApi::EAccessMode access = GenApi::RW,
                            const EnumerationNode* selector = nullptr);
    EnumerationNode& addEnumeration(const std::string& name, std::vector<std::string> entries,
                                    int current = 0, GenApi::EAccessMode access = GenApi::RW,
                                    const EnumerationNode* selector = nullptr);
    CommandNode& addCommand(const std::string& name);
    // Called with the node name after every successful write or command execution, on the
    // writing thread and outside the values mutex.
    void setChangeListener(std::function<void(const std::string&)> listener);

    std::mutex& valuesMutex() const { return m_valuesMutex; }
    void notifyChanged(const std::string& name) const;

    // Typed reads for the camera's own use; missing or unreadable nodes give the fallback.
    int64_t integerValue(const std::string& name, int64_t fallback = 0) const;
    double floatValue(const std::string& name, double fallback = 0.0) const;
    std::string symbolicValue(const std::string& name) const;
    bool booleanValue(const std::string& name) const;

private:
    template <class T>
    T& add(std::unique_ptr<T> node);

    const std::string m_deviceName;
    std::vector<std::unique_ptr<GenApi::INode>> m_nodes;       // built once, then read-only
    std::map<std::string, GenApi::INode*> m_byName;            // built once, then read-only
    std::function<void(const std::string&)> m_changeListener;  // set while building
    mutable std::mutex m_valuesMutex;                          // guards the values of every node of this map
};

}  // namespace ZavizoZoz3
