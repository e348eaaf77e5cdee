// The map bar: a docking panel ("Map Bar") with the tree of the active
// map's contents under "Задание": the map types, the title, the point sets
// and their badges, the grid, the border, the axes, the isolines, the
// background picture and the lines. A right click on a node selects it and
// opens the node's menu; a double click carries out the node's first
// command. The tree is built anew whenever the map changes or another map
// window becomes active.
//
// Where the bar docks and whether it shows is kept in the profile section
// "Map Bar" ("Docking": 59419 top, 59420 left, 59421 right, 59422 bottom,
// anything else floating; "Visible").
#pragma once

#include <QDockWidget>
#include <QPointer>
#include <memory>

class QMainWindow;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace gridova {

class BushItem;
class MapWindow;

class MapBar final : public QDockWidget {
    Q_OBJECT
public:
    enum class Node {
        Root,
        Maps,
        MapType,
        Title,
        Points,
        DataSets,
        PointSet,
        Badges,
        Grid,
        Border,
        Axes,
        Isolines,
        Isoline,
        Background,
        Lines,  // the object tree and its groups
        Line,
        PointPolygons,  // the polygons around the data points, under the grid
        Axis,           // one axis, under "Оси"
        Text,           // a free text, in its group under "Линии"
    };
    static constexpr const char* kSection = "Map Bar";
    static constexpr int kDockTop = 59419;
    static constexpr int kDockLeft = 59420;
    static constexpr int kDockRight = 59421;
    static constexpr int kDockBottom = 59422;

    explicit MapBar(QMainWindow* mainWindow);
    ~MapBar() override;

    // Shows the map of the window; nullptr empties the tree.
    void showMap(MapWindow* window);
    MapWindow* map() const { return window_; }
    QTreeWidget* tree() const { return tree_; }

    // The kind of a node of the tree.
    static Node kindOf(const QTreeWidgetItem* item);
    // The first node of the kind (depth first), or nullptr.
    QTreeWidgetItem* findNode(Node kind) const;
    // The menu a right click on the node opens (disabled items greyed).
    std::unique_ptr<QMenu> menuFor(QTreeWidgetItem* item);
    // Carries out the node's first command (a double click).
    void activate(QTreeWidgetItem* item);
    // Selects the node of a line of the object tree; false without one.
    bool selectLine(const BushItem& line);
    // Selects the next (or previous) node of the tree, in the order shown.
    void step(bool forward);

    // Docks or floats the bar and shows or hides it as the profile says.
    void placeFromProfile();
    // The place and visibility as the profile keeps them.
    int dockingValue() const;

private:
    void rebuild();
    void contextMenu(const QPoint& at);

    QMainWindow* mainWindow_;
    QTreeWidget* tree_ = nullptr;
    QPointer<MapWindow> window_;
    bool placed_ = false;
};

}  // namespace gridova
