#include "app/dialogs/kriging_dialog.h"

#include <QComboBox>
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
constexpr double kDefaultSill = Kriging::kDefaultNugget + Kriging::kDefaultPartialSill;

QString numberText(double v) { return QString::fromStdString(formatDouble(v)); }

}  // namespace

KrigingDialog::KrigingDialog(const KrigingSettings& settings, const KrigingDataSummary& summary,
                             QWidget* parent)
    : QDialog(parent), data_(summary) {
    setObjectName(QStringLiteral("krigingDialog"));
    setWindowTitle(QStringLiteral("Параметры метода Kriging"));
    auto* source = new QGroupBox(QStringLiteral("Источник параметров"), this);
    defaults_ = new QRadioButton(QStringLiteral("По умолчанию"), source);
    custom_ = new QRadioButton(QStringLiteral("Произвольные"), source);
    previous_ = new QRadioButton(QStringLiteral("Предыдущие"), source);
    auto* sourceLayout = new QVBoxLayout(source);
    sourceLayout->addWidget(defaults_);
    sourceLayout->addWidget(custom_);
    sourceLayout->addWidget(previous_);
    model_ = new QComboBox(this);
    for (const char* name : {"Linear", "Spherical", "Exponential", "Gaussian"}) {
        model_->addItem(QString::fromLatin1(name));
    }
    range_ = new QLineEdit(this);
    nugget_ = new QLineEdit(this);
    sill_ = new QLineEdit(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Variogram"), model_);
    form->addRow(QStringLiteral("Range "), range_);
    form->addRow(QStringLiteral("Nugget"), nugget_);
    form->addRow(QStringLiteral("Sill"), sill_);
    auto* count =
        new QLabel(uiText(kPointCount) + ' ' + QString::number(summary.distinctPoints), this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Да"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отменить"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &KrigingDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addLayout(form);
    layout->addWidget(count);
    layout->addWidget(buttons);

    switch (settings.source) {
        case KrigingSource::Custom:
            custom_->setChecked(true);
            break;
        case KrigingSource::Previous:
            previous_->setChecked(true);
            break;
        case KrigingSource::Defaults:
            defaults_->setChecked(true);
            break;
    }
    showDefaults();
    show(settings);
    connect(defaults_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) showDefaults();
    });
    connect(previous_, &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        showDefaults();
        show(KrigingSettings::stored(KrigingSource::Previous));
    });
}

void KrigingDialog::showDefaults() {
    model_->setCurrentIndex(Kriging::kLinear);
    range_->setText(
        numberText(data_.diagonal > Kriging::kMinRange ? data_.diagonal : Kriging::kDefaultRange));
    nugget_->setText(numberText(Kriging::kDefaultNugget));
    sill_->setText(numberText(kDefaultSill));
}

void KrigingDialog::show(const KrigingSettings& s) {
    if (s.model && *s.model >= 0 && *s.model < model_->count()) model_->setCurrentIndex(*s.model);
    if (s.range) range_->setText(numberText(*s.range));
    if (s.nugget) nugget_->setText(numberText(*s.nugget));
    if (s.sill) sill_->setText(numberText(*s.sill));
}

std::optional<KrigingEntry> KrigingDialog::entry() {
    const auto read = [](QLineEdit* edit) {
        const auto v = parseNumber(edit->text().trimmed().toStdString());
        return v && std::isfinite(*v) ? v : std::nullopt;
    };
    const auto refuse = [](int message, const char* field, QLineEdit* edit) {
        warning(formatText(text(message), {std::string(field)}));
        edit->setFocus();
        edit->selectAll();
        return std::optional<KrigingEntry>();
    };
    const auto range = read(range_);
    if (!range || !(*range > Kriging::kMinRange)) return refuse(kNotPositive, "Range", range_);
    const auto nugget = read(nugget_);
    if (!nugget || *nugget < 0) return refuse(kNotANumber, "Nugget", nugget_);
    const auto sill = read(sill_);
    if (!sill || *sill < 0) return refuse(kNotANumber, "Sill", sill_);
    KrigingEntry e;
    e.source = custom_->isChecked()     ? KrigingSource::Custom
               : previous_->isChecked() ? KrigingSource::Previous
                                        : KrigingSource::Defaults;
    e.model = model_->currentIndex();
    e.range = *range;
    e.nugget = *nugget;
    e.sill = *sill;
    return e;
}

void KrigingDialog::accept() {
    if (!entry()) return;
    QDialog::accept();
}

}  // namespace gridova
