#include "app/dialogs/map_type_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>
#include <array>

#include "app/dialogs/dialog_runner.h"
#include "app/ui_text.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr int kTitle = 224;       // "Карты"
constexpr int kAsDefault = 9158;  // "Установить как изначальную"

// The list in its order, with the names of the map types.
struct Entry {
    MapType type;
    int text;
};
constexpr std::array kEntries = {
    Entry{MapType::LocatePoints, 19},  Entry{MapType::Isolines, 20},
    Entry{MapType::ColorIsolines, 18}, Entry{MapType::ColorCells, 21},
    Entry{MapType::CircleValues, 22},  Entry{MapType::TriangleNetwork, 285},
};

}  // namespace

MapTypeDialog::MapTypeDialog(MapType current, bool asDefault, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("mapTypeDialog"));
    setWindowTitle(uiText(kTitle));
    list_ = new QListWidget(this);
    for (const Entry& e : kEntries) list_->addItem(uiText(e.text));
    asDefault_ = new QCheckBox(uiText(kAsDefault), this);
    asDefault_->setChecked(asDefault);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(asDefault_);
    layout->addWidget(buttons);
    choose(current);
}

MapType MapTypeDialog::chosen() const {
    const int row = list_->currentRow();
    return row >= 0 && row < static_cast<int>(kEntries.size())
               ? kEntries[static_cast<std::size_t>(row)].type
               : MapType::LocatePoints;
}

void MapTypeDialog::choose(MapType type) {
    for (std::size_t k = 0; k < kEntries.size(); ++k) {
        if (kEntries[k].type == type) list_->setCurrentRow(static_cast<int>(k));
    }
    if (list_->currentRow() < 0) list_->setCurrentRow(0);
}

bool MapTypeDialog::asDefault() const { return asDefault_->isChecked(); }

void MapTypeDialog::setAsDefault(bool on) { asDefault_->setChecked(on); }

bool runMapTypeDialog(QWidget* parent, CVexaView& view) {
    std::int32_t enabled = 0;
    readProfileInt("Maps", "Default", enabled);
    MapTypeDialog dialog(view.model().settings.mapType, enabled != 0, parent);
    if (runDialog(dialog) != QDialog::Accepted) return true;
    const MapType type = dialog.chosen();
    writeProfileInt("Maps", "Default", dialog.asDefault() ? 1 : 0);
    if (dialog.asDefault()) writeProfileInt("Maps", "Map", static_cast<std::int32_t>(type));
    view.applyMapType(type);
    return true;
}

}  // namespace gridova
