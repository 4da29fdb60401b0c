#pragma once
// Feature values written as text, read the same way by every kind of camera: booleans as
// "True"/"False"/"1"/"0", integers as decimal or integral floating text ("120.000000").
#include <cstdint>
#include <string>

namespace ZavizoZoz3 {
namespace NodeText {
// Both throw GenICam::InvalidArgumentException naming `feature` for text they cannot read.
bool toBoolean(const std::string& text, const std::string& feature);
int64_t toInteger(const std::string& text, const std::string& feature);
}  // namespace NodeText
}  // namespace ZavizoZoz3
