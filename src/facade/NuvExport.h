// SPDX-License-Identifier: Apache-2.0
#pragma once
// Symbol export of the viewer library. Everything in it is compiled with hidden visibility; a class
// marked NUV_EXPORT is the library's interface, and the only one a host links against.
#include <QtGlobal>

#if defined(NUVVIEWER_LIBRARY)
#define NUV_EXPORT Q_DECL_EXPORT
#else
#define NUV_EXPORT Q_DECL_IMPORT
#endif
