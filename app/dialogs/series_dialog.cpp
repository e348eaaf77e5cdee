#include "app/dialogs/series_dialog.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/ui_text.h"
#include "objects/array_series.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr const char* kSection = "Series";
constexpr const char* kWindowKey = "Window";
constexpr const char* kThresholdKey = "Threshold";
constexpr int kNeedsWhole = 9163;      // "%s: нужно целое число от 0 до %d"
constexpr int kNotANumber = 9161;      // "%s: нужно число"
constexpr int kWindowTitle = 9428;     // "Сгладить серию..."
constexpr int kThresholdTitle = 9429;  // "Выбросы серии..."
constexpr int kMinWidth = 300;         // pixels

QString fieldName(SeriesParameterDialog::Kind kind) {
    return kind == SeriesParameterDialog::Kind::Window ? uiText("Ширина окна сглаживания")
                                                       : uiText("Порог выбросов t");
}

// The title without its trailing dots.
QString titleOf(int number) {
    QString title = uiText(number);
    while (title.endsWith(QLatin1Char('.'))) title.chop(1);
    return title;
}

}  // namespace

SeriesParameterDialog::SeriesParameterDialog(Kind kind, double value, QWidget* parent)
    : QDialog(parent), kind_(kind) {
    setObjectName(kind == Kind::Window ? QStringLiteral("seriesWindowDialog")
                                       : QStringLiteral("seriesThresholdDialog"));
    setWindowTitle(titleOf(kind == Kind::Window ? kWindowTitle : kThresholdTitle));
    value_ = new QLineEdit(fieldText(value), this);
    auto* form = new QFormLayout;
    form->addRow(fieldName(kind), value_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(yesButtons(*this));
    setMinimumWidth(kMinWidth);
}

std::optional<double> SeriesParameterDialog::value() {
    if (kind_ == Kind::Window) {
        const std::optional<int> w = fieldWhole(*value_);
        if (!w || *w < 0) {
            refuseField(kNeedsWhole, fieldName(kind_), *value_,
                        std::numeric_limits<std::int32_t>::max());
            return std::nullopt;
        }
        return *w;
    }
    const std::optional<double> t = fieldNumber(*value_);
    if (!t) {
        refuseField(kNotANumber, fieldName(kind_), *value_);
        return std::nullopt;
    }
    return t;
}

void SeriesParameterDialog::accept() {
    if (!value()) return;  // said; the dialog stays
    QDialog::accept();
}

bool runSmoothSeriesDialog(QWidget* parent, CVexaView& view) {
    std::int32_t window = ArraySeries::kDefaultWindow;
    readProfileInt(kSection, kWindowKey, window);
    SeriesParameterDialog dialog(SeriesParameterDialog::Kind::Window, std::max(window, 0), parent);
    if (runDialog(dialog) != QDialog::Accepted) return true;
    const std::optional<double> chosen = dialog.value();
    if (!chosen) return true;
    window = static_cast<std::int32_t>(*chosen);
    writeProfileInt(kSection, kWindowKey, window);
    view.model().smoothSeries(window);
    return true;
}

bool runSeriesOutliersDialog(QWidget* parent, CVexaView& view) {
    double threshold = ArraySeries::kDefaultThreshold;
    readProfileDouble(kSection, kThresholdKey, threshold);
    SeriesParameterDialog dialog(SeriesParameterDialog::Kind::Threshold, threshold, parent);
    if (runDialog(dialog) != QDialog::Accepted) return true;
    const std::optional<double> chosen = dialog.value();
    if (!chosen) return true;
    writeProfileDouble(kSection, kThresholdKey, *chosen);
    view.model().markSeries(*chosen);
    return true;
}

}  // namespace gridova
