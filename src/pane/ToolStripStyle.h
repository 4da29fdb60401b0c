// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QString>
#include <QVector>

// Style sheets of the dark tool strips: one icon folder per button under :/Resource/icons/.
namespace ToolStripStyle {
struct ButtonIcons {
    const char* objectName;
    const char* folder;
    bool savingButton;  // saving buttons show "clicked.png" when pressed
};

// Rule set for the given buttons on a strip with the standard background.
QString stripStyle(const char* stripName, const QVector<ButtonIcons>& buttons);
QString image2DStrip();
QString image3DStrip();
}  // namespace ToolStripStyle
