#include "app/dialogs/isoline_list_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/isoline_format_dialog.h"
#include "app/ui_text.h"
#include "contour/isoline_set.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kNotANumber = 76;    // "'%s' не является числом"
constexpr int kNumberColumn = 96;  // "Номер изолинии"
constexpr int kValueColumn = 97;   // "Значение"
constexpr int kRowName = 98;       // "Изолиния %d"
constexpr int kNewIsoline = 379;   // "Новая изолиния"

}  // namespace

// --- "Заменить изолинию" ------------------------------------------------------------------

IsolineValueDialog::IsolineValueDialog(const QString& caption, double current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("isolineValueDialog"));
    setWindowTitle(caption);
    const QString shown = QString::fromStdString(formatText("%lf", {current}));
    auto* currentEdit = new QLineEdit(shown, this);
    currentEdit->setReadOnly(true);
    new_ = new QLineEdit(shown, this);
    auto* form = new QFormLayout;
    form->addRow(uiText("Текущее значение"), currentEdit);
    form->addRow(uiText("Новое значение"), new_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(yesButtons(*this));
}

std::optional<double> IsolineValueDialog::level() {
    const auto v = fieldNumber(*new_);
    if (!v) {
        warning(formatText(text(kNotANumber), {new_->text().toStdString()}));
        new_->setFocus();
        new_->selectAll();
    }
    return v;
}

void IsolineValueDialog::accept() {
    if (!level()) return;  // said; the dialog stays
    QDialog::accept();
}

// --- "Изолинии" -----------------------------------------------------------------------------

IsolineListDialog::IsolineListDialog(CVexaView& view, QWidget* parent)
    : QDialog(parent), view_(view) {
    setObjectName(QStringLiteral("isolineListDialog"));
    setWindowTitle(uiText("Изолинии"));
    list_ = new QTableWidget(0, 2, this);
    list_->setHorizontalHeaderLabels({uiText(kNumberColumn), uiText(kValueColumn)});
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    list_->verticalHeader()->hide();
    show_ = new QCheckBox(uiText("Показывать"), this);
    remove_ = new QPushButton(uiText("Убрать"), this);
    insert_ = new QPushButton(uiText("Вставить"), this);
    value_ = new QPushButton(uiText("Значение"), this);
    look_ = new QPushButton(uiText("Вид"), this);
    new_ = new QPushButton(uiText("Новые"), this);
    load_ = new QPushButton(uiText("Из файла"), this);
    save_ = new QPushButton(uiText("Сохранить"), this);
    auto* buttons = new QGridLayout;
    buttons->addWidget(remove_, 0, 0);
    buttons->addWidget(insert_, 0, 1);
    buttons->addWidget(value_, 0, 2);
    buttons->addWidget(look_, 0, 3);
    buttons->addWidget(new_, 1, 0);
    buttons->addWidget(load_, 1, 1);
    buttons->addWidget(save_, 1, 2);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(show_);
    layout->addLayout(buttons);
    layout->addWidget(close);
    resize(340, 420);
    refill();

    connect(show_, &QCheckBox::toggled, this, [this](bool on) { view_.model().showIsolines(on); });
    connect(remove_, &QPushButton::clicked, this, [this] { removeSelected(); });
    connect(insert_, &QPushButton::clicked, this, [this] { insertLevel(); });
    connect(value_, &QPushButton::clicked, this, [this] { changeSelected(); });
    connect(look_, &QPushButton::clicked, this, [this] {
        std::vector<int> rows = selectedRows();
        if (rows.empty() && list_->rowCount() > 0) rows = {0};
        runIsolineFormatDialog(this, view_.model(), rows);
        refill();
    });
    connect(new_, &QPushButton::clicked, this, [this] {
        view_.model().rebuildIsolines();
        refill();
    });
    connect(load_, &QPushButton::clicked, this, [this] { loadTemplate(); });
    connect(save_, &QPushButton::clicked, this, [this] { saveTemplate(); });
}

