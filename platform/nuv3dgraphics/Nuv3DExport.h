#pragma once
// Symbol export of the 3D window library.
#include <QtGlobal>

#if defined(NUV3DGRAPHICS_LIBRARY)
#define NUV3D_API Q_DECL_EXPORT
#else
#define NUV3D_API Q_DECL_IMPORT
#endif
