// SPDX-License-Identifier: Apache-2.0
#pragma once
// 3D window: shows a range image as a point cloud that grows line by line while a scan runs.
//
// Handles: NuvCreate3DWnd returns a positive handle that names one live window in a process-wide
// registry. Handles are never reused; every call with an unknown or destroyed handle returns
// NUV3D_ERR_HANDLE and touches nothing.
//
// Threads: NuvCreate3DWnd and NuvDestory3DWnd belong on the GUI thread when the window must be
// gone on return (NuvDestory3DWnd from another thread schedules the deletion). Every other call
// may come from any thread: data calls (sampling ratio, range-image set-up, streaming, clearing,
// point count) act at once under the window's vertex-buffer lock; calls that change the widget
// (placement, background, tool bar, log level, fit, projection) run directly on the GUI thread
// and are queued to it from other threads, in call order.
//
// Without OpenGL (no context can be created, or NUV3D_DISABLE_OPENGL=1 in the environment) the
// window shows "3D display unavailable: OpenGL could not be initialised" and keeps accepting
// every call.
#include <cstddef>
#include <cstdint>

#include "Nuv3DExport.h"
#include "NuvGeometry.h"

// Results: 0 success, negative failure. NuvInitialRangeImage returns a positive data-stream id.
enum Nuv3DResult : int {
    NUV3D_OK = 0,
    NUV3D_ERR_HANDLE = -1,  // unknown or destroyed handle, or its widget is gone
    NUV3D_ERR_ARG = -2,     // argument out of range or null where data is required
    NUV3D_ERR_STREAM = -3,  // no range image set up, or a data-stream id of an earlier set-up
    NUV3D_ERR_MEMORY = -4,  // the range image does not fit into memory
    NUV3D_ERR_THREAD = -5,  // creation outside the GUI thread or without a QApplication
};

// Display modes of NuvInitialRangeImage.
enum Nuv3DDisplayMode : int {
    NUV3D_MODE_BRIGHTNESS = 1,  // points take the grey value of the brightness data
    NUV3D_MODE_HEIGHT = 3,      // points take the colour data (or a height colour ramp without it)
};

// Projections of NuvSetPerspective. 0 is the default every new window starts with.
enum Nuv3DProjection : int {
    NUV3D_PERSPECTIVE = 0,
    NUV3D_ORTHOGRAPHIC = 1,
};

// Tool-bar items of NuvSet3DToolbarVisible; OR them to switch several at once.
enum Nuv3DToolbarItem : uint32_t {
    NUV3D_TOOL_FIT = 0x80000000u,          // "Fit": frame all points
    NUV3D_TOOL_PROJECTION = 0x00800000u,   // perspective / orthographic switch
    NUV3D_TOOL_VIEWS = 0x00008000u,        // view presets "Top", "Front", "Side"
    NUV3D_TOOL_COLOUR_MODE = 0x00040000u,  // colour by height ramp / by the delivered colours
    NUV3D_TOOL_POINT_SIZE = 0x00004000u,   // point size in pixels
    NUV3D_TOOL_STATUS_LINE = 0x00001000u,  // the status line under the view
    NUV3D_TOOL_ALL = 0x8084D000u,
};

// Status-line verbosity of NuvSet3DStatusBarLogLevel: a message shows when its level is at most
// the window's level.
enum Nuv3DLogLevel : int {
    NUV3D_LOG_ERROR = 0,  // rejected calls
    NUV3D_LOG_INFO = 1,   // point count, projection and view changes
    NUV3D_LOG_DEBUG = 2,  // rows of the latest append, uploads
};

// Creates a window as child of `parentWidget` (a QWidget* passed as integer; 0 for a top-level
// window), filling the parent's rectangle. Returns the handle (> 0) or a negative Nuv3DResult.
NUV3D_API int64_t NuvCreate3DWnd(int64_t parentWidget);

// Places the window inside its parent.
NUV3D_API int NuvMove3DWnd(int64_t handle, int x, int y, int width, int height);

// Background colour of the view, 0 to 255 per channel.
NUV3D_API int NuvSet3DBackgroundColor(int64_t handle, int red, int green, int blue, int alpha);

