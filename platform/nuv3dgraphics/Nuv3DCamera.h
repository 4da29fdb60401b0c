// SPDX-License-Identifier: Apache-2.0
#pragma once
// Orbit camera of the 3D view: a target point seen from a direction (yaw around z, pitch above
// the x-y plane) at a distance, in perspective or orthographic projection. z is the height axis.
#include <QMatrix4x4>
#include <QVector3D>

#include "Nuv3DExport.h"

class NUV3D_API Nuv3DCamera {
public:
    enum class Preset { Default, Top, Front, Side };

    void setViewport(int width, int height);
    void setOrthographic(bool orthographic) { m_orthographic = orthographic; }
    bool isOrthographic() const { return m_orthographic; }

    // Looks at the centre of the box from a distance at which the whole box is visible.
    void fit(const QVector3D& min, const QVector3D& max);
    void setPreset(Preset preset);
    // Mouse gestures in pixels: orbit turns around the target, pan moves it in the view plane,
    // zoom scales the distance (steps > 0 come closer).
    void orbit(float dx, float dy);
    void pan(float dx, float dy);
    void zoom(float steps);

    QMatrix4x4 viewMatrix() const;
    QMatrix4x4 projectionMatrix() const;
    QMatrix4x4 viewProjection() const { return projectionMatrix() * viewMatrix(); }

    QVector3D target() const { return m_target; }
    float distance() const { return m_distance; }
    float yaw() const { return m_yaw; }
    float pitch() const { return m_pitch; }

private:
    QVector3D direction() const;  // unit vector from target to eye
    QVector3D up() const;

    static constexpr float kFovDegrees = 40.0f;
    QVector3D m_target;
    float m_distance = 10.0f;
    float m_radius = 1.0f;  // half diagonal of the framed box; sets the clip planes
    float m_yaw = -60.0f;
    float m_pitch = 35.0f;
    bool m_orthographic = false;
    int m_width = 1;
    int m_height = 1;
};
