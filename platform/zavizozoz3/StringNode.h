// SPDX-License-Identifier: Apache-2.0
#pragma once
// Text feature (device vendor, model, user name).
#include <string>

#include "NodeBase.h"

namespace ZavizoZoz3 {

class StringNode final : public NodeBase, public GenApi::IString {
public:
    StringNode(NodeMap& map, std::string name, std::string value, GenApi::EAccessMode access);

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIString; }
    GenApi::gcstring ToString() const override;
    void FromString(const GenApi::gcstring& value) override { SetValue(value); }
    GenApi::gcstring GetValue(bool Verify = false, bool IgnoreCache = false) override;
    void SetValue(const GenApi::gcstring& value, bool Verify = true) override;

private:
    std::string m_value;  // guarded by the map's values mutex
};

}  // namespace ZavizoZoz3
