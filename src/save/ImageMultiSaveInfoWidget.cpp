// SPDX-License-Identifier: Apache-2.0
#include "ImageMultiSaveInfoWidget.h"

#include <QTime>

#include "ui_ImageMultiSaveInfoWidget.h"

namespace {
const char* const kStyle =
    "*{background: rgba(55,56,58,80%); border: none;}"
    "QLabel{color: white; padding-left: 10px;}"
    "QLabel#lbTotalCount{padding-left: 40px;}"
    "Line#line, QFrame#line{background: grey;}"
    "QPushButton#btnFold{image: url(:/Resource/icons/multiTip/normal.svg); border: none;}"
    "QPushButton#btnFold:hover{image: url(:/Resource/icons/multiTip/hover.svg);}"
    "QPushButton#btnFold:pressed{image: url(:/Resource/icons/multiTip/clicked.svg);}";
}  // namespace

ImageMultiSaveInfoWidget::ImageMultiSaveInfoWidget(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::ImageMultiSaveInfoWidget) {
    m_ui->setupUi(this);
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QString::fromLatin1(kStyle));
    connect(m_ui->btnFold, &QPushButton::clicked, this,
            [this]() { m_ui->wdgButtom->setHidden(!m_ui->wdgButtom->isHidden()); });
    refreshTexts();
}

ImageMultiSaveInfoWidget::~ImageMultiSaveInfoWidget() {
    m_timer.stop();
    delete m_ui;
}

void ImageMultiSaveInfoWidget::setTotalCount(int n) {
    m_total = n;
    if (m_finishing) return;  // the frames left matter more now
    m_ui->lbTotalCount->setText(QStringLiteral("%1 %2").arg(n).arg(tr("Images")));
}

void ImageMultiSaveInfoWidget::setUsageRate(uchar rate) {
    m_usageRate = rate;
    m_ui->lbBufferUsageRate->setText(QStringLiteral("%1 %2%").arg(tr("Cache usage rate")).arg(rate));
}

void ImageMultiSaveInfoWidget::setDealCount(int n) {
    m_dealCount = n;
    m_ui->lbDealCount->setText(QStringLiteral("%1 %2").arg(tr("Processed")).arg(n));
}

void ImageMultiSaveInfoWidget::setDiscardCount(int n) {
    m_discardCount = n;
    m_ui->lbDiscardCount->setText(QStringLiteral("%1 %2").arg(tr("Discard")).arg(n));
}

void ImageMultiSaveInfoWidget::refreshTexts() {
    // A recording strip keeps its running time on top, a stopped run its frames left.
    if (m_finishing) {
        showFinishing();
    } else if (m_clockRunning) {
        showElapsed();
    } else {
        setTotalCount(m_total);
    }
    setUsageRate(m_usageRate);
    setDealCount(m_dealCount);
    setDiscardCount(m_discardCount);
}

void ImageMultiSaveInfoWidget::startElapsedClock() {
    m_clockRunning = true;
    showElapsed();
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &ImageMultiSaveInfoWidget::onTimeout, Qt::UniqueConnection);
    m_timer.start();
}

void ImageMultiSaveInfoWidget::setFinishing(int frames) {
    m_finishing = true;
    m_finishingFrames = frames;
    m_timer.stop();
    showFinishing();
}

void ImageMultiSaveInfoWidget::showFinishing() {
    m_ui->lbTotalCount->setText(tr("finishing %1 frames").arg(m_finishingFrames));
}

void ImageMultiSaveInfoWidget::onTimeout() {
    ++m_elapsedSeconds;
    showElapsed();
}

void ImageMultiSaveInfoWidget::showElapsed() {
    m_ui->lbTotalCount->setText(
        QTime(0, 0, 0, 0).addSecs(m_elapsedSeconds).toString(QStringLiteral("HH:mm:ss")));
}

QString ImageMultiSaveInfoWidget::totalText() const {
    return m_ui->lbTotalCount->text();
}
QString ImageMultiSaveInfoWidget::usageText() const {
    return m_ui->lbBufferUsageRate->text();
}
QString ImageMultiSaveInfoWidget::dealText() const {
    return m_ui->lbDealCount->text();
}
QString ImageMultiSaveInfoWidget::discardText() const {
    return m_ui->lbDiscardCount->text();
}
bool ImageMultiSaveInfoWidget::isFolded() const {
    return m_ui->wdgButtom->isHidden();
}
