// SPDX-License-Identifier: Apache-2.0
#pragma once
// The GenApi node map of a GenICam device: one adapter per feature, made on first request by the
// node's type and kept for the map's life, so node pointers handed out stay valid (also while
// the device is disconnected, when the adapters report the feature as not available).
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "AravisDevice.h"
#include "GenApi.h"

namespace ZavizoZoz3 {

class AravisNodeMap final : public GenApi::INodeMap {
public:
    AravisNodeMap(std::string deviceName, std::shared_ptr<AravisDevice> device);
    AravisNodeMap(const AravisNodeMap&) = delete;
    AravisNodeMap& operator=(const AravisNodeMap&) = delete;

    GenApi::INode* GetNode(const GenApi::gcstring& name) const override;
    // The features reachable from the device's Root category.
    std::vector<GenApi::INode*> GetNodes() const override;
    GenApi::gcstring GetDeviceName() const override { return m_deviceName; }

private:
    std::unique_ptr<GenApi::INode> makeAdapter(const std::string& name) const;

    const std::string m_deviceName;
    const std::shared_ptr<AravisDevice> m_device;
    mutable std::mutex m_adaptersMutex;  // guards m_adapters (taken before the device's feature lock)
    mutable std::map<std::string, std::unique_ptr<GenApi::INode>> m_adapters;  // never shrinks
};

}  // namespace ZavizoZoz3
