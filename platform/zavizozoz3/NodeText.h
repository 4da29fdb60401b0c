// SPDX-License-Identifier: Apache-2.0
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
// Floating text in the C locale, whatever locale the application set ("1.5", never "1,5").
double toNumber(const std::string& text, const std::string& feature);
// Why an integer write is refused against the node's range and increment; empty when accepted.
std::string integerWriteProblem(int64_t value, int64_t min, int64_t max, int64_t inc);
}  // namespace NodeText
}  // namespace ZavizoZoz3
