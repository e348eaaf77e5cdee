#include "app/dialogs/font_dialog.h"
#include "app/ui_text.h"

#include <QCheckBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "app/dialogs/dialog_fields.h"
#include "platform/qt/qt_device.h"

namespace gridova {
namespace {

constexpr double kDotsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;
constexpr int kDefaultPoints = 9;

}  // namespace

int FontDialog::pointsOf(const gdi::LogFont& font) {
    if (font.height == 0) return kDefaultPoints;
    return std::max(kMinPoints, static_cast<int>(std::lround(std::abs(font.height) *
                                                             kPointsPerInch / kDotsPerInch)));
}

std::int32_t FontDialog::heightOf(int points) {
    return -static_cast<std::int32_t>(std::lround(points * kDotsPerInch / kPointsPerInch));
}

FontDialog::FontDialog(const gdi::LogFont& font, gdi::ColorRef color, QWidget* parent)
    : QDialog(parent), start_(font) {
    setObjectName(QStringLiteral("fontDialog"));
    setWindowTitle(uiText("Шрифт"));
    face_ = new QFontComboBox(this);
    face_->setCurrentFont(
        QFont(QString::fromStdString(font.faceName.empty() ? "Arial" : font.faceName)));
    size_ = new QSpinBox(this);
    size_->setRange(kMinPoints, kMaxPoints);
    size_->setValue(pointsOf(font));
    bold_ = new QCheckBox(uiText("Жирный"), this);
    bold_->setChecked(font.weight >= 600);
    italic_ = new QCheckBox(uiText("Курсив"), this);
    italic_->setChecked(font.italic != 0);
    underline_ = new QCheckBox(uiText("Подчёркнутый"), this);
    underline_->setChecked(font.underline != 0);
    color_ = new ColorButton(uiText("Цвет..."), color, this);
    sample_ = new QLabel(uiText("Пример текста"), this);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumHeight(60);
    sample_->setFrameShape(QFrame::StyledPanel);
    auto* form = new QFormLayout;
    form->addRow(uiText("Шрифт"), face_);
    form->addRow(uiText("Размер"), size_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(bold_);
    layout->addWidget(italic_);
    layout->addWidget(underline_);
    layout->addWidget(color_);
    layout->addWidget(sample_);
    layout->addWidget(yesButtons(*this));
    showSample();
    connect(face_, &QFontComboBox::currentFontChanged, this, &FontDialog::showSample);
    connect(size_, &QSpinBox::valueChanged, this, &FontDialog::showSample);
    for (QCheckBox* box : {bold_, italic_, underline_}) {
        connect(box, &QCheckBox::toggled, this, &FontDialog::showSample);
    }
    connect(color_, &QPushButton::clicked, this, &FontDialog::showSample);
}

gdi::LogFont FontDialog::font() const {
    gdi::LogFont f = start_;
    f.faceName = face_->currentFont().family().toStdString().substr(0, gdi::LogFont::kMaxFaceName);
    f.height = heightOf(size_->value());
    f.width = 0;
    f.weight = bold_->isChecked() ? 700 : 400;
    f.italic = italic_->isChecked() ? 1 : 0;
    f.underline = underline_->isChecked() ? 1 : 0;
    return f;
}

void FontDialog::setSampleText(const QString& text) { sample_->setText(text); }

void FontDialog::hideColor() { color_->hide(); }

gdi::ColorRef FontDialog::color() const { return color_->color(); }

void FontDialog::showSample() {
    // Drawn as the map draws it.
    QFont shown = toQFont(font());
    shown.setStyleStrategy(QFont::PreferDefault);
    sample_->setFont(shown);
    QPalette palette = sample_->palette();
    palette.setColor(QPalette::WindowText, qColorOf(color_->color()));
    sample_->setPalette(palette);
}

}  // namespace gridova
