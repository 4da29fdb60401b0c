// SPDX-License-Identifier: Apache-2.0
#include "ToolStripStyle.h"

namespace ToolStripStyle {
namespace {
QString icon(const char* folder, const char* state) {
    return QStringLiteral("image: url(:/Resource/icons/%1/%2.svg);")
        .arg(QLatin1String(folder), QLatin1String(state));
}
}  // namespace

QString stripStyle(const char* stripName, const QVector<ButtonIcons>& buttons) {
    QString css = QStringLiteral("#%1{background: rgba(55,56,58,0.80);}").arg(QLatin1String(stripName));
    for (const ButtonIcons& b : buttons) {
        const QString sel = QStringLiteral("QPushButton#%1").arg(QLatin1String(b.objectName));
        css +=
            sel + QStringLiteral("{border: none; background: transparent;") + icon(b.folder, "normal") + "}";
        css += sel + QStringLiteral(":hover{") + icon(b.folder, "hover") + "}";
        css += sel + QStringLiteral(":pressed{") + icon(b.folder, b.savingButton ? "clicked" : "click") + "}";
        css += sel + QStringLiteral(":checked{") + icon(b.folder, "selected") + "}";
        css += sel + QStringLiteral(":disabled{") + icon(b.folder, "disable") + "}";
    }
    return css;
}

QString image2DStrip() {
    return stripStyle("wdg2DToolSingle", {{"btnStartGrab", "start", false},
                                          {"btnStopGrab", "stop", false},
                                          {"btnSingleSave", "singleSave", true},
                                          {"btnMultiSave", "multiSave", true},
                                          {"btnRecording", "recording", true},
                                          {"btnGreyHistogram", "greyHistogram", false},
                                          {"btnCross", "cross", false},
                                          {"btnGrid", "grid", false},
                                          {"btnMeasure", "measure", false},
                                          {"btnDisplayRange", "displayRange", false},
                                          {"btnZoomIn", "zoomIn", false},
                                          {"btnZoomOut", "zoomOut", false},
                                          {"btnRestore", "restore", false},
                                          {"btnZoomFit", "zoomReset", false},
                                          {"btnCrossConfig", "triangle", false},
                                          {"btnGridConfig", "triangle", false}});
}

QString image3DStrip() {
    QString css = stripStyle("wdg3DToolSingle", {{"btnContourMode", "ContourMode", false},
                                                 {"btn2DMode", "2DMode", false},
                                                 {"btn3DMode", "3DMode", false},
                                                 {"btn3DShow", "3DShow", false},
                                                 {"btn2DRangeImageShow", "2DRangeImageShow", false},
                                                 {"btnGreyImageShow", "greyShow", false},
                                                 {"btnSingleGrab", "singleGrab", false},
                                                 {"btn3DStartGrab", "start", false},
                                                 {"btn3DStopGrab", "stop", false},
                                                 {"btnSingleSave", "singleSave", true},
                                                 {"btnMultiSave", "multiSave", true},
                                                 {"btn3DRender", "3dRender", false},
                                                 {"btn3DZoomIn", "zoomIn", false},
                                                 {"btn3DZoomOut", "zoomOut", false},
                                                 {"btn3DRestore", "restore", false},
                                                 {"btn3DZoomReset", "zoomReset", false}});
    css += QStringLiteral(
        "QPushButton#btnShowMenu{border: none; background: transparent;"
        "image: url(:/Resource/icons/toolBarHorizontalExtButton/normal.svg);}"
        "QPushButton#btnShowMenu:hover{border: 1px solid gray;}"
        "Line{color: rgb(120,120,120);}");
    return css;
}
}  // namespace ToolStripStyle
