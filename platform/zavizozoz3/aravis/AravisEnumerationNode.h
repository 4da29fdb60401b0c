// SPDX-License-Identifier: Apache-2.0
#pragma once
// An enumeration feature of a GenICam device (PixelFormat, TriggerMode, ...): the entries that
// are available now, by symbolic name.
#include "AravisNode.h"

namespace ZavizoZoz3 {

class AravisEnumerationNode final : public AravisNode, public GenApi::IEnumeration {
public:
    using AravisNode::AravisNode;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIEnumeration; }
    void FromString(const GenApi::gcstring& value) override { SetSymbolic(value); }
    std::vector<GenApi::gcstring> GetSymbolics() const override;
    GenApi::gcstring GetCurrentEntrySymbolic() const override;
    void SetSymbolic(const GenApi::gcstring& symbolic) override;
};

}  // namespace ZavizoZoz3
