// SPDX-License-Identifier: Apache-2.0
#pragma once
// Small white panel with rounded corners and a soft shadow for value read-outs over a plot.
#include <QWidget>

class QLabel;

class CToolTipWidget : public QWidget {
    Q_OBJECT

public:
    static constexpr int kLabelWidth = 130;
    static constexpr int kLabelHeight = 25;

    explicit CToolTipWidget(QWidget* parent = nullptr);

    QLabel* labelPosition = nullptr;  // position row
    QLabel* labelValue1 = nullptr;    // value rows
    QLabel* labelValue2 = nullptr;
    QLabel* labelValue3 = nullptr;
};
