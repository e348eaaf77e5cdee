#include "app/dialogs/kriging_dialog.h"

#include <QComboBox>
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
constexpr double kDefaultSill = Kriging::kDefaultNugget + Kriging::kDefaultPartialSill;

}  // namespace

KrigingDialog::KrigingDialog(const KrigingSettings& settings, const KrigingDataSummary& summary,
                             QWidget* parent)
    : QDialog(parent), data_(summary) {
    setObjectName(QStringLiteral("krigingDialog"));
    setWindowTitle(QStringLiteral("Параметры метода Kriging"));
    source_ = new ParameterSourceGroup(this);
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
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source_);
    layout->addLayout(form);
    layout->addWidget(
        new QLabel(uiText(kPointCount) + ' ' + QString::number(summary.distinctPoints), this));
    layout->addWidget(yesButtons(*this, QStringLiteral("Отменить")));

    source_->setSource(static_cast<int>(settings.source));
    showDefaults();
    show(settings);
    connect(defaultsButton(), &QRadioButton::toggled, this, [this](bool on) {
        if (on) showDefaults();
    });
    connect(previousButton(), &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        showDefaults();
        show(KrigingSettings::stored(KrigingSource::Previous));
    });
}

void KrigingDialog::showDefaults() {
    model_->setCurrentIndex(Kriging::kLinear);
    range_->setText(
        fieldText(data_.diagonal > Kriging::kMinRange ? data_.diagonal : Kriging::kDefaultRange));
    nugget_->setText(fieldText(Kriging::kDefaultNugget));
    sill_->setText(fieldText(kDefaultSill));
}

void KrigingDialog::show(const KrigingSettings& s) {
    if (s.model && *s.model >= 0 && *s.model < model_->count()) model_->setCurrentIndex(*s.model);
    if (s.range) range_->setText(fieldText(*s.range));
    if (s.nugget) nugget_->setText(fieldText(*s.nugget));
    if (s.sill) sill_->setText(fieldText(*s.sill));
}

std::optional<KrigingEntry> KrigingDialog::entry() {
    const auto range = fieldNumber(*range_);
    if (!range || !(*range > Kriging::kMinRange)) {
        refuseField(kNotPositive, QStringLiteral("Range"), *range_);
        return std::nullopt;
    }
    const auto nugget = fieldNumber(*nugget_);
    if (!nugget || *nugget < 0) {
        refuseField(kNotANumber, QStringLiteral("Nugget"), *nugget_);
        return std::nullopt;
    }
    const auto sill = fieldNumber(*sill_);
    if (!sill || *sill < 0) {
        refuseField(kNotANumber, QStringLiteral("Sill"), *sill_);
        return std::nullopt;
    }
    KrigingEntry e;
    e.source = static_cast<KrigingSource>(source_->source());
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
