#include "app/dialogs/grid_size_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <numeric>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/file_dialog.h"
#include "app/ui_text.h"
#include "data/number_reader.h"
#include "platform/messages.h"
#include "platform/numbers.h"

namespace gridova {
namespace {

constexpr int kStepsX = 478;         // "Размер ячеек по X"
constexpr int kStepsY = 9173;        // "Размер ячеек по Y"
constexpr int kTooFewNodes = 9174;   // "%s: нужно не меньше 2 узлов"
constexpr int kBadSteps = 9175;      // "%s: все размеры ячеек ..."
constexpr int kTooManyNodes = 9176;  // "%s: узлов больше %d"
constexpr int kNotPositive = 9159;   // "%s: нужно положительное число"
constexpr int kNotANumber = 9161;    // "%s: нужно число"
constexpr int kGridFilter = 495;     // "Файлы размеров сетки|*.net|..."
constexpr const char* kGridFile = EqNet::kFileName;
constexpr const char* kGridExtension = "net";

bool allPositive(const std::vector<double>& steps) {
    return !steps.empty() && std::all_of(steps.begin(), steps.end(),
                                         [](double s) { return s > 0 && std::isfinite(s); });
}

}  // namespace

// --- "Массив" -----------------------------------------------------------------------------

NumberListDialog::NumberListDialog(const QString& title, const std::vector<double>& numbers,
                                   QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("numberListDialog"));
    setWindowTitle(title);
    QString shown;
    for (double v : numbers) shown += fieldText(v) + '\n';
    text_ = new QPlainTextEdit(shown, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(yesButtons(*this));
    resize(260, 320);
}

std::vector<double> NumberListDialog::numbers() const {
    return readNumbersFromText(text_->toPlainText().toStdString());
}

// --- "Размеры поля" ---------------------------------------------------------------------------

GridSizeDialog::GridSizeDialog(const EqNet& grid, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("gridSizeDialog"));
    setWindowTitle(uiText("Размеры поля"));
    nodesX_ = new QLineEdit(this);
    nodesY_ = new QLineEdit(this);
    cornerX_ = new QLineEdit(this);
    cornerY_ = new QLineEdit(this);
    cellX_ = new QLineEdit(this);
    cellY_ = new QLineEdit(this);
    stepsXButton_ = new QPushButton(uiText("Разные по X"), this);
    stepsYButton_ = new QPushButton(uiText("Разные по Y"), this);
    save_ = new QPushButton(uiText("Записать в файл"), this);
    load_ = new QPushButton(uiText("Ввести из файла"), this);

    auto* nodes = new QGroupBox(uiText("Число узлов"), this);
    auto* nodesForm = new QFormLayout(nodes);
    nodesForm->addRow(QStringLiteral("X"), nodesX_);
    nodesForm->addRow(QStringLiteral("Y"), nodesY_);
    auto* corner = new QGroupBox(uiText("Координаты нижнего левого угла сетки"), this);
    auto* cornerForm = new QFormLayout(corner);
    cornerForm->addRow(QStringLiteral("X"), cornerX_);
    cornerForm->addRow(QStringLiteral("Y"), cornerY_);
    auto* cells = new QGroupBox(uiText("Размеры ячеек"), this);
    auto* cellsGrid = new QGridLayout(cells);
    cellsGrid->addWidget(new QLabel(QStringLiteral("X"), cells), 0, 0);
    cellsGrid->addWidget(cellX_, 0, 1);
    cellsGrid->addWidget(stepsXButton_, 0, 2);
    cellsGrid->addWidget(new QLabel(QStringLiteral("Y"), cells), 1, 0);
    cellsGrid->addWidget(cellY_, 1, 1);
    cellsGrid->addWidget(stepsYButton_, 1, 2);
    auto* files = new QHBoxLayout;
    files->addWidget(save_);
    files->addWidget(load_);
    files->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nodes);
    layout->addWidget(corner);
    layout->addWidget(cells);
    layout->addLayout(files);
    layout->addWidget(yesButtons(*this));

    show(grid);
    connect(stepsXButton_, &QPushButton::clicked, this, [this] { editSteps(true); });
    connect(stepsYButton_, &QPushButton::clicked, this, [this] { editSteps(false); });
    connect(save_, &QPushButton::clicked, this, [this] { saveToFile(); });
    connect(load_, &QPushButton::clicked, this, [this] { loadFromFile(); });
}

void GridSizeDialog::show(const EqNet& grid) {
    stepsX_ = grid.stepX();
    stepsY_ = grid.stepY();
    const auto [x, y] = grid.lowerLeft();
    cornerX_->setText(fieldText(x));
    cornerY_->setText(fieldText(y));
    showSteps(true);
    showSteps(false);
}

// The count, and the size when every cell has it (else the field is empty:
// the list holds the sizes).
void GridSizeDialog::showSteps(bool alongX) {
    const std::vector<double>& steps = alongX ? stepsX_ : stepsY_;
    (alongX ? nodesX_ : nodesY_)->setText(QString::number(steps.size() + 1));
    const bool equal = !steps.empty() && std::all_of(steps.begin(), steps.end(),
                                                     [&](double s) { return s == steps.front(); });
    (alongX ? cellX_ : cellY_)->setText(equal ? fieldText(steps.front()) : QString());
}

