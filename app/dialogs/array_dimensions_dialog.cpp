#include "app/dialogs/array_dimensions_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/grid_size_dialog.h"
#include "app/ui_text.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr int kSizesX = 478;     // "Размер ячеек по X"
constexpr int kSizesY = 9173;    // "Размер ячеек по Y"
constexpr int kBadSizes = 9175;  // "%s: все размеры ячеек должны быть положительными числами"
constexpr int kNotPositive = 9159;  // "%s: нужно положительное число"
constexpr int kNotANumber = 9161;   // "%s: нужно число"
constexpr int kBadColumns = 179;    // "Ошибка в размерности X"
constexpr int kBadRows = 180;       // "Ошибка в размерности Y"
constexpr int kBadLayers = 181;     // "Ошибка в размерности Z"

std::string pathIn(const std::string& directory) {
    return directory.empty() ? std::string(ArrayLayout::kFileName)
                             : directory + "/" + ArrayLayout::kFileName;
}

// The field's whole number (64 bits, so that a huge count is refused
// rather than cut).
std::optional<std::int64_t> fieldCount(const QLineEdit& edit) {
    return parseLong(edit.text().trimmed().toStdString());
}

}  // namespace

ArrayDimensionsDialog::ArrayDimensionsDialog(std::int64_t count, ArrayLayout start,
                                             std::string directory, QWidget* parent)
    : QDialog(parent), count_(count), layout_(std::move(start)), directory_(std::move(directory)) {
    setObjectName(QStringLiteral("arrayDimensionsDialog"));
    setWindowTitle(uiText("Размеры поля"));
    columns_ = new QLineEdit(this);
    rows_ = new QLineEdit(this);
    layers_ = new QLineEdit(this);
    topToBottom_ = new QCheckBox(uiText("Сверху вниз по Y"), this);
    originX_ = new QLineEdit(this);
    originY_ = new QLineEdit(this);
    cellWidth_ = new QLineEdit(this);
    cellHeight_ = new QLineEdit(this);
    columnWidths_ = new QPushButton(uiText("Разные по X"), this);
    rowHeights_ = new QPushButton(uiText("Разные по Y"), this);

    auto* counts = new QGroupBox(uiText("Число узлов"), this);
    auto* countsForm = new QFormLayout(counts);
    countsForm->addRow(QStringLiteral("X"), columns_);
    countsForm->addRow(QStringLiteral("Y"), rows_);
    countsForm->addRow(QStringLiteral("Z"), layers_);
    countsForm->addRow(topToBottom_);
    auto* corner = new QGroupBox(uiText("Координаты нижнего левого угла сетки"), this);
    auto* cornerForm = new QFormLayout(corner);
    cornerForm->addRow(QStringLiteral("X"), originX_);
    cornerForm->addRow(QStringLiteral("Y"), originY_);
    auto* cells = new QGroupBox(uiText("Размеры ячеек"), this);
    auto* cellsGrid = new QGridLayout(cells);
    cellsGrid->addWidget(new QLabel(QStringLiteral("X"), cells), 0, 0);
    cellsGrid->addWidget(cellWidth_, 0, 1);
    cellsGrid->addWidget(columnWidths_, 0, 2);
    cellsGrid->addWidget(new QLabel(QStringLiteral("Y"), cells), 1, 0);
    cellsGrid->addWidget(cellHeight_, 1, 1);
    cellsGrid->addWidget(rowHeights_, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(counts);
    layout->addWidget(corner);
    layout->addWidget(cells);
    layout->addWidget(yesButtons(*this));

    showLayout();
    connect(columns_, &QLineEdit::editingFinished, this, [this] { takeColumns(); });
    connect(rows_, &QLineEdit::editingFinished, this, [this] { takeRows(); });
    connect(layers_, &QLineEdit::editingFinished, this, [this] { takeLayers(); });
    connect(originX_, &QLineEdit::editingFinished, this, [this] { takeOrigin(true); });
    connect(originY_, &QLineEdit::editingFinished, this, [this] { takeOrigin(false); });
    connect(cellWidth_, &QLineEdit::editingFinished, this, [this] { takeCellSize(true); });
    connect(cellHeight_, &QLineEdit::editingFinished, this, [this] { takeCellSize(false); });
    connect(columnWidths_, &QPushButton::clicked, this, [this] { editSizes(true); });
    connect(rowHeights_, &QPushButton::clicked, this, [this] { editSizes(false); });
    connect(topToBottom_, &QCheckBox::toggled, this, [this](bool on) { layout_.topToBottom = on; });
}

void ArrayDimensionsDialog::showLayout() {
    const QSignalBlocker blockX(columns_), blockY(rows_), blockZ(layers_);
    columns_->setText(QString::number(layout_.nx));
    rows_->setText(QString::number(layout_.ny));
    layers_->setText(QString::number(layout_.nz));
    topToBottom_->setChecked(layout_.topToBottom);
    const auto show = [](QLineEdit* edit, const OptionalValue& v) {
        edit->setText(v.present() ? fieldText(v.value) : QString());
    };
    show(originX_, layout_.originX);
    show(originY_, layout_.originY);
    show(cellWidth_, layout_.cellWidth);
    show(cellHeight_, layout_.cellHeight);
}

bool ArrayDimensionsDialog::takeCount(QLineEdit& edit, std::int32_t shown,
                                      int (ArrayLayout::*set)(std::int64_t, std::int64_t),
                                      int refusal) {
    if (edit.text().trimmed() == QString::number(shown)) return true;
    const std::optional<std::int64_t> n = fieldCount(edit);
    const int refused = n ? (layout_.*set)(*n, count_) : refusal;
    if (refused != 0) warning(text(refused));
    showLayout();
    return refused == 0;
}

bool ArrayDimensionsDialog::takeColumns() {
    return takeCount(*columns_, layout_.nx, &ArrayLayout::setColumns, kBadColumns);
}

bool ArrayDimensionsDialog::takeRows() {
    return takeCount(*rows_, layout_.ny, &ArrayLayout::setRows, kBadRows);
}

bool ArrayDimensionsDialog::takeLayers() {
    return takeCount(*layers_, layout_.nz, &ArrayLayout::setLayers, kBadLayers);
}

bool ArrayDimensionsDialog::takeOrigin(bool alongX) {
    QLineEdit& edit = alongX ? *originX_ : *originY_;
    OptionalValue& origin = alongX ? layout_.originX : layout_.originY;
    if (edit.text().trimmed().isEmpty()) {
        origin.clear();
        return true;
    }
    const std::optional<double> v = fieldNumber(edit);
    if (!v) {
        refuseField(kNotANumber, alongX ? QStringLiteral("X") : QStringLiteral("Y"), edit);
        return false;
    }
    origin.set(*v);
    return true;
}

bool ArrayDimensionsDialog::takeCellSize(bool alongX) {
    QLineEdit& edit = alongX ? *cellWidth_ : *cellHeight_;
    const OptionalValue& size = alongX ? layout_.cellWidth : layout_.cellHeight;
    // An empty field keeps the different sizes of the list.
    if (edit.text().trimmed().isEmpty()) return true;
    const std::optional<double> v = fieldNumber(edit);
    if (!v || *v <= 0) {
        refuseField(kNotPositive, uiText(alongX ? kSizesX : kSizesY), edit);
        return false;
    }
    if (size.present() && size.value == *v) return true;
    if (alongX) {
        layout_.setCellWidth(*v);
    } else {
        layout_.setCellHeight(*v);
    }
    return true;
}

bool ArrayDimensionsDialog::editSizes(bool alongX) {
    const QString title = uiText(alongX ? kSizesX : kSizesY);
    NumberListDialog list(title, alongX ? layout_.columnWidths : layout_.rowHeights, this);
    if (runDialog(list) != QDialog::Accepted) return false;
    const std::vector<double> entered = list.numbers();
    const bool taken = alongX ? layout_.setColumnWidths(entered) : layout_.setRowHeights(entered);
    if (!taken) {
        // As many sizes as cells, each positive.
        warning(formatText(text(kBadSizes), {title.toStdString()}));
        return false;
    }
    showLayout();
    return true;
}

bool ArrayDimensionsDialog::finish() {
    // What was typed last and not yet taken.
    if (!takeColumns() || !takeRows() || !takeLayers() || !takeOrigin(true) || !takeOrigin(false) ||
        !takeCellSize(true) || !takeCellSize(false)) {
        return false;
    }
    layout_.topToBottom = topToBottom_->isChecked();
    writeDimensionFile(pathIn(directory_), layout_);
    return true;
}

void ArrayDimensionsDialog::accept() {
    if (finish()) QDialog::accept();
}

std::optional<ArrayLayout> askArrayLayout(QWidget* parent, const std::vector<double>& values,
                                          ArrayLayout start, const std::string& directory) {
    const auto count = static_cast<std::int64_t>(values.size());
    readDimensionFile(pathIn(directory), count, start);
    ArrayDimensionsDialog dialog(count, std::move(start), directory, parent);
    if (runDialog(dialog) != QDialog::Accepted || !dialog.finish()) return std::nullopt;
    return dialog.layout();
}

}  // namespace gridova
