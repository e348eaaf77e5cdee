#include "app/dialogs/input_format_dialog.h"
#include "app/ui_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "app/dialogs/dialog_runner.h"

namespace gridova {
namespace {

constexpr int kColumnsOffered = 4;

// Columns "1" to "4", and the stored one when it lies beyond them.
QComboBox* columnList(std::int32_t column, QWidget* parent) {
    auto* list = new QComboBox(parent);
    const int last = std::max<int>(kColumnsOffered, column + 1);
    for (int c = 1; c <= last; ++c) {
        if (c <= kColumnsOffered || c == column + 1) list->addItem(QString::number(c), c - 1);
    }
    const int index = list->findData(column);
    list->setCurrentIndex(index >= 0 ? index : 0);
    return list;
}

}  // namespace

InputFormatEditor::InputFormatEditor(const InputFormat& format, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("inputFormatDialog"));
    setWindowTitle(uiText("Формат входного файла"));
    x_ = columnList(format.columnX, this);
    y_ = columnList(format.columnY, this);
    value_ = columnList(format.columnValue, this);
    name_ = columnList(format.columnLabel, this);
    show_ = new QCheckBox(uiText("Показывать диалог"), this);
    show_->setChecked(format.showDialog == 1);
    auto* form = new QFormLayout;
    form->addRow(uiText("Координата X"), x_);
    form->addRow(uiText("Координата Y"), y_);
    form->addRow(uiText("Значение"), value_);
    form->addRow(uiText("Название"), name_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(show_);
    layout->addWidget(buttons);
}

InputFormat InputFormatEditor::format() const {
    InputFormat f;
    f.columnX = x_->currentData().toInt();
    f.columnY = y_->currentData().toInt();
    f.columnValue = value_->currentData().toInt();
    f.columnLabel = name_->currentData().toInt();
    f.showDialog = show_->isChecked() ? 1 : 0;
    return f;
}

bool QtInputFormatDialog::edit(InputFormat& format) {
    InputFormatEditor dialog(format, parent_);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    format = dialog.format();
    return true;
}

}  // namespace gridova