std::optional<GridSizeDialog::Sizes> GridSizeDialog::sizes() {
    Sizes s;
    for (const bool alongX : {true, false}) {
        QLineEdit& countEdit = alongX ? *nodesX_ : *nodesY_;
        QLineEdit& cellEdit = alongX ? *cellX_ : *cellY_;
        const QString name = alongX ? uiText("Число узлов X") : uiText("Число узлов Y");
        const auto count = fieldWhole(countEdit);
        if (!count || *count < kMinNodes) {
            refuseField(kTooFewNodes, name, countEdit);
            return std::nullopt;
        }
        if (*count > EqNet::kMaxNodes / kMinNodes) {
            refuseField(kTooManyNodes, name, countEdit, EqNet::kMaxNodes);
            return std::nullopt;
        }
        std::vector<double>& steps = alongX ? s.stepsX : s.stepsY;
        const QString cellName = alongX ? uiText("Размер ячеек X") : uiText("Размер ячеек Y");
        if (!cellEdit.text().trimmed().isEmpty()) {
            // One size for every cell.
            const auto cell = fieldNumber(cellEdit);
            if (!cell || !(*cell > 0)) {
                refuseField(kNotPositive, cellName, cellEdit);
                return std::nullopt;
            }
            steps.assign(static_cast<std::size_t>(*count - 1), *cell);
        } else {
            // The list's sizes; a count that differs from the list's is
            // met by repeating its last size or leaving sizes out.
            steps = alongX ? stepsX_ : stepsY_;
            if (!allPositive(steps)) {
                refuseField(kBadSteps, cellName, cellEdit);
                return std::nullopt;
            }
            steps.resize(static_cast<std::size_t>(*count - 1), steps.back());
        }
    }
    if (!EqNet::validCounts(static_cast<std::int64_t>(s.stepsX.size()) + 1,
                            static_cast<std::int64_t>(s.stepsY.size()) + 1)) {
        refuseField(kTooManyNodes, uiText("Число узлов"), *nodesX_, EqNet::kMaxNodes);
        return std::nullopt;
    }
    const auto x = fieldNumber(*cornerX_);
    if (!x) {
        refuseField(kNotANumber, QStringLiteral("X"), *cornerX_);
        return std::nullopt;
    }
    const auto y = fieldNumber(*cornerY_);
    if (!y) {
        refuseField(kNotANumber, QStringLiteral("Y"), *cornerY_);
        return std::nullopt;
    }
    s.cornerX = *x;
    s.cornerY = *y;
    return s;
}

std::unique_ptr<EqNet> GridSizeDialog::gridOf(const Sizes& sizes) {
    auto grid = std::make_unique<EqNet>();
    grid->setSteps(sizes.stepsX, sizes.stepsY);
    grid->shift(sizes.cornerX, sizes.cornerY);
    return grid;
}

bool GridSizeDialog::editSteps(bool alongX) {
    std::vector<double>& steps = alongX ? stepsX_ : stepsY_;
    NumberListDialog list(uiText(alongX ? kStepsX : kStepsY), steps, this);
    if (runDialog(list) != QDialog::Accepted) return false;
    const std::vector<double> entered = list.numbers();
    if (!allPositive(entered)) {
        warning(formatText(text(kBadSteps), {list.windowTitle().toStdString()}));
        return false;
    }
    steps = entered;
    showSteps(alongX);
    return true;
}

bool GridSizeDialog::saveToFile() {
    const std::optional<Sizes> s = sizes();
    if (!s) return false;
    FileRequest request;
    request.extension = kGridExtension;
    request.filter = text(kGridFilter);
    request.fileName = kGridFile;
    const std::optional<std::string> path = chooseFileFor(request);
    if (!path || path->empty()) return false;
    return gridOf(*s)->writeFile(*path);
}

bool GridSizeDialog::loadFromFile() {
    FileRequest request;
    request.forOpen = true;
    request.extension = kGridExtension;
    request.filter = text(kGridFilter);
    const std::optional<std::string> path = chooseFileFor(request);
    if (!path || path->empty()) return false;
    EqNet read;
    if (!read.readFile(*path) || read.empty()) return false;  // said
    show(read);
    return true;
}

void GridSizeDialog::accept() {
    if (!sizes()) return;  // said; the dialog stays
    QDialog::accept();
}

bool runGridSizeDialog(QWidget* parent, CVexaView& view) {
    MapModel& model = view.model();
    EqNet* grid = model.grid();
    if (grid == nullptr) return false;
    GridSizeDialog dialog(*grid, parent);
    if (runDialog(dialog) != QDialog::Accepted) return true;
    const std::optional<GridSizeDialog::Sizes> s = dialog.sizes();
    if (!s) return true;
    grid->setSteps(s->stepsX, s->stepsY);
    grid->shift(s->cornerX, s->cornerY);
    grid->writeFile(kGridFile);
    model.notify(kGridChanged);
    // The map shown is built again on the changed grid.
    if (usesGridValues(model.settings.mapType)) view.reinterpolate();
    return true;
}

}  // namespace gridova
