// SPDX-License-Identifier: Apache-2.0
#include "CameraRoiTool.h"

#include <QAction>
#include <QMenu>
#include <QPoint>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "GenApi.h"
#include "MaskGeometry.h"
#include "ModalSeam.h"
#include "NuvNumberParse.h"
#include "ZMKImageWnd.h"
#include "ZavizoZoz3.h"

namespace {
// Six decimals with a '.' whatever the process locale: the node reads it back as a number.
std::string fixed(double value) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

int roundDown(int value, int inc) {
    return inc > 1 ? value - value % inc : value;
}

// Brings the band [*low, *high] into [0, extent]: a band of the size it had (`lastSize`, so it
// was moved) is pushed back inside whole, a resized one has its edges clamped.
void keepInside(double* low, double* high, double lastSize, int extent) {
    const double size = *high - *low;
    if (std::fabs(size - lastSize) < 0.5 && size <= extent) {
        const double shift = *low < 0.0 ? -*low : std::min(0.0, extent - *high);
        *low += shift;
        *high += shift;
    }
    *low = std::clamp(*low, 0.0, static_cast<double>(extent));
    *high = std::clamp(*high, 0.0, static_cast<double>(extent));
}

// A node limit as an int: GenICam limits are 64-bit and often unbounded (the type's extreme), so
// they saturate instead of wrapping into nonsense.
int saturated(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// A decimal text from the camera as an int; text beyond int saturates, anything else counts 0.
int decimal(const std::string& text) {
    return saturated(NuvNumberParse::valueOr(text, 0LL));
}
}  // namespace

// ---- integer nodes -----------------------------------------------------------------------------

int CameraRoiTool::integerNodeInfo(GenApi::INodeMap* map, const std::string& nodeName,
                                   IntegerNodeInfo* info) {
    if (map == nullptr) return -1;
    try {
        GenApi::INode* node = map->GetNode(nodeName);
        if (node == nullptr) return -2;
        if (node->GetPrincipalInterfaceType() != GenApi::intfIInteger || !GenApi::IsReadable(node)) return -3;
        GenApi::CIntegerPtr integer(node);
        // A value beyond int cannot be shown or written back truthfully: the node is not usable
        // here. Limits saturate; the increment is at least 1.
        const int64_t value = integer->GetValue(false, false);
        if (value < INT_MIN || value > INT_MAX) return -3;
        IntegerNodeInfo read;
        read.value = static_cast<int>(value);
        read.min = saturated(integer->GetMin());
        read.max = saturated(integer->GetMax());
        read.inc = std::max(1, saturated(integer->GetInc()));
        if (info) *info = read;
        return 0;
    } catch (const GenICam::GenericException&) {
        return -4;
    }
}

int CameraRoiTool::getIntegerNodeInfo(const QString& cameraKey, const QString& nodeName,
                                      IntegerNodeInfo* info) {
    GenApi::INodeMap* map = ZavizoZoz3::GetAttrNodeMap(ZavizoZoz3::FOCUS_CAMERA, cameraKey.toStdString(), 3);
    return integerNodeInfo(map, nodeName.toStdString(), info);
}

// ---- life cycle --------------------------------------------------------------------------------

CameraRoiTool::CameraRoiTool(const QString* cameraKey, std::function<QString()> infoKey)
    : m_cameraKey(cameraKey),
      m_infoKey(std::move(infoKey)),
      m_maskWriter([this] { return key(); }, [this] { onMaskWritesDone(); }) {
    m_maskShapeIds = {{1, -1}, {2, -1}, {3, -1}};
    m_maskSelectorNames = {{1, QStringLiteral("ImageMasker0")},
                           {2, QStringLiteral("ImageMasker1")},
                           {3, QStringLiteral("ImageMasker2")}};
}

void CameraRoiTool::attach(ZMKImageWnd* display, bool view2D) {
    removeAll();
    m_display = display;
    m_view2D = view2D;
    m_width = m_height = -1;
}

void CameraRoiTool::reset() {
    removeAll();
    std::fill(std::begin(m_pendingRedraw), std::end(m_pendingRedraw), false);
    std::fill(std::begin(m_maskRedrawWaiting), std::end(m_maskRedrawWaiting), false);
    m_maskWriter.cancel();
    m_roiApplying = false;
    m_width = m_height = -1;
}

void CameraRoiTool::onMaskWritesDone() {
    for (int mask = Mask1; mask <= Mask3; ++mask) {
        if (!m_maskRedrawWaiting[mask]) continue;
        m_maskRedrawWaiting[mask] = false;
        redrawMask(mask);
    }
}

void CameraRoiTool::removeAll() {
    for (const QMap<int, int>* ids : {&m_roiShapeIds, &m_maskShapeIds, &m_columnWindowShapeIds}) {
        for (int id : *ids)
            removeShape(id);
    }
    m_roiShapeIds.clear();
    m_maskShapeIds = {{1, -1}, {2, -1}, {3, -1}};
    m_columnWindowShapeIds.clear();
}

void CameraRoiTool::setPictureSize(int width, int height) {
    m_width = width;
    m_height = height;
}

void CameraRoiTool::onNewPictureSize() {
    // Order matters to the camera: its ROI first, then the masks, then the column window.
    if (m_pendingRedraw[CameraRoi]) {
        m_pendingRedraw[CameraRoi] = false;
        redrawCameraRoi();
    }
    for (int mask = 1; mask <= 3; ++mask) {
        if (!m_pendingRedraw[mask]) continue;
        m_pendingRedraw[mask] = false;
        redrawMask(mask);
    }
    if (m_pendingRedraw[ColumnWindow]) {
        m_pendingRedraw[ColumnWindow] = false;
        redrawColumnWindow();
    }
    setShapesEditable(false);
}

void CameraRoiTool::setShapesEditable(bool editable) {
    m_editable = editable;
    if (!m_display) return;
    for (const QMap<int, int>* ids : {&m_maskShapeIds, &m_roiShapeIds, &m_columnWindowShapeIds}) {
        for (int id : *ids) {
            if (id < 0) continue;
            m_display->setShapeMovable(id, editable);
            m_display->setShapeSelectable(id, editable);
        }
    }
}

// ---- shapes ------------------------------------------------------------------------------------

NuvROI CameraRoiTool::rect(double x1, double y1, double x2, double y2) {
    NuvROI roi;
    roi.GenRect(NuvPoint(x1, y1), NuvPoint(x2, y2));
    return roi;
}

int CameraRoiTool::drawShape(const NuvROI& roi, int index) {
    if (!m_display) return -1;
    m_display->setPen(255, 0, 0, 2);
    const int id = m_display->displayROI(roi, ZMKImageWnd::LayerShape);
    if (id < 0) return id;
    label(id, index);
    if (!m_editable) {
        m_display->setShapeMovable(id, false);
        m_display->setShapeSelectable(id, false);
    }
    return id;
}

void CameraRoiTool::label(int id, int index) {
    if (!m_display || id < 0) return;
    if (index == CameraRoi) {
        m_display->setShapeLabel(id, tr("ROI"));
    } else if (index == ColumnWindow) {
        // Centred: the column window often starts where the camera ROI does, at the left edge.
        m_display->setShapeLabel(id, tr("Columns"), Qt::AlignHCenter | Qt::AlignTop);
    } else {
        m_display->setShapeLabel(id, tr("Mask %1").arg(index));
    }
}

void CameraRoiTool::retranslate() {
    for (int id : qAsConst(m_roiShapeIds))
        label(id, CameraRoi);
    for (auto it = m_maskShapeIds.cbegin(); it != m_maskShapeIds.cend(); ++it)
        label(it.value(), it.key());
    for (int id : qAsConst(m_columnWindowShapeIds))
        label(id, ColumnWindow);
}

int CameraRoiTool::indexOf(int id) const {
    if (id < 0) return -1;
    if (!m_roiShapeIds.isEmpty() && m_roiShapeIds.first() == id) return CameraRoi;
    if (!m_columnWindowShapeIds.isEmpty() && m_columnWindowShapeIds.first() == id) return ColumnWindow;
    if (m_view2D) return -1;
    for (auto it = m_maskShapeIds.cbegin(); it != m_maskShapeIds.cend(); ++it) {
        if (it.value() == id) return it.key();
    }
    return -1;
}

void CameraRoiTool::removeShape(int id) {
    if (id >= 0 && m_display) m_display->removeShape(id);
}

bool CameraRoiTool::ownsShape(int id) const {
    return indexOf(id) >= 0;
}

// ---- business-layer requests -------------------------------------------------------------------

int CameraRoiTool::drawROI(int x1, int y1, int x2, int y2, int kind, int index) {
    const bool pictureShown = m_display && m_width >= 1 && m_height >= 1;
    if (pictureShown && m_view2D) {
        if (!m_roiShapeIds.isEmpty()) removeShape(m_roiShapeIds.first());
        m_roiShapeIds.clear();
        const int id = drawShape(rect(x1, y1, x2, y2), CameraRoi);
        if (id >= 0) {
            m_roiShapeIds.insert(id, id);
            m_lastCameraRoi = rect(x1, y1, x2, y2);
        }
        return id;
    }
    if (pictureShown) {
        if (kind == 0)
            redrawMask(index);
        else if (kind == 1)
            redrawCameraRoi();
        else
            redrawColumnWindow();
        return 0;
    }
    if (index >= 0 && index < 5) m_pendingRedraw[index] = true;
    return -1;
}

int CameraRoiTool::updateROI(int index, int x1, int y1, int x2, int y2) {
    if (isApplying() || !m_display) return -1;
    if (m_view2D) {
        removeShape(m_roiShapeIds.value(index, -1));
        m_roiShapeIds[index] = drawShape(rect(x1, y1, x2, y2), CameraRoi);
        return index;
    }
    if (index == ColumnWindow) {
        redrawColumnWindow();
        return index;
    }
    QMap<int, int>* ids = m_roiShapeIds.contains(index)    ? &m_roiShapeIds
                          : m_maskShapeIds.contains(index) ? &m_maskShapeIds
                                                           : nullptr;
    if (ids != nullptr) {
        removeShape(ids->value(index));
        (*ids)[index] = drawShape(rect(x1, y1, x2, y2), ids == &m_roiShapeIds ? int(CameraRoi) : index);
    }
    return index;
}

int CameraRoiTool::removeROI(int index) {
    if (!m_display) return -1;
    if (index >= 0 && index < 5) m_pendingRedraw[index] = false;
    if (m_view2D) {
        removeShape(m_roiShapeIds.value(index, -1));
        m_roiShapeIds.remove(index);
        return 0;
    }
    if (index == CameraRoi) {
        for (int id : qAsConst(m_roiShapeIds))
            removeShape(id);
        m_roiShapeIds.clear();
    } else if (index >= Mask1 && index <= Mask3) {
        removeShape(m_maskShapeIds.value(index, -1));
        m_maskShapeIds[index] = -1;
    } else if (index == ColumnWindow) {
        for (int id : qAsConst(m_columnWindowShapeIds))
            removeShape(id);
        m_columnWindowShapeIds.clear();
        // Without a window the camera uses every column.
        const std::string infoKey = m_infoKey().toStdString();
        ZavizoZoz3::SetCameraInfo(infoKey, ZavizoZoz3::CAM_INFO_COLUMN_FIRST, "0");
        ZavizoZoz3::SetCameraInfo(infoKey, ZavizoZoz3::CAM_INFO_COLUMN_LAST, std::to_string(kColumnScale));
    }
    return 0;
}

// ---- redraws from the camera -------------------------------------------------------------------

int CameraRoiTool::redrawCameraRoi() {
    if (!m_roiShapeIds.isEmpty()) removeShape(m_roiShapeIds.first());
    m_roiShapeIds.clear();
    IntegerNodeInfo height, offsetY;
    if (getIntegerNodeInfo(*m_cameraKey, QStringLiteral("Height"), &height) != 0 ||
        getIntegerNodeInfo(*m_cameraKey, QStringLiteral("OffsetY"), &offsetY) != 0)
        return -1;
    if (m_pendingRedraw[CameraRoi] && offsetY.value == 0) return -1;
    // The picture shows the sensor rows from the bottom up: OffsetY counts from the bottom.
    const double bottom = double(height.max) - offsetY.value;
    const NuvROI band = rect(0, bottom - height.value, m_width, bottom);
    const int id = drawShape(band, CameraRoi);
    if (id >= 0) {
        m_lastCameraRoi = band;
        m_roiShapeIds.insert(id, id);
    }
    return id;
}

std::string CameraRoiTool::readNode(const char* name) const {
    std::string value;
    if (ZavizoZoz3::GetCameraNodeValue(key(), name, value) != 0) value.clear();
    return value;
}

int CameraRoiTool::writeNode(const char* name, const std::string& value) const {
    return ZavizoZoz3::SetCameraNodeValue(key(), name, value);
}

int CameraRoiTool::writeNode(const char* name, int value) const {
    return writeNode(name, std::to_string(value));
}

int CameraRoiTool::redrawMask(int mask) {
    if (mask < Mask1 || mask > Mask3) return -1;
    if (m_maskWriter.isBusy()) {
        m_maskRedrawWaiting[mask] = true;
        return -1;
    }
    removeShape(m_maskShapeIds.value(mask, -1));
    m_maskShapeIds[mask] = -1;
    writeNode("ImageMaskerSelector", m_maskSelectorNames.value(mask).toStdString());
    if (readNode("ImageMask") != "True") return -2;
    const auto node = [this](const char* name) { return decimal(readNode(name)); };
    MaskGeometry::Corners corners;
    corners.left = NuvPoint(node("Xleft"), node("Yleft"));
    corners.right = NuvPoint(node("Xright"), node("Yright"));
    corners.up = NuvPoint(node("Xup"), node("Yup"));
    corners.down = NuvPoint(node("Xdown"), node("Ydown"));
    NuvROI shape;
    const bool placed = MaskGeometry::shapeFromCorners(corners, &shape);
    m_maskShapeIds[mask] = drawShape(shape, mask);
    return placed ? 0 : -1;
}

int CameraRoiTool::redrawColumnWindow() {
    for (int id : qAsConst(m_columnWindowShapeIds))
        removeShape(id);
    m_columnWindowShapeIds.clear();
    const std::string k = key();
    // Columns outside the scale are held to it, so the band stays on the picture.
    const auto column = [&k](ZavizoZoz3::CAM_INFO item) {
        return static_cast<long long>(
            std::clamp(decimal(ZavizoZoz3::GetCameraInfo(k, item)), 0, kColumnScale));
    };
    const long long width = std::max(0, m_width);
    const NuvROI band =
        rect(static_cast<double>(width * column(ZavizoZoz3::CAM_INFO_COLUMN_FIRST) / kColumnScale), 0,
             static_cast<double>(width * column(ZavizoZoz3::CAM_INFO_COLUMN_LAST) / kColumnScale), m_height);
    const int id = drawShape(band, ColumnWindow);
    if (id >= 0) {
        m_lastColumnWindow = band;
        m_columnWindowShapeIds.insert(id, id);
    }
    return id;
}

// ---- user edits --------------------------------------------------------------------------------

int CameraRoiTool::onShapeChanged(int id) {
    if (!m_display || !ownsShape(id)) return -1;
    NuvROI shape;
    if (m_display->getROIShape(id, &shape) != 0) return -1;
    if (m_view2D) return editCameraRoi2D(id, shape);
    if (!m_columnWindowShapeIds.isEmpty() && m_columnWindowShapeIds.first() == id)
        return editColumnWindow(id, shape);
    if (!m_roiShapeIds.isEmpty() && m_roiShapeIds.first() == id) return editCameraRoi(id, shape);
    return editMask(id, shape);
}

int CameraRoiTool::editColumnWindow(int id, const NuvROI& shape) {
    NuvPoint p1, p2;
    if (!shape.GetRect(&p1, &p2)) return -1;
    NuvPoint last1, last2;
    m_lastColumnWindow.GetRect(&last1, &last2);
    double left = p1.x, right = p2.x;
    keepInside(&left, &right, last2.x - last1.x, m_width);
    const int x1 = static_cast<int>(left);
    const int x2 = static_cast<int>(right);
    m_roiApplying = true;
    removeShape(id);
    const bool rejected = x2 - x1 < kMinColumnWindow;
    if (!rejected) m_lastColumnWindow = rect(x1, 0, x2, m_height);
    const int newId = drawShape(m_lastColumnWindow, ColumnWindow);
    const int businessId = m_columnWindowShapeIds.firstKey();
    m_columnWindowShapeIds[businessId] = newId;
    m_display->selectShape(newId);
    NuvPoint a, b;
    m_lastColumnWindow.GetRect(&a, &b);
    // The band's right edge may be the picture's, one past the last column.
    const double scale = kColumnScale / std::max(1.0, m_width - 1.0);
    const auto column = [scale](double x) {
        return std::to_string(
            std::min<long long>(kColumnScale, static_cast<long long>(std::floor(x * scale))));
    };
    const std::string infoKey = m_infoKey().toStdString();
    ZavizoZoz3::SetCameraInfo(infoKey, ZavizoZoz3::CAM_INFO_COLUMN_FIRST, column(a.x));
    ZavizoZoz3::SetCameraInfo(infoKey, ZavizoZoz3::CAM_INFO_COLUMN_LAST, column(b.x));
    ZavizoZoz3::SetROIPos(key(), businessId, static_cast<int>(a.x), 0, static_cast<int>(b.x), m_height);
    m_roiApplying = false;
    return newId;
}

int CameraRoiTool::editCameraRoi(int id, const NuvROI& shape) {
    IntegerNodeInfo width, offsetY, height;
    NuvPoint p1, p2;
    const bool nodesRead = getIntegerNodeInfo(*m_cameraKey, QStringLiteral("Width"), &width) == 0 &&
                           getIntegerNodeInfo(*m_cameraKey, QStringLiteral("OffsetY"), &offsetY) == 0 &&
                           getIntegerNodeInfo(*m_cameraKey, QStringLiteral("Height"), &height) == 0;
    if (!shape.GetRect(&p1, &p2)) return -1;
    NuvPoint lastTop, lastBottom;
    m_lastCameraRoi.GetRect(&lastTop, &lastBottom);
    double top = p1.y, bottom = p2.y;
    keepInside(&top, &bottom, lastBottom.y - lastTop.y, m_height);
    int x1 = 0, x2 = width.max;
    int y1 = static_cast<int>(top), y2 = static_cast<int>(bottom);
    m_roiApplying = true;
    removeShape(id);
    // A camera whose nodes cannot be read keeps its last band.
    const bool rejected = !nodesRead || y2 - y1 < height.min;
    if (!rejected) {
        if (y2 - y1 == static_cast<int>(lastBottom.y - lastTop.y)) {
            // Moved: the bottom edge is the offset, which must sit on its increment.
            const int r = offsetY.inc > 1 ? y2 % offsetY.inc : 0;
            y1 -= r;
            y2 -= r;
        } else {
            x1 = roundDown(x1, width.inc);
            x2 = roundDown(x2, width.inc);
            y1 = roundDown(y1, height.inc);
            y2 = roundDown(y2, offsetY.inc);
            // The extra increment may not take the band off the sensor (a huge increment would).
            if (height.inc > 1 && (y2 - y1) % height.inc != 0 && offsetY.inc <= m_height - y2)
                y2 += offsetY.inc;
        }
        m_lastCameraRoi = rect(x1, y1, x2, y2);
    }
    const int newId = drawShape(m_lastCameraRoi, CameraRoi);
    const int businessId = m_roiShapeIds.firstKey();
    m_roiShapeIds[businessId] = newId;
    m_display->selectShape(newId);
    if (!rejected) {
        // Height first, as the sensor expects; when the old offset leaves no room for it, it
        // goes in again once the offset has moved.
        const bool heightTaken = writeNode("Height", y2 - y1) == 0;
        writeNode("OffsetY", m_height - y2);
        if (!heightTaken) writeNode("Height", y2 - y1);
        ZavizoZoz3::SetROIPos(key(), businessId, x1, y1, x2, y2);
    }
    m_roiApplying = false;
    return newId;
}

int CameraRoiTool::editMask(int id, const NuvROI& shape) {
    int mask = 1;
    for (auto it = m_maskShapeIds.cbegin(); it != m_maskShapeIds.cend(); ++it) {
        if (it.value() == id) mask = it.key();
    }
    MaskGeometry::Corners c;
    if (!MaskGeometry::cornersFromShape(shape, m_width, m_height, &c)) return id;
    m_maskWriter.write({{"ImageMaskerSelector", m_maskSelectorNames.value(mask).toStdString()},
                        {"Xup", fixed(c.up.x)},
                        {"Yup", fixed(c.up.y)},
                        {"Xdown", fixed(c.down.x)},
                        {"Ydown", fixed(c.down.y)},
                        {"Xleft", fixed(c.left.x)},
                        {"Yleft", fixed(c.left.y)},
                        {"Xright", fixed(c.right.x)},
                        {"Yright", fixed(c.right.y)},
                        {"ImageMask", "1"}});
    return id;
}

int CameraRoiTool::editCameraRoi2D(int id, const NuvROI& shape) {
    NuvPoint p1, p2;
    if (!shape.GetRect(&p1, &p2)) return -1;
    p1 = MaskGeometry::clamp(p1, m_width, m_height);
    p2 = MaskGeometry::clamp(p2, m_width, m_height);
    IntegerNodeInfo offX, offY, w, h;
    const bool nodesRead = getIntegerNodeInfo(*m_cameraKey, QStringLiteral("OffsetX"), &offX) == 0 &&
                           getIntegerNodeInfo(*m_cameraKey, QStringLiteral("OffsetY"), &offY) == 0 &&
                           getIntegerNodeInfo(*m_cameraKey, QStringLiteral("Width"), &w) == 0 &&
                           getIntegerNodeInfo(*m_cameraKey, QStringLiteral("Height"), &h) == 0;
    m_roiApplying = true;
    removeShape(id);
    int x = 0, y = 0, width = 0, height = 0;
    if (nodesRead) {
        // The right and bottom edges give way to the minimum size; at the picture's border the
        // corner moves back instead.
        const auto fit = [](double from, double to, int extent, int offInc, int sizeMin, int sizeInc,
                            int* pos, int* size) {
            // Sizes are bounded by the picture, whatever minimum the camera claims.
            *pos = roundDown(static_cast<int>(from), std::max(1, offInc));
            *size = std::min(extent,
                             std::max(sizeMin, roundDown(static_cast<int>(to) - *pos, std::max(1, sizeInc))));
            if (*pos > extent - *size) *pos = std::max(0, roundDown(extent - *size, std::max(1, offInc)));
        };
        fit(p1.x, p2.x, m_width, offX.inc, w.min, w.inc, &x, &width);
        fit(p1.y, p2.y, m_height, offY.inc, h.min, h.inc, &y, &height);
        m_lastCameraRoi = rect(x, y, x + width, y + height);
    }
    const int newId = drawShape(m_lastCameraRoi, CameraRoi);
    const int businessId = m_roiShapeIds.isEmpty() ? newId : m_roiShapeIds.firstKey();
    m_roiShapeIds[businessId] = newId;
    m_display->selectShape(newId);
    if (nodesRead) {
        // Shrink before moving and move before growing, so the window never leaves the sensor.
        const auto apply = [this](const char* offName, const char* sizeName, int oldOff, int off, int size) {
            if (off > oldOff) {
                writeNode(sizeName, size);
                writeNode(offName, off);
            } else {
                writeNode(offName, off);
                writeNode(sizeName, size);
            }
        };
        apply("OffsetX", "Width", offX.value, x, width);
        apply("OffsetY", "Height", offY.value, y, height);
        ZavizoZoz3::SetROIPos(key(), businessId, x, y, x + width, y + height);
    }
    m_roiApplying = false;
    return newId;
}

// ---- context menu and reset --------------------------------------------------------------------

int CameraRoiTool::showShapeMenu(int id, const QPoint& globalPos) {
    const int index = indexOf(id);
    if (index < 0 || !m_display || !m_editable) return -1;
    QMenu menu(m_display->widget());
    const QString text = index == CameraRoi      ? tr("Reset to Full Sensor")
                         : index == ColumnWindow ? tr("Reset to All Columns")
                                                 : tr("Remove Mask");
    QAction* reset = menu.addAction(text);
    if (ModalSeam::execMenu(&menu, globalPos) != reset) return id;
    // The menu ran an event loop: the shape may have been redrawn or removed meanwhile.
    return indexOf(id) == index ? resetShape(id) : -1;
}

int CameraRoiTool::resetShape(int id) {
    const int index = indexOf(id);
    if (index < 0 || !m_display) return -1;
    if (index == CameraRoi) return resetCameraRoi(id);
    if (index == ColumnWindow) return resetColumnWindow(id);
    return resetMask(id);
}

int CameraRoiTool::resetCameraRoi(int id) {
    IntegerNodeInfo offX, width, offY, height;
    const bool xRead = getIntegerNodeInfo(*m_cameraKey, QStringLiteral("OffsetX"), &offX) == 0 &&
                       getIntegerNodeInfo(*m_cameraKey, QStringLiteral("Width"), &width) == 0;
    const bool yRead = getIntegerNodeInfo(*m_cameraKey, QStringLiteral("OffsetY"), &offY) == 0 &&
                       getIntegerNodeInfo(*m_cameraKey, QStringLiteral("Height"), &height) == 0;
    // Without the sizes the full sensor is unknown; the 2D view's ROI needs both axes.
    if (!yRead || (m_view2D && !xRead)) return id;
    m_roiApplying = true;
    // Offsets first: at offset 0 the largest size always fits.
    if (xRead) writeNode("OffsetX", 0);
    writeNode("OffsetY", 0);
    if (xRead) writeNode("Width", width.max);
    writeNode("Height", height.max);
    const int fullWidth = xRead ? width.max : m_width;
    // The profiler's band is the picture's width (rows only); the 2D view's is the sensor.
    m_lastCameraRoi = m_view2D ? rect(0, 0, fullWidth, height.max) : rect(0, 0, m_width, height.max);
    removeShape(id);
    const int newId = drawShape(m_lastCameraRoi, CameraRoi);
    const int businessId = m_roiShapeIds.firstKey();
    m_roiShapeIds[businessId] = newId;
    m_display->selectShape(newId);
    ZavizoZoz3::SetROIPos(key(), businessId, 0, 0, fullWidth, height.max);
    m_roiApplying = false;
    return newId;
}

int CameraRoiTool::resetMask(int id) {
    const int mask = indexOf(id);
    // In turn with any edit still being written: the selector must not change under it.
    m_maskWriter.write(
        {{"ImageMaskerSelector", m_maskSelectorNames.value(mask).toStdString()}, {"ImageMask", "0"}});
    removeShape(id);
    m_maskShapeIds[mask] = -1;
    return -1;
}

int CameraRoiTool::resetColumnWindow(int id) {
    m_roiApplying = true;
    removeShape(id);
    m_lastColumnWindow = rect(0, 0, m_width, m_height);
    const int newId = drawShape(m_lastColumnWindow, ColumnWindow);
    const int businessId = m_columnWindowShapeIds.firstKey();
    m_columnWindowShapeIds[businessId] = newId;
    m_display->selectShape(newId);
    const std::string infoKey = m_infoKey().toStdString();
    ZavizoZoz3::SetCameraInfo(infoKey, ZavizoZoz3::CAM_INFO_COLUMN_FIRST, "0");
    ZavizoZoz3::SetCameraInfo(infoKey, ZavizoZoz3::CAM_INFO_COLUMN_LAST, std::to_string(kColumnScale));
    ZavizoZoz3::SetROIPos(key(), businessId, 0, 0, m_width, m_height);
    m_roiApplying = false;
    return newId;
}
