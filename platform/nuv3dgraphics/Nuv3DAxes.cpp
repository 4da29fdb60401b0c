#include "Nuv3DAxes.h"

#include <algorithm>
#include <cmath>

double Nuv3DAxes::niceStep(double low, double high, int maxTicks) {
    const double span = high - low;
    if (!std::isfinite(span) || span <= 0.0 || maxTicks < 2) {
        return 0.0;
    }
    const double rough = span / (maxTicks - 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= rough) {
            return factor * power;
        }
    }
    return 10.0 * power;
}

QVector<double> Nuv3DAxes::ticks(double low, double high, int maxTicks) {
    QVector<double> out;
    const double step = niceStep(low, high, maxTicks);
    if (step <= 0.0) {
        return out;
    }
    // A little slack so that ends which are multiples of the step survive rounding.
    const double slack = step * 1e-9;
    for (double k = std::ceil((low - slack) / step); k * step <= high + slack; k += 1.0) {
        const double v = k * step;
        out.append(std::abs(v) < slack ? 0.0 : v);
    }
    return out;
}

QString Nuv3DAxes::label(double value, double step) {
    const int decimals =
        step > 0.0 ? std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 6) : 3;
    return QString::number(value, 'f', decimals);
}
