// What the dialogs share: reading their edit fields, refusing a field with
// its message, the "Да" button row, and the group that says where a
// method's parameters come from.
#pragma once

#include <QColor>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/gdi.h"

class QDialog;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace gridova {

// The names of the pen styles 0..4 in the lists of line and isoline looks.
inline constexpr std::array<const char*, 5> kPenStyleNames{
    "Сплошная", "Штрих", "Пунктир", "Штрих-пунктир", "Штрих-пунктир-пунктир"};

// The field's number when its text passes the number test and is finite.
std::optional<double> fieldNumber(const QLineEdit& edit);
// The field's whole number.
std::optional<int> fieldWhole(const QLineEdit& edit);
// A spin box over lo..hi starting at the value (held to the range).
QSpinBox* spinField(QWidget* parent, int lo, int hi, int value);
// A number as fields show it: its shortest exact form.
QString fieldText(double value);
// Shows the numbered message filled with the field's name (and `extra`),
// and puts the focus on the field with its text selected.
void refuseField(int message, const QString& field, QLineEdit& edit,
                 std::optional<std::int64_t> extra = std::nullopt);
// "Да" and a cancel button (`cancel`; empty: the standard one), wired to
// the dialog's accept and reject.
QDialogButtonBox* yesButtons(QDialog& dialog, const QString& cancel = {});

// Colours between the map's form and Qt's.
QColor qColorOf(gdi::ColorRef color);
gdi::ColorRef colorRefOf(const QColor& color);

// Qt's colour dialog starting at the colour, shown through runDialog (so
// tests answer it); nothing when cancelled.
std::optional<gdi::ColorRef> askColor(QWidget* parent, gdi::ColorRef start);

// A button that shows its colour; a click chooses another in Qt's colour
// dialog.
class ColorButton final : public QPushButton {
    Q_OBJECT
public:
    ColorButton(const QString& text, gdi::ColorRef color, QWidget* parent);
    gdi::ColorRef color() const { return color_; }
    void setColor(gdi::ColorRef color);

private:
    gdi::ColorRef color_ = 0;
};

// "Источник параметров": "По умолчанию" (0), "Произвольные" (1),
// "Предыдущие" (2), as the profile's "Type Init" numbers them.
class ParameterSourceGroup final : public QGroupBox {
    Q_OBJECT
public:
    explicit ParameterSourceGroup(QWidget* parent);
    int source() const;
    void setSource(int source);
    QRadioButton* defaultsButton() const { return defaults_; }
    QRadioButton* customButton() const { return custom_; }
    QRadioButton* previousButton() const { return previous_; }

private:
    QRadioButton* defaults_ = nullptr;
    QRadioButton* custom_ = nullptr;
    QRadioButton* previous_ = nullptr;
};

}  // namespace gridova
