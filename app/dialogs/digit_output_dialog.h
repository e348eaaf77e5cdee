// "Формат выходного файла": the number format of the text export of the
// grid's values ("Запись числ. данных"): numbers to a line, the least
// characters of a number, the digits after the point, the comment
// character that starts the header line (empty: no header line) and the
// choice of X Y Z lines. The export stores what "Да" gives in the profile.
#pragma once

#include <QDialog>
#include <optional>

#include "exchange/grid_export.h"

class QCheckBox;
class QLineEdit;

namespace gridova {

class DigitOutputDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxRowCount = 1000;
    static constexpr int kMaxCharCount = 20;
    static constexpr int kMaxDecimalCount = 10;

    DigitOutputDialog(const DigitOutput& start, QWidget* parent);

    QLineEdit* rowCountEdit() const { return rowCount_; }
    QLineEdit* charCountEdit() const { return charCount_; }
    QLineEdit* decimalCountEdit() const { return decimalCount_; }
    QLineEdit* commentEdit() const { return comment_; }
    QCheckBox* xyzBox() const { return xyz_; }

    // The settings of the fields; nothing after a field was refused (said).
    std::optional<DigitOutput> settings();
    void accept() override;

private:
    DigitOutput start_;
    QLineEdit* rowCount_ = nullptr;
    QLineEdit* charCount_ = nullptr;
    QLineEdit* decimalCount_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QCheckBox* xyz_ = nullptr;
};

// The dialog opened with these settings; what "Да" gives, nothing when it
// was cancelled.
std::optional<DigitOutput> askDigitOutput(QWidget* parent, const DigitOutput& start);

}  // namespace gridova
