// SPDX-License-Identifier: Apache-2.0
#include "MeasureLengthWidget.h"

#include <QLocale>
#include <QRegularExpressionValidator>
#include <cmath>

#include "ui_MeasureLengthWidget.h"

namespace {
QString pointText(const NuvPoint& p) {
    return QStringLiteral("(%1, %2)").arg(p.x, 0, 'g', -1).arg(p.y, 0, 'g', -1);
}

// Pixel sizes are mostly fractions of a millimetre, typed with a decimal point or a decimal comma
// whatever the system locale: "0.5" and "0,5" both mean one half. Group separators are never
// accepted, so "0,5" cannot turn into 5. Returns 0 for anything that is not a positive number.
double parsePixelLength(QString text) {
    text = text.trimmed();
    if (text.count(QLatin1Char(',')) == 1 && !text.contains(QLatin1Char('.')))
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text, &ok);
    return ok && std::isfinite(value) && value > 0.0 ? value : 0.0;
}
}  // namespace

MeasureLengthWidget::MeasureLengthWidget(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::MeasureLengthWidget) {
    m_ui->setupUi(this);
    // Up to five integer and six decimal digits: lengths from a micrometre fraction to 99999.
    m_ui->lineEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{0,5}([.,]\\d{0,6})?")), m_ui->lineEdit));
    m_ui->lineEdit->setText(QStringLiteral("1"));
    m_ui->labelInputError->hide();
    m_ui->comboBox->setCurrentIndex(1);
    connect(m_ui->pushButton, &QPushButton::clicked, this, [this]() { applyPixelLength(); });
    connect(m_ui->lineEdit, &QLineEdit::returnPressed, this, [this]() { applyPixelLength(); });
    // The unit only labels the lengths.
    connect(m_ui->comboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this]() { recompute(); });
    recompute();
}

MeasureLengthWidget::~MeasureLengthWidget() {
    delete m_ui;
}

void MeasureLengthWidget::setPoints(NuvPoint start, NuvPoint stop) {
    m_start = start;
    m_stop = stop;
    recompute();
}

void MeasureLengthWidget::retranslate() {
    m_ui->retranslateUi(this);
    showInputProblem();
    recompute();
}

void MeasureLengthWidget::applyPixelLength() {
    const double value = parsePixelLength(m_ui->lineEdit->text());
    m_inputRefused = value <= 0.0;
    // A refused entry leaves the lengths on the last valid pixel length rather than on 0.
    if (!m_inputRefused) m_pixelLength = value;
    showInputProblem();
    recompute();
}

void MeasureLengthWidget::showInputProblem() {
    const QString why = m_inputRefused ? tr("Enter a pixel length greater than 0, for example 0.05. "
                                            "Still measuring with %1.")
                                             .arg(QString::number(m_pixelLength, 'g', 12))
                                       : QString();
    m_ui->lineEdit->setStyleSheet(
        m_inputRefused ? QStringLiteral("QLineEdit{border:1px solid rgb(255,77,79);}") : QString());
    m_ui->lineEdit->setToolTip(why);
    m_ui->labelInputError->setText(why);
    m_ui->labelInputError->setVisible(m_inputRefused);
}

void MeasureLengthWidget::recompute() {
    const double horizontal = std::fabs(m_start.x - m_stop.x) * m_pixelLength;
    const double vertical = std::fabs(m_start.y - m_stop.y) * m_pixelLength;
    const double cartesian = std::sqrt(horizontal * horizontal + vertical * vertical);
    const QString unit = m_ui->comboBox->currentText();
    const auto length = [&unit](double v) {
        return QStringLiteral("%1 %2").arg(QString::number(v, 'g', 6), unit);
    };
    m_ui->labelStartPoint->setText(pointText(m_start));
    m_ui->labelStopPoint->setText(pointText(m_stop));
    m_ui->labelHLength->setText(length(horizontal));
    m_ui->labelVLength->setText(length(vertical));
    m_ui->labelCLength->setText(length(cartesian));
}
