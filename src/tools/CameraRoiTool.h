// SPDX-License-Identifier: Apache-2.0
#pragma once
// Camera ROI, image masks and column window of a pane, shown as editable rectangles on the
// pane's picture and written back to the camera when the user edits them.
//
// On the profiler's 2D picture the tool draws, from the camera's settings, the camera ROI (the
// band of sensor rows read, "OffsetY" counted from the bottom), up to three image masks
// (quadrilaterals selected through "ImageMaskerSelector") and the column window (CAM_INFO 67
// and 68 on a 0..3199 scale). On the 2D view it keeps one camera ROI in image coordinates.
//
// 2D-view camera ROI edit: the picture is taken as the full sensor, so image coordinates are
// sensor coordinates. The edited rectangle keeps its top-left corner, rounded down to the
// "OffsetX"/"OffsetY" increments; its size is rounded down to the "Width"/"Height" increments
// and never below their minimum, the right and bottom edges giving way (and, at the picture's
// border, the top-left corner moving back). The four nodes are written so the camera takes the
// new window, offsets and sizes in the order that keeps every intermediate window on the
// sensor; the edit is then reported with SetROIPos.
//
// Each shape is labelled with its kind on the picture ("ROI", "Mask n", "Columns"). A drag keeps
// the bands' size at the picture's border: a moved band is pushed back inside, not cut. The
// shape's context menu resets it: the camera ROI to the full sensor, a mask off, the column
// window to every column.
//
// Shapes are fixed (neither movable nor selectable) while acquisition runs; shapes drawn in
// that time are fixed too. All calls run on the GUI thread. Mask edits go to the camera paced
// (MaskNodeWriter) without holding the GUI; a mask redraw asked for meanwhile waits until the
// last write is made, so it never switches the mask selector in the middle of an edit.
#include <QCoreApplication>
#include <QMap>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>

#include "MaskNodeWriter.h"
#include "NuvROI.h"

namespace GenApi {
class INodeMap;
}
class QPoint;
class ZMKImageWnd;

class CameraRoiTool {
    Q_DECLARE_TR_FUNCTIONS(CameraRoiTool)

public:
    // Index of a shape in the business layer's ROI operations.
    enum RoiIndex { CameraRoi = 0, Mask1 = 1, Mask3 = 3, ColumnWindow = 4 };
    static constexpr int kColumnScale = 3199;
    static constexpr int kMinColumnWindow = 10;

    struct IntegerNodeInfo {
        int value = 0;
        int min = 0;
        int max = 0;
        int inc = 1;
    };
    // 0, or -1 no node map, -2 no such node, -3 not a readable integer (or its value beyond int),
    // -4 GenICam exception. `info` is written only on success; 64-bit limits saturate to int and
    // the increment is at least 1.
    static int getIntegerNodeInfo(const QString& cameraKey, const QString& nodeName, IntegerNodeInfo* info);
    static int integerNodeInfo(GenApi::INodeMap* map, const std::string& nodeName, IntegerNodeInfo* info);

    // `cameraKey` is the pane's camera key (it outlives the tool); `infoKey` gives the key under
    // which camera information items are reported.
    CameraRoiTool(const QString* cameraKey, std::function<QString()> infoKey);

    // The display the shapes live on; forgets (and removes) the shapes of the previous one.
    void attach(ZMKImageWnd* display, bool view2D);
    // The camera went away: forget every shape, pending redraw and the picture size.
    void reset();
    // Size of the last picture shown; -1 before the first.
    void setPictureSize(int width, int height);
    // A picture of a new size arrived: serve the pending redraws, then fix the shapes.
    void onNewPictureSize();

    int drawROI(int x1, int y1, int x2, int y2, int kind, int index);
    int updateROI(int index, int x1, int y1, int x2, int y2);
    int removeROI(int index);
    void setShapesEditable(bool editable);

    bool ownsShape(int id) const;
    // The user moved or resized shape `id`; returns the shape's new id, or -1.
    int onShapeChanged(int id);
    // The user asked for shape `id`'s context menu at `globalPos`; runs it (through the modal
    // seam) and applies the choice. Returns the shape's id afterwards (-1 when it went away).
    int showShapeMenu(int id, const QPoint& globalPos);
    // Resets shape `id` to the full sensor (see the class comment); returns its new id or -1.
    int resetShape(int id);
    // Labels the shapes in the current language.
    void retranslate();

    QMap<int, int> roiShapeIds() const { return m_roiShapeIds; }
    QMap<int, int> maskShapeIds() const { return m_maskShapeIds; }
    QMap<int, int> columnWindowShapeIds() const { return m_columnWindowShapeIds; }
    bool isPending(int index) const { return index >= 0 && index < 5 && m_pendingRedraw[index]; }
    // An edit is being written to the camera (mask edits until their last paced write).
    bool isApplying() const { return m_roiApplying || m_maskWriter.isBusy(); }

private:
    int redrawCameraRoi();
    int redrawMask(int mask);
    int redrawColumnWindow();
    // Draws `roi` as the shape of ROI index `index`, labelled with its kind.
    int drawShape(const NuvROI& roi, int index);
    // ROI index of shape `id` (CameraRoi, a mask number or ColumnWindow), -1 when not ours.
    int indexOf(int id) const;
    void label(int id, int index);
    void removeShape(int id);
    void removeAll();
    static NuvROI rect(double x1, double y1, double x2, double y2);

    int editColumnWindow(int id, const NuvROI& shape);
    int editCameraRoi(int id, const NuvROI& shape);
    int editMask(int id, const NuvROI& shape);
    int editCameraRoi2D(int id, const NuvROI& shape);
    int resetCameraRoi(int id);
    int resetMask(int id);
    int resetColumnWindow(int id);

    std::string key() const { return m_cameraKey->toStdString(); }
    std::string readNode(const char* name) const;
    int writeNode(const char* name, const std::string& value) const;
    int writeNode(const char* name, int value) const;
    // The last paced mask write went out: serve the mask redraws that waited for it.
    void onMaskWritesDone();

    const QString* m_cameraKey;
    std::function<QString()> m_infoKey;
    QPointer<ZMKImageWnd> m_display;
    bool m_view2D = false;
    bool m_editable = true;
    int m_width = -1;
    int m_height = -1;

    // Camera ROI: the id the business layer knows it by -> current shape id.
    QMap<int, int> m_roiShapeIds;
    // Mask 1..3 -> shape id, -1 while not drawn.
    QMap<int, int> m_maskShapeIds;
    // Column window: like the camera ROI.
    QMap<int, int> m_columnWindowShapeIds;
    QMap<int, QString> m_maskSelectorNames;
    NuvROI m_lastCameraRoi;
    NuvROI m_lastColumnWindow;
    // Set while an edit is written to the camera: the business layer's echo is dropped.
    bool m_roiApplying = false;
    // Redraw on the next picture of a new size: camera ROI, masks 1..3, column window.
    bool m_pendingRedraw[5] = {false, false, false, false, false};
    // Masks 1..3 whose redraw waits for the paced writes.
    bool m_maskRedrawWaiting[4] = {false, false, false, false};
    MaskNodeWriter m_maskWriter;
};
