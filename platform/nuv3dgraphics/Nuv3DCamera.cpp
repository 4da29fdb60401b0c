// SPDX-License-Identifier: Apache-2.0
#include "Nuv3DCamera.h"

#include <QtMath>
#include <algorithm>
#include <cmath>

void Nuv3DCamera::setViewport(int width, int height) {
    m_width = std::max(1, width);
    m_height = std::max(1, height);
}

void Nuv3DCamera::fit(const QVector3D& min, const QVector3D& max) {
    m_target = (min + max) * 0.5f;
    // A flat or single-point cloud still gets a usable distance.
    m_radius = std::max((max - min).length() * 0.5f, 1e-3f);
    const float halfFov = qDegreesToRadians(kFovDegrees * 0.5f);
    const float aspect = static_cast<float>(m_width) / static_cast<float>(m_height);
    const float halfFovMin = aspect < 1.0f ? std::atan(std::tan(halfFov) * aspect) : halfFov;
    m_distance = m_radius / std::sin(halfFovMin);
}

void Nuv3DCamera::setPreset(Preset preset) {
    switch (preset) {
        case Preset::Default:
            m_yaw = -60.0f, m_pitch = 35.0f;
            break;
        case Preset::Top:  // x to the right, y up
            m_yaw = -90.0f, m_pitch = 90.0f;
            break;
        case Preset::Front:  // from -y: x to the right, z up
            m_yaw = -90.0f, m_pitch = 0.0f;
            break;
        case Preset::Side:  // from +x: y to the right, z up
            m_yaw = 0.0f, m_pitch = 0.0f;
            break;
    }
}

void Nuv3DCamera::orbit(float dx, float dy) {
    m_yaw = std::fmod(m_yaw - dx * 0.4f, 360.0f);
    m_pitch = std::clamp(m_pitch + dy * 0.4f, -90.0f, 90.0f);
}

void Nuv3DCamera::pan(float dx, float dy) {
    const float worldPerPixel =
        2.0f * m_distance * std::tan(qDegreesToRadians(kFovDegrees * 0.5f)) / static_cast<float>(m_height);
    const QVector3D right = QVector3D::crossProduct(-direction(), up()).normalized();
    m_target += (-right * dx + up() * dy) * worldPerPixel;
}

void Nuv3DCamera::zoom(float steps) {
    m_distance = std::clamp(m_distance * std::pow(0.85f, steps), m_radius * 1e-4f, m_radius * 1e4f);
}

QVector3D Nuv3DCamera::direction() const {
    const float y = qDegreesToRadians(m_yaw);
    const float p = qDegreesToRadians(m_pitch);
    return QVector3D(std::cos(p) * std::cos(y), std::cos(p) * std::sin(y), std::sin(p));
}

QVector3D Nuv3DCamera::up() const {
    // Derivative of direction() by pitch: orthogonal to it even when looking straight down.
    const float y = qDegreesToRadians(m_yaw);
    const float p = qDegreesToRadians(m_pitch);
    return QVector3D(-std::sin(p) * std::cos(y), -std::sin(p) * std::sin(y), std::cos(p));
}

QMatrix4x4 Nuv3DCamera::viewMatrix() const {
    QMatrix4x4 m;
    m.lookAt(m_target + direction() * m_distance, m_target, up());
    return m;
}

QMatrix4x4 Nuv3DCamera::projectionMatrix() const {
    const float aspect = static_cast<float>(m_width) / static_cast<float>(m_height);
    const float nearPlane = std::max(m_distance - 2.0f * m_radius, m_distance * 1e-3f);
    const float farPlane = m_distance + 2.0f * m_radius;
    QMatrix4x4 m;
    if (m_orthographic) {
        const float h = m_distance * std::tan(qDegreesToRadians(kFovDegrees * 0.5f));
        m.ortho(-h * aspect, h * aspect, -h, h, nearPlane, farPlane);
    } else {
        m.perspective(kFovDegrees, aspect, nearPlane, farPlane);
    }
    return m;
}
