#include "NuvRangeImage.h"

NuvRangeImage::NuvRangeImage(int pointsPerLine, int lines, int bytesPerPoint) {
    if (pointsPerLine <= 0 || lines <= 0) return;
    if (bytesPerPoint == 2) {
        m_data = cv::Mat::zeros(lines, pointsPerLine, CV_16UC1);
    } else if (bytesPerPoint == 4) {
        m_data = cv::Mat::zeros(lines, pointsPerLine, CV_32SC1);
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
    return m_data.at<int32_t>(line, point);
}
