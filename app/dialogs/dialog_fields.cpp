#include "app/dialogs/dialog_fields.h"
#include "app/ui_text.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/dialogs/dialog_runner.h"
#include "platform/messages.h"
#include "platform/numbers.h"

namespace gridova {

std::optional<double> fieldNumber(const QLineEdit& edit) {
    const auto v = parseNumber(edit.text().trimmed().toStdString());
    return v && std::isfinite(*v) ? v : std::nullopt;
}

std::optional<int> fieldWhole(const QLineEdit& edit) {
    bool whole = false;
    const int n = edit.text().trimmed().toInt(&whole);
    return whole ? std::optional<int>(n) : std::nullopt;
}

QSpinBox* spinField(QWidget* parent, int lo, int hi, int value) {
    auto* box = new QSpinBox(parent);
    box->setRange(lo, hi);
    box->setValue(std::clamp(value, lo, hi));
    return box;
}

QString fieldText(double value) { return QString::fromStdString(formatDouble(value)); }

void refuseField(int message, const QString& field, QLineEdit& edit,
                 std::optional<std::int64_t> extra) {
    warning(extra ? formatText(text(message), {field.toStdString(), *extra})
                  : formatText(text(message), {field.toStdString()}));
    edit.setFocus();
    edit.selectAll();
}

QDialogButtonBox* yesButtons(QDialog& dialog, const QString& cancel) {
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(uiText("Да"), QDialogButtonBox::AcceptRole);
    if (cancel.isEmpty()) {
        buttons->addButton(QDialogButtonBox::Cancel);
    } else {
        buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

QColor qColorOf(gdi::ColorRef color) {
    return QColor(static_cast<int>(gdi::redOf(color)), static_cast<int>(gdi::greenOf(color)),
                  static_cast<int>(gdi::blueOf(color)));
}

gdi::ColorRef colorRefOf(const QColor& color) {
    return gdi::rgb(static_cast<unsigned>(color.red()), static_cast<unsigned>(color.green()),
                    static_cast<unsigned>(color.blue()));
}

std::optional<gdi::ColorRef> askColor(QWidget* parent, gdi::ColorRef start) {
    QColorDialog dialog(qColorOf(start), parent);
    if (runDialog(dialog) != QDialog::Accepted) return std::nullopt;
    return colorRefOf(dialog.currentColor());
}

ColorButton::ColorButton(const QString& text, gdi::ColorRef color, QWidget* parent)
    : QPushButton(text, parent) {
    setColor(color);
    connect(this, &QPushButton::clicked, this, [this] {
        if (const auto chosen = askColor(this, color_)) setColor(*chosen);
    });
}

void ColorButton::setColor(gdi::ColorRef color) {
    color_ = color & 0xFFFFFFu;
    QPixmap swatch(16, 16);
    swatch.fill(qColorOf(color_));
    setIcon(QIcon(swatch));
}

ParameterSourceGroup::ParameterSourceGroup(QWidget* parent)
    : QGroupBox(uiText("Источник параметров"), parent) {
    defaults_ = new QRadioButton(uiText("По умолчанию"), this);
    custom_ = new QRadioButton(uiText("Произвольные"), this);
    previous_ = new QRadioButton(uiText("Предыдущие"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(defaults_);
    layout->addWidget(custom_);
    layout->addWidget(previous_);
    defaults_->setChecked(true);
}

int ParameterSourceGroup::source() const {
    return custom_->isChecked() ? 1 : previous_->isChecked() ? 2 : 0;
}

void ParameterSourceGroup::setSource(int source) {
    (source == 1 ? custom_ : source == 2 ? previous_ : defaults_)->setChecked(true);
}

}  // namespace gridova
