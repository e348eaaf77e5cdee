#include "app/data_points_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "app/dialogs/dialog_fields.h"
#include "app/ui_text.h"
#include "app/window_place.h"
#include "data/data_table.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "render/map_view.h"

namespace gridova {
namespace {

constexpr int kDataPoints = 300;     // "Точки данных"
constexpr int kChangePoint = 303;    // "Изменить точку"
constexpr int kAddPoint = 312;       // "Добавить точку"
constexpr int kSaveNewPoints = 318;  // "Сохранить новые точки?"
constexpr const char* kDataExtension = "dat";

QString numberText(double v) { return QString::fromStdString(formatDouble(v)); }

}  // namespace

// --- The point editor --------------------------------------------------------------

PointEditor::PointEditor(DataPointsWindow& owner) : QDialog(&owner, Qt::Tool), owner_(owner) {
    setObjectName(QStringLiteral("pointEditor"));
    setModal(false);
    x_ = new QLineEdit(this);
    y_ = new QLineEdit(this);
    value_ = new QLineEdit(this);
    name_ = new QLineEdit(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("X"), x_);
    form->addRow(QStringLiteral("Y"), y_);
    form->addRow(uiText("Значение"), value_);
    form->addRow(uiText("Название"), name_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PointEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PointEditor::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PointEditor::openFor(const std::optional<DataPoint>& point) {
    setWindowTitle(uiText(point ? kChangePoint : kAddPoint));
    x_->setText(point ? numberText(point->x) : QString());
    y_->setText(point ? numberText(point->y) : QString());
    // A point without a value shows 0.
    value_->setText(point ? numberText(point->value.present() ? point->value.value : 0.0)
                          : QString());
    name_->setText(point && point->label ? QString::fromStdString(*point->label) : QString());
    if (!isVisible()) {
        placeWindow(*this, kResource, &owner_);
        show();
    }
    raise();
    x_->setFocus();
}

void PointEditor::pick(double x, double y) {
    x_->setText(numberText(x));
    y_->setText(numberText(y));
}

std::optional<DataPoint> PointEditor::point() const {
    const auto x = fieldNumber(*x_);
    const auto y = fieldNumber(*y_);
    const auto value = fieldNumber(*value_);
    if (!x || !y || !value) return std::nullopt;
    DataPoint p;
    p.x = *x;
    p.y = *y;
    p.value = OptionalValue(*value);
    const std::string name = name_->text().trimmed().toStdString();
    if (!name.empty()) p.setLabel(name);
    return p;
}

void PointEditor::accept() {
    const std::optional<DataPoint> p = point();
    if (!p) return;  // not numbers: OK does nothing
    owner_.editorConfirmed(*p);
    QDialog::accept();
}

void PointEditor::done(int result) {
    if (isVisible()) rememberWindowPlace(*this, kResource);
    QDialog::done(result);
    owner_.editorClosed();
}

// --- The window --------------------------------------------------------------------------

DataPointsWindow::DataPointsWindow(CVexaView& view, QWidget* owner)
    : QDialog(owner, Qt::Tool), view_(view), owner_(owner) {
    setObjectName(QStringLiteral("dataPointsWindow"));
    setModal(false);
    list_ = new QTableWidget(0, 4, this);
    list_->setHorizontalHeaderLabels(
        {QStringLiteral("X"), QStringLiteral("Y"), uiText("Значение"), uiText("Название")});
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    apply_ = new QPushButton(uiText("Обновить"), this);
    add_ = new QPushButton(uiText("Добавить"), this);
    delete_ = new QPushButton(uiText("Удалить"), this);
    replace_ = new QPushButton(uiText("Заменить"), this);
    save_ = new QPushButton(uiText("Сохранить"), this);
    addFile_ = new QPushButton(uiText("Доб. из файла"), this);
    close_ = new QPushButton(uiText("Закрыть"), this);
    auto* buttons = new QGridLayout;
    buttons->addWidget(apply_, 0, 0);
    buttons->addWidget(add_, 0, 1);
    buttons->addWidget(delete_, 0, 2);
    buttons->addWidget(replace_, 0, 3);
    buttons->addWidget(save_, 1, 0);
    buttons->addWidget(addFile_, 1, 1);
    buttons->addWidget(close_, 1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(460, 420);
    editor_ = new PointEditor(*this);

    connect(apply_, &QPushButton::clicked, this, &DataPointsWindow::apply);
    connect(add_, &QPushButton::clicked, this, &DataPointsWindow::addPoint);
    connect(delete_, &QPushButton::clicked, this, &DataPointsWindow::deleteSelected);
    connect(replace_, &QPushButton::clicked, this, &DataPointsWindow::replaceSelected);
    connect(save_, &QPushButton::clicked, this, [this] { saveToFile(); });
    connect(addFile_, &QPushButton::clicked, this, [this] { addFromFile(); });
    connect(close_, &QPushButton::clicked, this, [this] { closeWindow(); });
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { replaceSelected(); });
}

DataPointsWindow::~DataPointsWindow() {
    if (view_.editingPoints == &marker_ || view_.editingPoints == &added_) {
        view_.editingPoints = nullptr;
    }
}

void DataPointsWindow::openWindow() {
    if (!isVisible()) {
        takeMainSet();
        placeWindow(*this, kResource, owner_);
        show();
    }
    raise();
}

void DataPointsWindow::takeMainSet() {
    emptySets();
    if (const PointSet* main = view_.model().mainPoints()) {
        existing_.copyFrom(*main);
        existing_.hasLabels = main->hasLabels;
    }
    unsaved_ = false;
    refill();
}

void DataPointsWindow::emptySets() {
    existing_.clear();
    added_.clear();
    deleted_.clear();
    marker_.clear();
    editing_.reset();
}

void DataPointsWindow::refill() {
    setWindowTitle(QString::fromStdString(
        formatText("%s (%d)", {text(kDataPoints), static_cast<std::int64_t>(existing_.size())})));
    list_->setRowCount(static_cast<int>(existing_.size() + added_.size()));
    int row = 0;
    for (const PointSet* set : {&existing_, &added_}) {
        for (const DataPoint& p : set->points()) {
            const QString cells[] = {numberText(p.x), numberText(p.y),
                                     p.value.present() ? numberText(p.value.value) : QString(),
                                     p.label ? QString::fromStdString(*p.label) : QString()};
            for (int c = 0; c < 4; ++c) {
                auto* item = new QTableWidgetItem(cells[c]);
                // Points added here and not applied yet are shown in the
                // new-point colour of the set's badges.
                if (set == &added_) {
                    item->setForeground(
                        qColorOf(view_.model().mainPoints() != nullptr
                                     ? view_.model().mainPoints()->badgeFormat.circleColorNew
                                     : gdi::rgb(0, 160, 0)));
                }
                list_->setItem(row, c, item);
            }
            ++row;
        }
    }
    // The points added show on the map until they are applied.
    if (view_.editingPoints != &marker_) {
        view_.editingPoints = added_.size() > 0 ? &added_ : nullptr;
    }
    view_.invalidateMap();
}

std::vector<std::pair<bool, std::size_t>> DataPointsWindow::selectedPoints() const {
    std::set<int> rows;
    for (const QTableWidgetItem* item : list_->selectedItems()) rows.insert(item->row());
    std::vector<std::pair<bool, std::size_t>> points;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const auto row = static_cast<std::size_t>(*it);
        if (row < existing_.size()) {
            points.emplace_back(false, row);
        } else if (row - existing_.size() < added_.size()) {
            points.emplace_back(true, row - existing_.size());
        }
    }
    return points;
}

void DataPointsWindow::apply() {
    std::vector<DataPoint> points = existing_.points();
    points.insert(points.end(), added_.points().begin(), added_.points().end());
    view_.editingPoints = nullptr;
    MapModel& model = view_.model();
    model.replaceMainPoints(points);
    emptySets();
    // The map is built again on the new points with the current method.
    if (model.grid() != nullptr) model.reinterpolate();
    takeMainSet();
}

void DataPointsWindow::addPoint() {
    editing_.reset();
    editor_->openFor(std::nullopt);
    view_.editingPoints = &marker_;
}

void DataPointsWindow::deleteSelected() {
    for (const auto& [isAdded, index] : selectedPoints()) {
        PointSet& from = isAdded ? added_ : existing_;
        if (std::optional<DataPoint> p = from.removePoint(index)) {
            deleted_.addExisting(std::move(*p));
            unsaved_ = true;
        }
    }
    refill();
}

void DataPointsWindow::replaceSelected() {
    const auto selected = selectedPoints();
    if (selected.empty()) return;
    editing_ = selected.back();  // the first row selected
    const PointSet& from = editing_->first ? added_ : existing_;
    editor_->openFor(from.points()[editing_->second]);
    view_.editingPoints = &marker_;
}

void DataPointsWindow::editorConfirmed(const DataPoint& point) {
    if (editing_) {
        PointSet& from = editing_->first ? added_ : existing_;
        if (std::optional<DataPoint> old = from.removePoint(editing_->second)) {
            deleted_.addExisting(std::move(*old));
        }
        editing_.reset();
    }
    added_.addExisting(point);
    added_.computeStatistics();
    unsaved_ = true;
    refill();
}

bool DataPointsWindow::positionPicked(double x, double y) {
    if (!editor_->isVisible()) return false;
    editor_->pick(x, y);
    marker_.clearPoints();
    marker_.addPoint(x, y, 0.0);
    marker_.computeStatistics();
    view_.editingPoints = &marker_;
    view_.invalidateMap();
    return true;
}

void DataPointsWindow::editorClosed() {
    marker_.clear();
    view_.editingPoints = added_.size() > 0 ? &added_ : nullptr;
    view_.invalidateMap();
}

bool DataPointsWindow::saveToFile() {
    const std::optional<std::string> path = chooseFile(false, kDataExtension);
    if (!path || path->empty()) return false;
    const std::unique_ptr<OutputFile> out = openTextWrite(*path);
    if (!out) return false;
    if (const MapTitle* title = view_.model().title()) {
        for (const MapText& line : title->lines) {
            if (line.text && !line.text->empty())
                std::fprintf(out->file(), "%s\n", line.text->c_str());
        }
    }
    if (!existing_.writeText(out->file()) || !added_.writeText(out->file()) ||
        !commitOrWarn(*out)) {
        return false;
    }
    unsaved_ = false;
    return true;
}

bool DataPointsWindow::addFromFile() {
    const std::optional<std::string> path = chooseFile(true, kDataExtension);
    if (!path || path->empty()) return false;
    DataTable table;
    table.readFile(*path);
    PointSet read;
    read.buildFromTable(table);
    if (read.size() == 0) return false;
    for (const DataPoint& p : read.points()) added_.addExisting(p);
    added_.computeStatistics();
    unsaved_ = true;
    refill();
    return true;
}

bool DataPointsWindow::closeWindow() {
    if (unsaved_) {
        const Answer answer = question(text(kSaveNewPoints));
        if (answer == Answer::Cancel) return false;
        if (answer == Answer::Yes && !saveToFile()) return false;
    }
    editor_->close();
    emptySets();
    view_.editingPoints = nullptr;
    unsaved_ = false;
    rememberWindowPlace(*this, kResource);
    hide();
    view_.invalidateMap();
    return true;
}

void DataPointsWindow::reject() { closeWindow(); }

}  // namespace gridova
