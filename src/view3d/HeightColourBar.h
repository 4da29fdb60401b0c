// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <qwt_scale_widget.h>
#include <QStringList>

// Legend of a height colouring: a Qwt colour bar of the colour map from the lowest height
// (bottom) to the highest (top), with millimetre ticks beside it; or, for brightness pictures,
// the grey levels 0 to 255. The colours come from the same 64K lookup as the pictures.
class HeightColourBar : public QwtScaleWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 66;

    explicit HeightColourBar(QWidget* parent = nullptr);

    // A colour map of NuvColorMap over [minimum, maximum] millimetres.
    void setScale(int colorMap, float minimum, float maximum);
    // Black (0) to white (255), titled as grey levels.
    void setGreyLevels();
    bool showsGreyLevels() const { return m_greyLevels; }
    int colorMap() const { return m_colorMap; }
    float minimum() const { return m_minimum; }
    float maximum() const { return m_maximum; }
    // The tick labels shown, from the bottom up.
    QStringList tickLabels() const;
    // Strip rectangle inside the widget (for hit tests and pixel checks).
    QRect stripRect() const;
    QSize sizeHint() const override { return QSize(kWidth, 200); }
    QSize minimumSizeHint() const override { return QSize(kWidth, 60); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int tickCount() const;
    // Hands the map, range and ticks for the current height to the scale.
    void updateScale();

    int m_colorMap = 0;
    float m_minimum = -45.0f;
    float m_maximum = 45.0f;
    bool m_greyLevels = false;
};
