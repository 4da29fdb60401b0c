#include "MeasureLengthWidget.h"

#include <QDoubleValidator>
#include <cmath>

#include "ui_MeasureLengthWidget.h"

namespace {
QString pointText(const NuvPoint& p) {
    return QStringLiteral("(%1, %2)").arg(p.x, 0, 'g', -1).arg(p.y, 0, 'g', -1);
}
}  // namespace

MeasureLengthWidget::MeasureLengthWidget(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::MeasureLengthWidget) {
    m_ui->setupUi(this);
    auto* validator = new QDoubleValidator(1.0, 99999.99, 2, m_ui->lineEdit);
    validator->setNotation(QDoubleValidator::StandardNotation);
    // Decimal point and no group separators whatever the system locale: the value is read back with
    // QString::toFloat.
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    validator->setLocale(c);
    m_ui->lineEdit->setValidator(validator);
    m_ui->lineEdit->setText(QStringLiteral("1"));
    m_ui->comboBox->setCurrentIndex(1);
    connect(m_ui->pushButton, &QPushButton::clicked, this, [this]() { recompute(); });
    connect(m_ui->lineEdit, &QLineEdit::returnPressed, this, [this]() { recompute(); });
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
    recompute();
}

void MeasureLengthWidget::recompute() {
    // A length the validator does not accept (empty, or below 1 while typing) measures nothing.
    const bool accepted = m_ui->lineEdit->hasAcceptableInput();
    bool ok = false;
    float k = m_ui->lineEdit->text().toFloat(&ok);
    if (!ok || !accepted) k = 0.0F;
    m_ui->lineEdit->setStyleSheet(accepted ? QString()
                                           : QStringLiteral("QLineEdit{border:1px solid rgb(255,77,79);}"));
    m_ui->lineEdit->setToolTip(accepted ? QString() : tr("Enter a length from 1 to 99999.99"));
    const float horizontal = static_cast<float>(std::fabs(m_start.x - m_stop.x)) * k;
    const float vertical = static_cast<float>(std::fabs(m_start.y - m_stop.y)) * k;
    const float cartesian = std::sqrt(horizontal * horizontal + vertical * vertical);
    const QString unit = m_ui->comboBox->currentText();
    const auto length = [&unit](float v) {
        return QStringLiteral("%1 %2").arg(QString::number(v, 'g', 6), unit);
    };
    m_ui->labelStartPoint->setText(pointText(m_start));
    m_ui->labelStopPoint->setText(pointText(m_stop));
    m_ui->labelHLength->setText(length(horizontal));
    m_ui->labelVLength->setText(length(vertical));
    m_ui->labelCLength->setText(length(cartesian));
}
