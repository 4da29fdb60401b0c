// SPDX-License-Identifier: Apache-2.0
#include "NuvRangeImage.h"

NuvRangeImage::NuvRangeImage(int pointsPerLine, int lines, int bytesPerPoint) {
    if (pointsPerLine <= 0 || lines <= 0) return;
    if (bytesPerPoint == 2) {
        m_data = cv::Mat::zeros(lines, pointsPerLine, CV_16UC1);
    } else if (bytesPerPoint == 4) {
        m_data = cv::Mat::zeros(lines, pointsPerLine, CV_32SC1);
    }
}

bool NuvRangeImage::SetSize(int width, int height, int typeCode) {
    m_data.release();
    if (width <= 0 || height <= 0) return false;
    switch (typeCode) {
        case TypeUInt16:
            m_data = cv::Mat::zeros(height, width, CV_16UC1);
            return true;
        case TypeInt32:
            m_data = cv::Mat::zeros(height, width, CV_32SC1);
            return true;
        case TypeFloat64:
            m_data = cv::Mat::zeros(height, width, CV_64FC1);
            return true;
        default:
            return false;
    }
}

int NuvRangeImage::TypeCode() const {
    switch (m_data.type()) {
        case CV_16UC1:
            return TypeUInt16;
        case CV_32SC1:
            return TypeInt32;
        case CV_64FC1:
            return TypeFloat64;
        default:
            return 0;
    }
}

uint8_t* NuvRangeImage::line(int line) {
    if (m_data.empty() || line < 0 || line >= m_data.rows) return nullptr;
    return m_data.ptr<uint8_t>(line);
}

NuvRangeImage NuvRangeImage::clone() const {
    NuvRangeImage c(*this);
    c.m_data = m_data.clone();
    return c;
}

void NuvRangeImage::SetInfo(double heightScale, double heightOffset, double xInterval, double xOffset,
                            double yInterval, double yOffset) {
    m_heightScale = heightScale;
    m_heightOffset = heightOffset;
    m_xInterval = xInterval;
    m_xOffset = xOffset;
    m_yInterval = yInterval;
    m_yOffset = yOffset;
}

int64_t NuvRangeImage::sample(int line, int point) const {
    if (m_data.empty() || line < 0 || line >= m_data.rows || point < 0 || point >= m_data.cols) return 0;
    if (m_data.type() == CV_16UC1) return m_data.at<uint16_t>(line, point);
    if (m_data.type() == CV_64FC1) return static_cast<int64_t>(m_data.at<double>(line, point));
    return m_data.at<int32_t>(line, point);
}
