#include "app/dialogs/axis_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/font_dialog.h"
#include "app/ui_text.h"
#include "render/axes.h"

namespace gridova {
namespace {

constexpr int kLeft = 423;          // "Слева"
constexpr int kRight = 424;         // "Справа"
constexpr int kTop = 434;           // "Сверху"
constexpr int kBottom = 435;        // "Снизу"
constexpr int kNotPositive = 9159;  // "%s: нужно положительное число"
constexpr int kNotANumber = 9161;   // "%s: нужно число"

}  // namespace

std::pair<int, double> AxisDialog::ticksTo(double first, double step, double end) {
    if (!(step > 0) || !std::isfinite(first) || !(end >= first)) return {1, first};
    // Held to a count an int takes (a tiny step over a long axis).
    const double q = std::floor((end - first) / step + 1e-9);
    const int m = static_cast<int>(std::min(q, 1e9));
    return {m + 1, first + m * step};
}

AxisDialog::AxisDialog(const MapAxis& axis, const WorldRect& map,
                       std::vector<const PointSet*> series, QWidget* parent)
    : QDialog(parent), start_(axis), map_(map), seriesSets_(std::move(series)) {
    setObjectName(QStringLiteral("axisDialog"));
    setWindowTitle(uiText("Ось"));
    xy_ = new QComboBox(this);
    xy_->addItem(QStringLiteral("X"), MapAxis::kHorizontal);
    xy_->addItem(QStringLiteral("Y"), MapAxis::kVertical);
    xy_->setCurrentIndex(axis.xy == MapAxis::kVertical ? 1 : 0);
    side_ = new QComboBox(this);
    fillSides();
    side_->setCurrentIndex(std::max(0, side_->findData(axis.locate)));
    series_ = new QComboBox(this);
    series_->addItem(uiText("(нет)"));
    for (std::size_t k = 0; k < seriesSets_.size(); ++k) {
        series_->addItem(QString::fromStdString(seriesSets_[k]->name()));
        if (startSeries_ == 0 && showsSeries(axis, *seriesSets_[k])) {
            startSeries_ = static_cast<int>(k) + 1;
        }
    }
    series_->setCurrentIndex(startSeries_);
    title_ = new QLineEdit(QString::fromStdString(axis.title.value_or("")), this);
    font_ = new QPushButton(uiText("Шрифт..."), this);
    automatic_ = new QRadioButton(uiText("По умолчанию"), this);
    step_ = new QRadioButton(uiText("Через шаг"), this);
    previous_ = new QRadioButton(uiText("Предыдущие"), this);
    (axis.autoTicks != 0 ? automatic_ : step_)->setChecked(true);
    first_ = new QLineEdit(fieldText(axis.initTicks), this);
    stepEdit_ = new QLineEdit(fieldText(axis.tickStep), this);
    count_ = new QLabel(this);
    last_ = new QLabel(this);
    autoDigits_ = new QCheckBox(uiText("По умолчанию"), this);
    autoDigits_->setChecked(axis.autoDecimalDigit != 0);
    digits_ = spinField(this, 0, 10, axis.decimalDigit);
    show_ = new QCheckBox(uiText("Показывать"), this);
    show_->setChecked(axis.visible != 0);

    auto* where = new QFormLayout;
    where->addRow(uiText("Ось"), xy_);
    where->addRow(uiText("Положение"), side_);
    where->addRow(uiText("Серия"), series_);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(title_);
    titleRow->addWidget(font_);
    where->addRow(uiText("Название"), titleRow);
    auto* choice = new QGroupBox(uiText("Выбор разметки"), this);
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(automatic_);
    choiceLayout->addWidget(step_);
    choiceLayout->addWidget(previous_);
    auto* steps = new QGroupBox(uiText("Задание через шаг"), this);
    auto* stepsForm = new QFormLayout(steps);
    stepsForm->addRow(uiText("Минимальное значение"), first_);
    stepsForm->addRow(uiText("Величина шага"), stepEdit_);
    stepsForm->addRow(uiText("Число отметок"), count_);
    stepsForm->addRow(uiText("Максимальное значение"), last_);
    auto* digits = new QGroupBox(uiText("Число дробных цифр"), this);
    auto* digitsLayout = new QHBoxLayout(digits);
    digitsLayout->addWidget(autoDigits_);
    digitsLayout->addWidget(digits_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(where);
    layout->addWidget(choice);
    layout->addWidget(steps);
    layout->addWidget(digits);
    layout->addWidget(show_);
    layout->addWidget(yesButtons(*this));

    connect(xy_, &QComboBox::currentIndexChanged, this, [this] {
        fillSides();
        followTicks();
    });
    connect(font_, &QPushButton::clicked, this, [this] {
        FontDialog dialog(start_.font, start_.colorText, this);
        if (runDialog(dialog) != QDialog::Accepted) return;
        start_.font = dialog.font();
        start_.colorText = dialog.color();
    });
    connect(previous_, &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        // The side's remembered ticks and digits.
        MapAxis remembered = start_;
        remembered.xy = xy_->currentData().toInt();
        setAxisLocate(remembered, side_->currentData().toInt());
        readAxisTicks(remembered);
        first_->setText(fieldText(remembered.initTicks));
        stepEdit_->setText(fieldText(remembered.tickStep));
        autoDigits_->setChecked(remembered.autoDecimalDigit != 0);
        digits_->setValue(remembered.decimalDigit);
    });
    for (QRadioButton* b : {automatic_, step_, previous_}) {
        connect(b, &QRadioButton::toggled, this, &AxisDialog::followTicks);
    }
    connect(series_, &QComboBox::currentIndexChanged, this, &AxisDialog::followTicks);
    connect(first_, &QLineEdit::textChanged, this, &AxisDialog::followTicks);
    connect(stepEdit_, &QLineEdit::textChanged, this, &AxisDialog::followTicks);
    connect(autoDigits_, &QCheckBox::toggled, digits_,
            [this](bool on) { digits_->setEnabled(!on); });
    digits_->setEnabled(!autoDigits_->isChecked());
    followTicks();
}

const PointSet* AxisDialog::chosenSeries() const {
    const int k = series_->currentIndex();
    return k >= 1 && k <= static_cast<int>(seriesSets_.size())
               ? seriesSets_[static_cast<std::size_t>(k - 1)]
               : nullptr;
}

double AxisDialog::end() const {
    const bool across = xy_->currentData().toInt() == MapAxis::kHorizontal;
    const double e = across ? std::max(map_.xmin, map_.xmax) : std::max(map_.ymin, map_.ymax);
    // The labels' transform: the series chosen's, or the axis's own while
    // its series is left as it was.
    MapAxis shown = start_;
    shown.xy = xy_->currentData().toInt();
    if (series_->currentIndex() != startSeries_ || startSeries_ > 0) {
        attachSeries(shown, chosenSeries());
    }
    return axisValueOf(shown, e);
}

void AxisDialog::fillSides() {
    const bool vertical = xy_->currentData().toInt() == MapAxis::kVertical;
    const QSignalBlocker quiet(side_);
    side_->clear();
    if (vertical) {
        side_->addItem(uiText(kLeft), MapAxis::kLeft);
        side_->addItem(uiText(kRight), MapAxis::kRight);
    } else {
        side_->addItem(uiText(kTop), MapAxis::kTop);
        side_->addItem(uiText(kBottom), MapAxis::kBottom);
        side_->setCurrentIndex(1);
    }
}

void AxisDialog::followTicks() {
    const bool steps = !automatic_->isChecked();
    first_->setEnabled(steps);
    stepEdit_->setEnabled(steps);
    const auto first = fieldNumber(*first_);
    const auto step = fieldNumber(*stepEdit_);
    if (!first || !step || !(*step > 0)) {
        count_->clear();
        last_->clear();
        return;
    }
    const auto [count, last] = ticksTo(*first, *step, end());
    count_->setText(QString::number(count));
    last_->setText(fieldText(last));
}

std::optional<MapAxis> AxisDialog::axis() {
    MapAxis a = start_;
    a.xy = xy_->currentData().toInt();
    setAxisLocate(a, side_->currentData().toInt());
    fitAxis(a, map_);
    // A series chosen gives the labels its coordinates; an axis whose
    // series is not among the map's keeps its labels unless "(нет)" is
    // chosen.
    if (series_->currentIndex() != startSeries_ || startSeries_ > 0) {
        attachSeries(a, chosenSeries());
    }
    const std::string title = title_->text().trimmed().toStdString();
    a.title = title.empty() ? std::nullopt : std::optional<std::string>(title);
    a.autoTicks = automatic_->isChecked() ? 1 : 0;
    if (a.autoTicks == 0) {
        const auto first = fieldNumber(*first_);
        if (!first) {
            refuseField(kNotANumber, uiText("Минимальное значение"), *first_);
            return std::nullopt;
        }
        const auto step = fieldNumber(*stepEdit_);
        if (!step || !(*step > 0)) {
            refuseField(kNotPositive, uiText("Величина шага"), *stepEdit_);
            return std::nullopt;
        }
        a.initTicks = *first;
        a.tickStep = *step;
        a.lastTicks = ticksTo(*first, *step, end()).second;
    }
    a.autoDecimalDigit = autoDigits_->isChecked() ? 1 : 0;
    a.decimalDigit = digits_->value();
    a.labelFormat = "%." + std::to_string(a.decimalDigit) + "lf";
    a.visible = show_->isChecked() ? 1 : 0;
    return a;
}

void AxisDialog::accept() {
    if (!axis()) return;  // said; the dialog stays
    QDialog::accept();
}

namespace {

std::vector<const PointSet*> seriesOf(MapModel& model) {
    const std::vector<PointSet*> sets = model.pointTree().pointSets();
    return {sets.begin(), sets.end()};
}

}  // namespace

bool addAxisAsked(QWidget* parent, CVexaView& view) {
    MapAxis fresh;
    setAxisLocate(fresh, MapAxis::kBottom);
    readAxisProfile(fresh, axisProfileSection(fresh));
    // Along the map, so that the ticks can be counted to its end.
    const DRect& world = view.worldRect();
    AxisDialog dialog(fresh, {world.minX, world.minY, world.maxX, world.maxY},
                      seriesOf(view.model()), parent);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    const std::optional<MapAxis> chosen = dialog.axis();
    if (!chosen) return false;
    writeAxisProfile(*chosen, axisProfileSection(*chosen));
    view.axesLayer().add(*chosen);
    view.markChanged();
    return true;
}

bool editAxisAsked(QWidget* parent, CVexaView& view, MapAxis& axis) {
    const DRect& world = view.worldRect();
    AxisDialog dialog(axis, {world.minX, world.minY, world.maxX, world.maxY},
                      seriesOf(view.model()), parent);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    const std::optional<MapAxis> chosen = dialog.axis();
    if (!chosen) return false;
    writeAxisProfile(*chosen, axisProfileSection(*chosen));
    if (chosen->locate == axis.locate) {
        axis = *chosen;
    } else {
        view.axesLayer().remove(&axis);
        view.axesLayer().add(*chosen);
    }
    view.markChanged();
    return true;
}

}  // namespace gridova
