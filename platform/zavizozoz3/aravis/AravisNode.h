// SPDX-License-Identifier: Apache-2.0
#pragma once
// Common part of the adapters that show a GenICam node of an Aravis device through the GenApi
// interfaces. An adapter holds only the device and the feature name: the node is looked up under
// the device's feature lock at every call, so an adapter stays safe to use after the device was
// closed (it is then not available) and follows it when it is opened again.
#include <memory>
#include <mutex>
#include <string>

#include "AravisDevice.h"
#include "GenApi.h"

typedef struct _GError GError;

namespace ZavizoZoz3 {

class AravisNode : public virtual GenApi::INode {
public:
    AravisNode(std::shared_ptr<AravisDevice> device, std::string name);

    GenApi::gcstring GetName(bool FullQualified = false) const override;
    GenApi::EAccessMode GetAccessMode() const override;
    GenApi::gcstring ToString() const override;
    void FromString(const GenApi::gcstring& value) override;

protected:
    // Runs `call(node, &error)` under the device's feature lock. Throws AccessException when the
    // device is closed or lacks the node, and the GenICam exception matching an Aravis error.
    template <class R, class F>
    R withNode(F call) const {
        GError* error = nullptr;
        R result{};
        {
            std::lock_guard<std::mutex> lock(m_device->featureMutex());
            ArvGcNode* node = m_device->nodeLocked(m_name);
            if (!node) throwUnavailable();
            result = call(node, &error);
        }
        if (error) throwError(error);
        return result;
    }
    void requireReadable() const;
    void requireWritable() const;
    [[noreturn]] void throwOutOfRange(const std::string& what) const;

private:
    [[noreturn]] void throwUnavailable() const;
    [[noreturn]] void throwError(GError* error) const;

    const std::shared_ptr<AravisDevice> m_device;
    const std::string m_name;
};

}  // namespace ZavizoZoz3
