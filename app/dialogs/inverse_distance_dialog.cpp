#include "app/dialogs/inverse_distance_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/ui_text.h"
#include "platform/messages.h"
#include "platform/numbers.h"

namespace gridova {
namespace {

constexpr int kPointCount = 330;    // "Количество точек"
constexpr int kNotPositive = 9159;  // "%s: нужно положительное число"
constexpr int kNotANumber = 9161;   // "%s: нужно число"

const QString kRadius = QStringLiteral("Радиус поиска");
const QString kTolerance = QStringLiteral("Мин радиус");
const QString kPower = QStringLiteral("Степень");
const QString kNearest = QStringLiteral("Ближайшие точки");

QString numberText(double v) { return QString::fromStdString(formatDouble(v)); }

}  // namespace

InverseDistanceDialog::InverseDistanceDialog(const InverseDistanceSettings& settings,
                                             const InverseDistanceParameters& defaults, int points,
                                             QWidget* parent)
    : QDialog(parent), defaultValues_(defaults) {
    setObjectName(QStringLiteral("inverseDistanceDialog"));
    setWindowTitle(QStringLiteral("Параметры метода обратного расстояния"));
    auto* source = new QGroupBox(QStringLiteral("Источник параметров"), this);
    defaults_ = new QRadioButton(QStringLiteral("По умолчанию"), source);
    custom_ = new QRadioButton(QStringLiteral("Произвольные"), source);
    previous_ = new QRadioButton(QStringLiteral("Предыдущие"), source);
    auto* sourceLayout = new QVBoxLayout(source);
    sourceLayout->addWidget(defaults_);
    sourceLayout->addWidget(custom_);
    sourceLayout->addWidget(previous_);
    radius_ = new QLineEdit(this);
    tolerance_ = new QLineEdit(this);
    power_ = new QLineEdit(this);
    nearest_ = new QLineEdit(this);
    plateau_ = new QLineEdit(this);
    plateau_->hide();
    auto* form = new QFormLayout;
    form->addRow(kRadius, radius_);
    form->addRow(kTolerance, tolerance_);
    form->addRow(kPower, power_);
    form->addRow(kNearest, nearest_);
    auto* count = new QLabel(uiText(kPointCount) + ' ' + QString::number(points), this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Да"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отменить"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &InverseDistanceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addLayout(form);
    layout->addWidget(count);
    layout->addWidget(buttons);

    switch (settings.source) {
        case InverseDistanceSource::Custom:
            custom_->setChecked(true);
            break;
        case InverseDistanceSource::Previous:
            previous_->setChecked(true);
            break;
        case InverseDistanceSource::Defaults:
            defaults_->setChecked(true);
            break;
    }
    show(defaults);
    show(settings);
    connect(defaults_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) show(defaultValues_);
    });
    connect(previous_, &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        show(defaultValues_);
        show(InverseDistanceSettings::stored(InverseDistanceSource::Previous));
    });
}

void InverseDistanceDialog::show(const InverseDistanceParameters& p) {
    radius_->setText(numberText(p.radius));
    tolerance_->setText(numberText(p.tolerance));
    power_->setText(numberText(p.power));
    nearest_->setText(QString::number(p.nearestPoints));
    plateau_->setText(numberText(p.plateau));
}

void InverseDistanceDialog::show(const InverseDistanceSettings& s) {
    if (s.radius) radius_->setText(numberText(*s.radius));
    if (s.tolerance) tolerance_->setText(numberText(*s.tolerance));
    if (s.power) power_->setText(numberText(*s.power));
    if (s.nearestPoints) nearest_->setText(QString::number(*s.nearestPoints));
    if (s.plateau) plateau_->setText(numberText(*s.plateau));
}

std::optional<InverseDistanceSettings> InverseDistanceDialog::settings() {
    const auto refuse = [](int message, const QString& field, QLineEdit* edit) {
        warning(formatText(text(message), {field.toStdString()}));
        edit->setFocus();
        edit->selectAll();
        return std::optional<InverseDistanceSettings>();
    };
    const auto number = [](QLineEdit* edit) {
        const auto v = parseNumber(edit->text().trimmed().toStdString());
        return v && std::isfinite(*v) ? v : std::nullopt;
    };
    InverseDistanceSettings s;
    s.source = custom_->isChecked()     ? InverseDistanceSource::Custom
               : previous_->isChecked() ? InverseDistanceSource::Previous
                                        : InverseDistanceSource::Defaults;
    const auto radius = number(radius_);
    if (!radius || !(*radius > 0)) return refuse(kNotPositive, kRadius, radius_);
    const auto tolerance = number(tolerance_);
    if (!tolerance || *tolerance < 0) return refuse(kNotANumber, kTolerance, tolerance_);
    const auto power = number(power_);
    if (!power) return refuse(kNotANumber, kPower, power_);
    bool whole = false;
    const int nearest = nearest_->text().trimmed().toInt(&whole);
    if (!whole || nearest < 1) return refuse(kNotPositive, kNearest, nearest_);
    s.radius = *radius;
    s.tolerance = *tolerance;
    // A power too small to be one is not taken: the previous one stays.
    if (*power >= InverseDistance::kMinPower) s.power = *power;
    s.nearestPoints = nearest;
    if (const auto plateau = number(plateau_)) s.plateau = *plateau;
    return s;
}

void InverseDistanceDialog::accept() {
    if (!settings()) return;
    QDialog::accept();
}

}  // namespace gridova
