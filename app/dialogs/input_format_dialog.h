// "Формат входного файла": which columns of a data file hold X, Y, the
// value and the name ("1" to "4"; a larger column kept in the profile is
// offered too), and "Показывать диалог" (ask before every read). Shown
// before a data file is read when the profile says so, and alone by the
// command "Файл данных...".
#pragma once

#include <QDialog>

#include "data/data_table.h"

class QCheckBox;
class QComboBox;

namespace gridova {

class InputFormatEditor final : public QDialog {
    Q_OBJECT
public:
    InputFormatEditor(const InputFormat& format, QWidget* parent);

    QComboBox* xList() const { return x_; }
    QComboBox* yList() const { return y_; }
    QComboBox* valueList() const { return value_; }
    QComboBox* nameList() const { return name_; }
    QCheckBox* showBox() const { return show_; }
    // The choices (0-based columns).
    InputFormat format() const;

private:
    QComboBox* x_ = nullptr;
    QComboBox* y_ = nullptr;
    QComboBox* value_ = nullptr;
    QComboBox* name_ = nullptr;
    QCheckBox* show_ = nullptr;
};

// The dialog the data reader asks (setInputFormatDialog).
class QtInputFormatDialog final : public InputFormatDialog {
public:
    explicit QtInputFormatDialog(QWidget* parent) : parent_(parent) {}
    bool edit(InputFormat& format) override;

private:
    QWidget* parent_;
};

}  // namespace gridova
