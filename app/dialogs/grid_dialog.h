// "Сетка модели" ("Сетка..."): a new grid over the map's data, by node
// counts or, with "Сетка с квадратными ячейками", by the length of a square
// cell (proposed from the data's size when the grid has none), and whether
// its lines are shown. OK lays the grid, writes it to "EqNet.net" and builds
// the map type again. Counts below 6 and lengths that are not positive are
// refused with the field's message.
#pragma once

#include <QDialog>
#include <optional>

#include "grid/eq_net.h"
#include "render/map_view.h"

class QCheckBox;
class QLineEdit;

namespace gridova {

class GridDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr std::int32_t kMinNodes = 6;

    // `current`: the grid now (its counts, cell length, shown lines), or
    // none; `area`: the data's extent (for the proposed cell length).
    GridDialog(const EqNet* current, const DRect& area, QWidget* parent);

    QLineEdit* nodesXEdit() const { return nodesX_; }
    QLineEdit* nodesYEdit() const { return nodesY_; }
    QCheckBox* squareBox() const { return square_; }
    QLineEdit* cellEdit() const { return cell_; }
    QCheckBox* showBox() const { return show_; }

    struct Choice {
        bool square = false;
        std::int32_t nodesX = EqNet::kDefaultNodes, nodesY = EqNet::kDefaultNodes;
        double cellLength = 0;
        bool showLines = false;
    };
    // The fields; nothing (and the field's message shown) when one is
    // refused.
    std::optional<Choice> choice();
    // The proposed square cell length for an area.
    static double proposedCellLength(const DRect& area);

    void accept() override;

private:
    void follow();

    DRect area_;
    QLineEdit* nodesX_ = nullptr;
    QLineEdit* nodesY_ = nullptr;
    QCheckBox* square_ = nullptr;
    QLineEdit* cell_ = nullptr;
    QCheckBox* show_ = nullptr;
};

bool runGridDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
