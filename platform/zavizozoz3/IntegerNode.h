// SPDX-License-Identifier: Apache-2.0
#pragma once
// Integer feature with minimum, maximum and increment. The maximum may follow other nodes
// (Width's maximum shrinks as OffsetX grows); the value may be kept per selector entry
// (the mask corners per ImageMaskerSelector).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "NodeBase.h"

namespace ZavizoZoz3 {

class EnumerationNode;

class IntegerNode final : public NodeBase, public GenApi::IInteger {
public:
    IntegerNode(NodeMap& map, std::string name, int64_t value, int64_t min, int64_t max, int64_t inc,
                GenApi::EAccessMode access, const EnumerationNode* selector = nullptr);

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIInteger; }
    GenApi::gcstring ToString() const override;
    // Accepts decimal integers and integral values in floating notation ("120.000000").
    void FromString(const GenApi::gcstring& value) override;
    int64_t GetValue(bool Verify = false, bool IgnoreCache = false) override;
    void SetValue(int64_t value, bool Verify = true) override;
    int64_t GetMin() override;
    int64_t GetMax() override;
    int64_t GetInc() override;

    // The maximum computed from other nodes; runs with the values mutex held, so it may only
    // use the *Locked accessors.
    void setMaxFunction(std::function<int64_t()> maxFunction);
    int64_t valueLocked() const;
    int64_t valueForSlotLocked(size_t slot) const { return slot < m_values.size() ? m_values[slot] : 0; }
    // A bound checked on every write but not reported as the maximum: for a window whose
    // size keeps its full range while its offset decides what still fits on the sensor.
    void setWriteLimitFunction(std::function<int64_t()> limitFunction);
    int64_t maxLocked() const;

private:
    const int64_t m_min;
    const int64_t m_max;
    const int64_t m_inc;
    const EnumerationNode* const m_selector;
    std::function<int64_t()> m_maxFunction;    // set while the map is built, then constant
    std::function<int64_t()> m_limitFunction;  // set while the map is built, then constant
    std::vector<int64_t> m_values;             // per selector entry; guarded by the map's values mutex
};

}  // namespace ZavizoZoz3