void IsolineListDialog::refill() {
    const IsolineSet* set = view_.model().isolines();
    const int count = set != nullptr ? static_cast<int>(set->size()) : 0;
    list_->setRowCount(count);
    for (int k = 0; k < count; ++k) {
        const Isoline& isoline = *set->at(k);
        list_->setItem(k, 0,
                       new QTableWidgetItem(QString::fromStdString(
                           formatText(text(kRowName), {static_cast<std::int64_t>(k + 1)}))));
        list_->setItem(k, 1,
                       new QTableWidgetItem(QString::fromStdString(
                           levelText(isoline.value, isoline.format.decimalDigit))));
    }
    const QSignalBlocker quiet(show_);
    show_->setChecked(set == nullptr || set->show != 0);
    const bool any = count > 0;
    remove_->setEnabled(any);
    value_->setEnabled(any);
    look_->setEnabled(any);
    save_->setEnabled(any);
}

std::vector<int> IsolineListDialog::selectedRows() const {
    std::set<int> rows;
    for (const QTableWidgetItem* item : list_->selectedItems()) rows.insert(item->row());
    return {rows.begin(), rows.end()};
}

bool IsolineListDialog::removeSelected() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) return false;
    const bool removed = view_.model().removeIsolines(rows.front());
    refill();
    return removed;
}

bool IsolineListDialog::insertLevel() {
    const std::vector<int> rows = selectedRows();
    const bool inserted = insertIsolineAsked(
        this, view_.model(), rows.empty() ? std::nullopt : std::optional<int>(rows.front()));
    refill();
    return inserted;
}

bool insertIsolineAsked(QWidget* parent, MapModel& model, std::optional<int> below) {
    const IsolineSet* set = model.isolines();
    double proposed = 0;
    if (below && set != nullptr && set->at(*below) != nullptr) {
        if (*below == 0) return false;  // nothing above the first row
        proposed = (set->at(*below)->value + set->at(*below - 1)->value) / 2;
    }
    IsolineValueDialog dialog(uiText(kNewIsoline), proposed, parent);
    dialog.setWindowTitle(uiText("Заменить изолинию"));
    if (runDialog(dialog) != QDialog::Accepted) return false;
    const std::optional<double> level = dialog.level();
    return level && model.insertIsoline(*level);
}

bool IsolineListDialog::changeSelected() {
    bool changed = false;
    // Levels, not rows: each change reorders the set.
    std::vector<double> levels;
    for (int row : selectedRows()) {
        if (const Isoline* isoline = view_.model().isolines()->at(row))
            levels.push_back(isoline->value);
    }
    for (double current : levels) {
        IsolineValueDialog dialog(uiText("Заменить изолинию"), current, this);
        if (runDialog(dialog) != QDialog::Accepted) continue;
        const std::optional<double> level = dialog.level();
        if (!level) continue;
        const IsolineSet* set = view_.model().isolines();
        for (int k = 0; set != nullptr && k < static_cast<int>(set->size()); ++k) {
            if (set->at(k)->value == current) {
                changed = view_.model().changeIsolineLevel(k, *level) || changed;
                break;
            }
        }
    }
    refill();
    return changed;
}

bool IsolineListDialog::saveTemplate() {
    const IsolineSet* set = view_.model().isolines();
    if (set == nullptr || set->empty()) return false;
    const std::optional<std::string> path =
        chooseFile(false, std::string(IsolineSet::kTemplateExtension));
    if (!path || path->empty()) return false;
    return set->writeTemplateFile(*path);
}

bool IsolineListDialog::loadTemplate() {
    const std::optional<std::string> path =
        chooseFile(true, std::string(IsolineSet::kTemplateExtension));
    if (!path || path->empty()) return false;
    const bool loaded = view_.model().loadIsolineTemplate(*path);
    refill();
    return loaded;
}

bool runIsolineListDialog(QWidget* parent, CVexaView& view) {
    IsolineListDialog dialog(view, parent);
    runDialog(dialog);
    return true;
}

}  // namespace gridova
