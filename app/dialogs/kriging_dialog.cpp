#include "app/dialogs/kriging_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ui_text.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kPointCount = 330;    // "Количество точек"
constexpr int kNotPositive = 9159;  // "%s: нужно положительное число"
constexpr int kNotANumber = 9161;   // "%s: нужно число"
constexpr int kFromData = 9166;     // "Вариограмма по данным"
constexpr int kFit = 9167;          // "Подобрать"
constexpr int kTake = 9168;         // "Взять подобранные"
constexpr int kTooFewPairs = 9169;  // "Мало пар точек для подбора вариограммы"
constexpr int kFitted = 9170;  // "Подобрано: Range %lg, Nugget %lg, Sill %lg"
constexpr int kNoSill = 9171;  // "... не выходит на порог ..."
constexpr double kDefaultSill = Kriging::kDefaultNugget + Kriging::kDefaultPartialSill;

}  // namespace

KrigingDialog::KrigingDialog(const KrigingSettings& settings, const KrigingDataSummary& summary,
                             QWidget* parent)
    : QDialog(parent), data_(summary) {
    setObjectName(QStringLiteral("krigingDialog"));
    setWindowTitle(uiText("Параметры метода Kriging"));
    source_ = new ParameterSourceGroup(this);
    model_ = new QComboBox(this);
    for (const char* name : {"Linear", "Spherical", "Exponential", "Gaussian"}) {
        model_->addItem(QString::fromLatin1(name));
    }
    range_ = new QLineEdit(this);
    nugget_ = new QLineEdit(this);
    sill_ = new QLineEdit(this);
    auto* form = new QFormLayout;
    form->addRow(uiText("Variogram"), model_);
    form->addRow(uiText("Range"), range_);
    form->addRow(uiText("Nugget"), nugget_);
    form->addRow(uiText("Sill"), sill_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source_);
    layout->addLayout(form);
    layout->addWidget(
        new QLabel(uiText(kPointCount) + ' ' + QString::number(summary.distinctPoints), this));

    auto* fromData = new QGroupBox(uiText(kFromData), this);
    plot_ = new VariogramPlot(fromData);
    fit_ = new QPushButton(uiText(kFit), fromData);
    take_ = new QPushButton(uiText(kTake), fromData);
    take_->setEnabled(false);
    fitText_ = new QLabel(fromData);
    fitText_->setWordWrap(true);
    auto* fitButtons = new QHBoxLayout;
    fitButtons->addWidget(fit_);
    fitButtons->addWidget(take_);
    fitButtons->addStretch();
    auto* fromDataLayout = new QVBoxLayout(fromData);
    fromDataLayout->addWidget(plot_);
    fromDataLayout->addLayout(fitButtons);
    fromDataLayout->addWidget(fitText_);
    layout->addWidget(fromData);
    layout->addWidget(yesButtons(*this, uiText("Отменить")));
    connect(fit_, &QPushButton::clicked, this, &KrigingDialog::fitModel);
    connect(take_, &QPushButton::clicked, this, &KrigingDialog::takeFit);
    connect(model_, &QComboBox::currentIndexChanged, this, [this] {
        // A fit belongs to its model.
        fitted_.reset();
        plot_->setFitted(std::nullopt);
        take_->setEnabled(false);
        fitText_->clear();
        showEntered();
    });
    for (QLineEdit* edit : {range_, nugget_, sill_}) {
        connect(edit, &QLineEdit::textChanged, this, &KrigingDialog::showEntered);
    }

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
    // The points' variogram is shown at once when it is quick to make.
    if (data_.x.size() <= 2000) {
        variogram_ = experimentalVariogram(data_.x, data_.y, data_.value);
        plot_->setVariogram(*variogram_);
    }
    showEntered();
}

void KrigingDialog::showEntered() {
    const auto range = fieldNumber(*range_);
    const auto nugget = fieldNumber(*nugget_);
    const auto sill = fieldNumber(*sill_);
    if (!range || !(*range > Kriging::kMinRange) || !nugget || !sill) {
        plot_->setEntered(std::nullopt);
        return;
    }
    FittedVariogram entered;
    entered.model = model_->currentIndex();
    entered.range = *range;
    entered.nugget = *nugget;
    entered.partialSill = *sill - *nugget;
    plot_->setEntered(entered);
}

void KrigingDialog::fitModel() {
    if (!variogram_) {
        variogram_ = experimentalVariogram(data_.x, data_.y, data_.value);
        plot_->setVariogram(*variogram_);
    }
    const FittedVariogram fit = fitVariogram(*variogram_, model_->currentIndex());
    if (!fit.ok) {
        fitted_.reset();
        fitText_->setText(uiText(kTooFewPairs));
        take_->setEnabled(false);
        plot_->setFitted(std::nullopt);
        return;
    }
    fitted_ = fit;
    plot_->setFitted(fit);
    QString said = QString::fromStdString(
        formatText(text(kFitted, "Подобрано: Range %lg, Nugget %lg, Sill %lg"),
                   {fit.range, fit.nugget, fit.sill()}));
    if (!fit.levelsOff) said += '\n' + uiText(kNoSill);
    fitText_->setText(said);
    take_->setEnabled(true);
}

void KrigingDialog::takeFit() {
    if (!fitted_) return;
    source_->setSource(static_cast<int>(KrigingSource::Custom));
    range_->setText(fieldText(fitted_->range));
    nugget_->setText(fieldText(fitted_->nugget));
    sill_->setText(fieldText(fitted_->sill()));
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
        refuseField(kNotPositive, uiText("Range"), *range_);
        return std::nullopt;
    }
    const auto nugget = fieldNumber(*nugget_);
    if (!nugget || *nugget < 0) {
        refuseField(kNotANumber, uiText("Nugget"), *nugget_);
        return std::nullopt;
    }
    const auto sill = fieldNumber(*sill_);
    if (!sill || *sill < 0) {
        refuseField(kNotANumber, uiText("Sill"), *sill_);
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
