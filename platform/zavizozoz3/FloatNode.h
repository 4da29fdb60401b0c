// SPDX-License-Identifier: Apache-2.0
#pragma once
// Floating-point feature with a range.
#include <string>

#include "NodeBase.h"

namespace ZavizoZoz3 {

class FloatNode final : public NodeBase, public GenApi::IFloat {
public:
    FloatNode(NodeMap& map, std::string name, double value, double min, double max,
              GenApi::EAccessMode access);

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIFloat; }
    // Shortest decimal text that reads back to the same value ("0.05", "32000").
    GenApi::gcstring ToString() const override;
    void FromString(const GenApi::gcstring& value) override;
    double GetValue(bool Verify = false, bool IgnoreCache = false) override;
    void SetValue(double value, bool Verify = true) override;
    double GetMin() override { return m_min; }
    double GetMax() override { return m_max; }
    // The value a sensor of another model reports, read-only nodes included; no range check.
    void setReading(double value);

    static std::string format(double value);
    // Why a write is refused against [min, max] (never a non-finite value); empty when accepted.
    static std::string writeProblem(double value, double min, double max);

private:
    const double m_min;
    const double m_max;
    double m_value;  // guarded by the map's values mutex
};

}  // namespace ZavizoZoz3
