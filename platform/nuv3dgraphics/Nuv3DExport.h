// SPDX-License-Identifier: Apache-2.0
#pragma once
// Symbol export of the 3D window library: none. It is linked statically into the viewer, whose only
// exported interface is NuvViewerImageWnd, so its calls stay hidden with everything else.
#define NUV3D_API
