#include "app/dialogs/grid_dialog.h"
#include "app/ui_text.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "data/nice_value.h"
#include "platform/messages.h"
#include "platform/numbers.h"

namespace gridova {
namespace {

constexpr int kNotPositive = 9159;  // "%s: нужно положительное число"
constexpr int kTooFewNodes = 9160;  // "%s: нужно не меньше %d узлов"
constexpr const char* kGridFile = "EqNet.net";
constexpr double kCellShare = 0.004901960784313725;  // 1/204 of the larger side

const QString kNodesX = uiText("Число узлов по X");
const QString kNodesY = uiText("Число узлов по Y");
const QString kCell = uiText("Длина ячейки");

}  // namespace

double GridDialog::proposedCellLength(const DRect& area) {
    const double a = std::max(area.width(), area.height()) * kCellShare;
    return niceValueBetween(0.95 * a, 1.05 * a);
}

GridDialog::GridDialog(const EqNet* current, const DRect& area, QWidget* parent)
    : QDialog(parent), area_(area) {
    setObjectName(QStringLiteral("gridDialog"));
    setWindowTitle(uiText("Сетка модели"));
    const bool hasGrid = current != nullptr && !current->empty();
    nodesX_ = new QLineEdit(QString::number(hasGrid ? current->nx() : EqNet::kDefaultNodes), this);
    nodesY_ = new QLineEdit(QString::number(hasGrid ? current->ny() : EqNet::kDefaultNodes), this);
    square_ = new QCheckBox(uiText("Сетка с квадратными ячейками"), this);
    square_->setChecked(hasGrid && current->gridType == 1);
    cell_ = new QLineEdit(this);
    if (hasGrid && current->cellLength > 0) {
        cell_->setText(fieldText(current->cellLength));
    }
    show_ = new QCheckBox(uiText("Показывать"), this);
    show_->setChecked(hasGrid && current->showGrid != 0);
    auto* form = new QFormLayout;
    form->addRow(kNodesX, nodesX_);
    form->addRow(kNodesY, nodesY_);
    form->addRow(square_);
    form->addRow(kCell, cell_);
    form->addRow(show_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GridDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(square_, &QCheckBox::toggled, this, [this] { follow(); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    follow();
}

void GridDialog::follow() {
    const bool square = square_->isChecked();
    nodesX_->setEnabled(!square);
    nodesY_->setEnabled(!square);
    cell_->setEnabled(square);
    // Switched on without a length: the proposal, "%.2lf".
    if (square && cell_->text().trimmed().isEmpty()) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2lf", proposedCellLength(area_));
        cell_->setText(QString::fromLatin1(text));
    }
}

std::optional<GridDialog::Choice> GridDialog::choice() {
    Choice c;
    c.square = square_->isChecked();
    c.showLines = show_->isChecked();
    if (c.square) {
        const auto a = fieldNumber(*cell_);
        if (!a || !(*a > 0)) {
            refuseField(kNotPositive, kCell, *cell_);
            return std::nullopt;
        }
        c.cellLength = *a;
        return c;
    }
    const std::pair<QLineEdit*, const QString*> counts[] = {{nodesX_, &kNodesX},
                                                            {nodesY_, &kNodesY}};
    for (const auto& [edit, name] : counts) {
        const auto n = fieldWhole(*edit);
        if (!n || *n < kMinNodes) {
            refuseField(kTooFewNodes, *name, *edit, kMinNodes);
            return std::nullopt;
        }
        (edit == nodesX_ ? c.nodesX : c.nodesY) = *n;
    }
    return c;
}

void GridDialog::accept() {
    if (!choice()) return;  // said; the dialog stays
    QDialog::accept();
}

bool runGridDialog(QWidget* parent, CVexaView& view) {
    MapModel& model = view.model();
    const std::optional<DRect> data = model.dataExtent();
    const DRect area = data ? withSides(*data) : DRect(0, 0, 1, 1);
    GridDialog dialog(model.grid(), area, parent);
    if (runDialog(dialog) != QDialog::Accepted) return true;
    const std::optional<GridDialog::Choice> c = dialog.choice();
    if (!c) return true;
    std::unique_ptr<EqNet> grid = c->square ? EqNet::fromCellLength(area, c->cellLength)
                                            : EqNet::fromCounts(area, c->nodesX, c->nodesY);
    if (!grid || grid->empty()) return true;  // said (out of memory)
    grid->showGrid = c->showLines ? 1 : 0;
    if (const EqNet* old = model.grid()) {
        // The method and its settings stay with the map.
        grid->method = old->method;
        grid->colorScale = old->colorScale;
    }
    grid->writeFile(kGridFile);
    model.setGrid(std::move(grid));
    // The map shown is built again on the new grid.
    if (usesGridValues(model.settings.mapType)) view.reinterpolate();
    return true;
}

}  // namespace gridova
