#include "app/dialogs/inverse_distance_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ui_text.h"

namespace gridova {
namespace {

constexpr int kPointCount = 330;    // "Количество точек"
constexpr int kNotPositive = 9159;  // "%s: нужно положительное число"
constexpr int kNotANumber = 9161;   // "%s: нужно число"

const QString kRadius = uiText("Радиус поиска");
const QString kTolerance = uiText("Мин радиус");
const QString kPower = uiText("Степень");
const QString kNearest = uiText("Ближайшие точки");

}  // namespace

InverseDistanceDialog::InverseDistanceDialog(const InverseDistanceSettings& settings,
                                             const InverseDistanceParameters& defaults, int points,
                                             QWidget* parent)
    : QDialog(parent), defaultValues_(defaults) {
    setObjectName(QStringLiteral("inverseDistanceDialog"));
    setWindowTitle(uiText("Параметры метода обратного расстояния"));
    source_ = new ParameterSourceGroup(this);
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
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source_);
    layout->addLayout(form);
    layout->addWidget(new QLabel(uiText(kPointCount) + ' ' + QString::number(points), this));
    layout->addWidget(yesButtons(*this, uiText("Отменить")));

    source_->setSource(static_cast<int>(settings.source));
    show(defaults);
    show(settings);
    connect(defaultsButton(), &QRadioButton::toggled, this, [this](bool on) {
        if (on) show(defaultValues_);
    });
    connect(previousButton(), &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        show(defaultValues_);
        show(InverseDistanceSettings::stored(InverseDistanceSource::Previous));
    });
}

void InverseDistanceDialog::show(const InverseDistanceParameters& p) {
    radius_->setText(fieldText(p.radius));
    tolerance_->setText(fieldText(p.tolerance));
    power_->setText(fieldText(p.power));
    nearest_->setText(QString::number(p.nearestPoints));
    plateau_->setText(fieldText(p.plateau));
}

void InverseDistanceDialog::show(const InverseDistanceSettings& s) {
    if (s.radius) radius_->setText(fieldText(*s.radius));
    if (s.tolerance) tolerance_->setText(fieldText(*s.tolerance));
    if (s.power) power_->setText(fieldText(*s.power));
    if (s.nearestPoints) nearest_->setText(QString::number(*s.nearestPoints));
    if (s.plateau) plateau_->setText(fieldText(*s.plateau));
}

std::optional<InverseDistanceSettings> InverseDistanceDialog::settings() {
    const auto radius = fieldNumber(*radius_);
    if (!radius || !(*radius > 0)) {
        refuseField(kNotPositive, kRadius, *radius_);
        return std::nullopt;
    }
    const auto tolerance = fieldNumber(*tolerance_);
    if (!tolerance || *tolerance < 0) {
        refuseField(kNotANumber, kTolerance, *tolerance_);
        return std::nullopt;
    }
    const auto power = fieldNumber(*power_);
    if (!power) {
        refuseField(kNotANumber, kPower, *power_);
        return std::nullopt;
    }
    const auto nearest = fieldWhole(*nearest_);
    if (!nearest || *nearest < 1) {
        refuseField(kNotPositive, kNearest, *nearest_);
        return std::nullopt;
    }
    InverseDistanceSettings s;
    s.source = static_cast<InverseDistanceSource>(source_->source());
    s.radius = *radius;
    s.tolerance = *tolerance;
    // A power too small to be one is not taken: the previous one stays.
    if (*power >= InverseDistance::kMinPower) s.power = *power;
    s.nearestPoints = *nearest;
    if (const auto plateau = fieldNumber(*plateau_)) s.plateau = *plateau;
    return s;
}

void InverseDistanceDialog::accept() {
    if (!settings()) return;
    QDialog::accept();
}

}  // namespace gridova
