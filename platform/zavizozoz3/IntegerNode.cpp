// SPDX-License-Identifier: Apache-2.0
#include "IntegerNode.h"

#include <algorithm>
#include <mutex>

#include "EnumerationNode.h"
#include "NodeMap.h"
#include "NodeText.h"

namespace ZavizoZoz3 {

IntegerNode::IntegerNode(NodeMap& map, std::string name, int64_t value, int64_t min, int64_t max, int64_t inc,
                         GenApi::EAccessMode access, const EnumerationNode* selector)
    : NodeBase(map, std::move(name), access),
      m_min(min),
      m_max(max),
      m_inc(inc > 0 ? inc : 1),
      m_selector(selector),
      m_values(selector ? selector->entryCount() : 1, value) {}

void IntegerNode::setMaxFunction(std::function<int64_t()> maxFunction) {
    m_maxFunction = std::move(maxFunction);
}

void IntegerNode::setWriteLimitFunction(std::function<int64_t()> limitFunction) {
    m_limitFunction = std::move(limitFunction);
}

int64_t IntegerNode::valueLocked() const {
    const size_t slot = m_selector ? static_cast<size_t>(m_selector->currentIndexLocked()) : 0;
    return m_values[slot];
}

int64_t IntegerNode::maxLocked() const {
    return m_maxFunction ? std::min(m_max, m_maxFunction()) : m_max;
}

GenApi::gcstring IntegerNode::ToString() const {
    return std::to_string(const_cast<IntegerNode*>(this)->GetValue());
}

void IntegerNode::FromString(const GenApi::gcstring& value) {
    SetValue(NodeText::toInteger(value, GetName()));
}

int64_t IntegerNode::GetValue(bool /*Verify*/, bool /*IgnoreCache*/) {
    requireReadable();
    std::lock_guard<std::mutex> lock(map().valuesMutex());
    return valueLocked();
}

void IntegerNode::SetValue(int64_t value, bool /*Verify*/) {
    requireWritable();
    {
        std::lock_guard<std::mutex> lock(map().valuesMutex());
        const int64_t max = m_limitFunction ? std::min(maxLocked(), m_limitFunction()) : maxLocked();
        const std::string problem = NodeText::integerWriteProblem(value, m_min, max, m_inc);
        if (!problem.empty())
            throw GenICam::OutOfRangeException(GetName() + ": " + problem, __FILE__, __LINE__);
        const size_t slot = m_selector ? static_cast<size_t>(m_selector->currentIndexLocked()) : 0;
        m_values[slot] = value;
    }
    notifyChanged();
}

int64_t IntegerNode::GetMin() {
    return m_min;
}

int64_t IntegerNode::GetMax() {
    std::lock_guard<std::mutex> lock(map().valuesMutex());
    return maxLocked();
}

int64_t IntegerNode::GetInc() {
    return m_inc;
}

}  // namespace ZavizoZoz3