// Shows or hides the tool-bar items named by `items` (Nuv3DToolbarItem bits). Unknown bits are
// rejected with NUV3D_ERR_ARG and nothing changes.
NUV3D_API int NuvSet3DToolbarVisible(int64_t handle, uint32_t items, bool visible);

// Status-line verbosity (Nuv3DLogLevel).
NUV3D_API int NuvSet3DStatusBarLogLevel(int64_t handle, int level);

// Frames the points shown (or, before any arrived, the extent of the range image set up).
NUV3D_API int Nuv3DZoomFitWnd(int64_t handle);

// Projection (Nuv3DProjection); the viewing direction stays.
NUV3D_API int NuvSetPerspective(int64_t handle, int projection);

// Keeps every ratio-th point of every ratio-th line from the next NuvInitialRangeImage on (1 keeps
// all). Ratio 1 to 1024. A window shows at most 32 Mi points (1 GiB of vertex memory with its GL
// copy): a range image that needs more at this ratio is thinned with the next ratio that fits.
NUV3D_API int NuvSetSamplingRatio(int64_t handle, int ratio);

// For a caller that falls behind the scan: from the next appended line on, keeps only every k-th
// kept line (1, the default, keeps them all) and says so in the status line whatever the log level.
// The first and the last line of the range image are always kept, so a thinned scan still covers
// its whole length with no gap above k lines (times the sampling ratio). Lines shown stay. k 1 to 1024.
NUV3D_API int NuvSetLineThinning(int64_t handle, int k);

// Sets up a range image of totalLines lines of pointsPerLine samples (bytesPerPoint 2 or 4) and
// drops all points shown. A raw sample r (masked to 16 bits, or 21 bits for 4-byte samples) is
// invalid when 0, else its height is (r - heightOffset) * heightScale, invalid outside
// [heightMin, heightMax]. Point (p, line l) is placed at x = xOffset + p * xInterval,
// y = yOffset + l * yInterval, z = height. displayMode is a Nuv3DDisplayMode.
// Memory for the points is taken as lines arrive and given back by NuvClearAllRangeImage.
// Returns the data-stream id (> 0) for NuvAppendDataStream, or a negative Nuv3DResult
// (NUV3D_ERR_MEMORY when even ratio 1024 does not fit).
NUV3D_API int NuvInitialRangeImage(int64_t handle, int bytesPerPoint, int pointsPerLine, int totalLines,
                                   double xInterval, double xOffset, double yInterval, double yOffset,
                                   double heightScale, double heightOffset, float heightMin, float heightMax,
                                   int displayMode);

// Adds (or replaces) lines firstRow to lastRow of the range image set up under dataStreamId.
// rangeData holds the raw samples of these lines, starting with firstRow: (lastRow - firstRow + 1)
// * pointsPerLine samples of bytesPerPoint bytes (which must match the set-up). colourOrGrey
// follows the same layout: in NUV3D_MODE_HEIGHT one NuvColor per sample (null: a height ramp
// from blue to red), in NUV3D_MODE_BRIGHTNESS one uint8_t per sample (null: mid grey).
NUV3D_API int NuvAppendDataStream(int64_t handle, int dataStreamId, const void* rangeData,
                                  const void* colourOrGrey, int bytesPerPoint, int firstRow, int lastRow);

// NuvAppendDataStream for callers whose buffers may not match the set-up: rangeBytes and
// colourBytes are the bytes each buffer holds from its pointer on. Lines that would read beyond
// either (for example brightness bytes handed to a window set up for colours) are refused with
// NUV3D_ERR_ARG and nothing is read.
NUV3D_API int NuvAppendDataStreamChecked(int64_t handle, int dataStreamId, const void* rangeData,
                                         size_t rangeBytes, const void* colourOrGrey, size_t colourBytes,
                                         int bytesPerPoint, int firstRow, int lastRow);

// Drops all points and ends the current data stream; NuvInitialRangeImage starts a new one.
NUV3D_API int NuvClearAllRangeImage(int64_t handle);

// Destroys the window; the handle is invalid afterwards.
NUV3D_API int NuvDestory3DWnd(int64_t handle);

// Number of valid points currently held (after sampling), or a negative Nuv3DResult.
NUV3D_API int64_t NuvGetPointCount(int64_t handle);
