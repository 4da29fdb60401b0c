// SPDX-License-Identifier: Apache-2.0
#pragma once
/// @file
/// Symbol export of the business layer: its calls are the only part of the platform a host makes
/// itself, so they stay visible in the viewer library that contains them; everything else is hidden.
#if defined(__GNUC__)
/// Marks a business-layer call as exported from the viewer library.
#define ZAVIZOZOZ3_API __attribute__((visibility("default")))
#else
#define ZAVIZOZOZ3_API
#endif
