#pragma once
#include <QStringList>
#include <QWidget>

// Legend of a height colouring: the colour map as a vertical strip from the lowest height
// (bottom) to the highest (top), with millimetre ticks beside it; or, for brightness pictures,
// the grey levels 0 to 255.
class HeightColourBar : public QWidget {
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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVector<double> ticks() const;

    int m_colorMap = 0;
    float m_minimum = -45.0f;
    float m_maximum = 45.0f;
    bool m_greyLevels = false;
};
