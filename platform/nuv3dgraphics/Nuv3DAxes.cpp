// SPDX-License-Identifier: Apache-2.0
#include "Nuv3DAxes.h"

#include <algorithm>
#include <cmath>
#include <optional>

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

namespace {
std::optional<QPointF> project(const QMatrix4x4& vp, const QSize& size, const QVector3D& p) {
    const QVector4D clip = vp * QVector4D(p, 1.0f);
    if (clip.w() <= 1e-6f) return std::nullopt;
    const QVector3D ndc = clip.toVector3D() / clip.w();
    if (qAbs(ndc.x()) > 1.0f || qAbs(ndc.y()) > 1.0f) return std::nullopt;
    return QPointF((ndc.x() + 1.0f) * 0.5f * size.width(), (1.0f - ndc.y()) * 0.5f * size.height());
}
}  // namespace

QVector<Nuv3DAxes::Label> Nuv3DAxes::placeLabels(const QVector3D& lo, const QVector3D& hi,
                                                 const QMatrix4x4& viewProjection, const QSize& size,
                                                 const QFontMetricsF& metrics, const QStringList& names,
                                                 int maxTicks) {
    QVector<Label> placed;
    const auto place = [&](const QVector3D& at, const QString& text, int axis, bool name) {
        const std::optional<QPointF> p = project(viewProjection, size, at);
        if (!p) return;
        Label label;
        label.baseline = *p + QPointF(3.0, -3.0);
        label.rect = metrics.boundingRect(text).translated(label.baseline);
        label.text = text;
        label.axis = axis;
        label.name = name;
        for (const Label& other : qAsConst(placed)) {
            if (other.rect.intersects(label.rect)) return;
        }
        placed.append(label);
    };
    const QVector3D ends[3] = {QVector3D(hi.x(), lo.y(), lo.z()), QVector3D(lo.x(), hi.y(), lo.z()),
                               QVector3D(lo.x(), lo.y(), hi.z())};
    for (int axis = 0; axis < 3 && axis < names.size(); ++axis)
        place(ends[axis], names.at(axis), axis, true);
    for (int axis = 0; axis < 3; ++axis) {
        const double low = lo[axis];
        const double high = hi[axis];
        // As many ticks as the axis's length on screen has room for.
        int count = maxTicks;
        const std::optional<QPointF> a = project(viewProjection, size, lo);
        const std::optional<QPointF> b = project(viewProjection, size, ends[axis]);
        if (a && b) {
            const double pixels = std::hypot(b->x() - a->x(), b->y() - a->y());
            count = std::clamp(static_cast<int>(pixels / kTickSpacing) + 1, 2, std::max(2, maxTicks));
        }
        const double step = niceStep(low, high, count);
        for (double v : ticks(low, high, count)) {
            QVector3D at = lo;
            at[axis] = static_cast<float>(v);
            place(at, label(v, step), axis, false);
        }
    }
    return placed;
}
