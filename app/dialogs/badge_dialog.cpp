#include "app/dialogs/badge_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/font_dialog.h"
#include "app/ui_text.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kNothing = 293;       // "Не показывать"
constexpr int kName = 294;          // "Название"
constexpr int kValue = 295;         // "Значение"
constexpr int kNameAndValue = 296;  // "Название и значение"
constexpr int kMinAboveMax = 9178;  // "%s: больше наибольшего радиуса"

}  // namespace

BadgeDialog::BadgeDialog(const BadgeFormat& format, QWidget* parent)
    : QDialog(parent), start_(format), fontChosen_(format.font), textColor_(format.textColor) {
    setObjectName(QStringLiteral("badgeDialog"));
    setWindowTitle(uiText("Изменить значок"));
    const auto spin = [this](int lo, int hi, int value) { return spinField(this, lo, hi, value); };
    show_ = new QCheckBox(uiText("Показывать"), this);
    show_->setChecked(format.show != 0);
    radius_ = spin(0, kMaxRadius, format.badgeRadius);
    pointColor_ = new ColorButton(uiText("Цвет..."), format.pointColor, this);
    circles_ = new QCheckBox(uiText("Показывать"), this);
    circles_->setChecked(format.valueShow != 0);
    minRadius_ = spin(0, kMaxRadius, format.minRadius);
    maxRadius_ = spin(0, kMaxRadius, format.maxRadius);
    circleColor_ = new ColorButton(uiText("Цвет..."), format.circleColor, this);
    text_ = new QComboBox(this);
    for (int number : {kNothing, kName, kValue, kNameAndValue}) text_->addItem(uiText(number));
    text_->setCurrentIndex((format.showLabel != 0 ? 1 : 0) + (format.showDigit != 0 ? 2 : 0));
    digits_ = spin(0, BadgeFormat::kMaxDigits, format.digits);
    font_ = new QPushButton(uiText("Шрифт..."), this);

    auto* badges = new QGroupBox(uiText("Значки точек"), this);
    auto* badgesForm = new QFormLayout(badges);
    badgesForm->addRow(show_);
    badgesForm->addRow(uiText("Радиус значка"), radius_);
    badgesForm->addRow(QString(), pointColor_);
    auto* circles = new QGroupBox(uiText("Радиус значения параметра"), this);
    auto* circlesForm = new QFormLayout(circles);
    circlesForm->addRow(circles_);
    circlesForm->addRow(uiText("Мин."), minRadius_);
    circlesForm->addRow(uiText("Макс"), maxRadius_);
    circlesForm->addRow(QString(), circleColor_);
    auto* value = new QGroupBox(uiText("Цифровое значение параметра"), this);
    auto* valueForm = new QFormLayout(value);
    valueForm->addRow(text_);
    valueForm->addRow(uiText("Число дробнных цифр"), digits_);
    valueForm->addRow(QString(), font_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(badges);
    layout->addWidget(circles);
    layout->addWidget(value);
    layout->addWidget(yesButtons(*this));
    connect(font_, &QPushButton::clicked, this, [this] {
        FontDialog dialog(fontChosen_, textColor_, this);
        if (runDialog(dialog) != QDialog::Accepted) return;
        fontChosen_ = dialog.font();
        textColor_ = dialog.color();
    });
}

std::optional<BadgeFormat> BadgeDialog::format() {
    if (minRadius_->value() > maxRadius_->value()) {
        warning(formatText(text(kMinAboveMax), {uiText("Мин.").toStdString()}));
        minRadius_->setFocus();
        return std::nullopt;
    }
    BadgeFormat f = start_;
    f.show = show_->isChecked() ? 1 : 0;
    f.badgeRadius = radius_->value();
    f.pointColor = pointColor_->color();
    f.valueShow = circles_->isChecked() ? 1 : 0;
    f.minRadius = minRadius_->value();
    f.maxRadius = maxRadius_->value();
    f.circleColor = circleColor_->color();
    f.showLabel = (text_->currentIndex() & 1) != 0 ? 1 : 0;
    f.showDigit = (text_->currentIndex() & 2) != 0 ? 1 : 0;
    f.digits = digits_->value();
    f.font = fontChosen_;
    f.textColor = textColor_;
    return f;
}

void BadgeDialog::accept() {
    if (!format()) return;  // said; the dialog stays
    QDialog::accept();
}

bool runBadgeDialog(QWidget* parent, CVexaView& view) {
    MapModel& model = view.model();
    PointSet* set = model.mainPoints();
    if (set == nullptr) return false;
    BadgeDialog dialog(set->badgeFormat, parent);
    if (runDialog(dialog) != QDialog::Accepted) return true;
    const std::optional<BadgeFormat> chosen = dialog.format();
    if (!chosen) return true;
    model.setBadgeFormat(*set, *chosen);
    return true;
}

}  // namespace gridova
