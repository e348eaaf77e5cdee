#include "app/map_bar.h"

#include <QMainWindow>
#include <QMenu>
#include <QMetaObject>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "app/dialogs/axis_dialog.h"
#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/filter_dialog.h"
#include "app/dialogs/isoline_list_dialog.h"
#include "app/dialogs/line_dialog.h"
#include "app/dialogs/regression_dialog.h"
#include "app/dialogs/text_dialog.h"
#include "app/map_window.h"
#include "app/ui_text.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "render/axes.h"

namespace gridova {
namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kObjectRole = Qt::UserRole + 1;
constexpr int kNumberRole = Qt::UserRole + 2;

constexpr int kWidth = 220;
constexpr int kHeight = 200;

// Node texts.
constexpr int kRoot = 352;            // "Задание"
constexpr int kMaps = 224;            // "Карты"
constexpr int kTitle = 68;            // "Название карты"
constexpr int kPoints = 353;          // "Точки"
constexpr int kDataSets = 300;        // "Точки данных"
constexpr int kBadges = 354;          // "Значки"
constexpr int kGrid = 355;            // "Сетка"
constexpr int kBorder = 356;          // "Граница"
constexpr int kAxes = 431;            // "Оси"
constexpr int kIsolines = 89;         // "Изолинии"
constexpr int kIsoline = 381;         // "Изолиния"
constexpr int kBackground = 342;      // "Фоновая карта"
constexpr int kLines = 357;           // "Линии"
constexpr int kPointPolygons = 9177;  // "Полигоны точек"

// The map types of "Карты" in their order, with their texts.
struct MapTypeNode {
    MapType type;
    int text;
};
constexpr MapTypeNode kMapTypes[] = {
    {MapType::ColorIsolines, 18}, {MapType::LocatePoints, 19}, {MapType::Isolines, 20},
    {MapType::ColorCells, 21},    {MapType::CircleValues, 22}, {MapType::TriangleNetwork, 285},
};

// Menu item texts.
constexpr int kDraw = 456;        // "Нарисовать..."
constexpr int kMethod = 286;      // "Mетод интерполяции..."
constexpr int kCellColour = 497;  // "Цвет блоков..."
constexpr int kCellBorders = 498;  // "Рисовать/не рисовать границы ячеек"
constexpr int kWriteTriangles = 457;     // "Записать треугольники"
constexpr int kMakeActive = 407;         // "Сделать активной"
constexpr int kIsolate = 405;            // "Изолировать серию"
constexpr int kJoin = 235;               // "Соединить точки линией"
constexpr int kRegression = 9164;        // "Полином регрессии..."
constexpr int kRemoveRegression = 9165;  // "Удалить полином регрессии"
constexpr int kCopyToLines = 491;        // "Копировать в Линии"
constexpr int kWriteAreas = 465;         // "Записать площади..."
constexpr int kWriteVolumes = 466;       // "Записать объемы..."
constexpr int kInterpolate = 406;        // "Интерполировать..."
constexpr int kDelete = 95;              // "Удалить"
constexpr int kLoadSeries = 403;         // "Загрузить новую серию..."
constexpr int kAddSeries = 511;          // "Добавить новую серию..."
constexpr int kSelectionSeries = 448;    // "Выделить в новую серию"
constexpr int kValues = 401;             // "Значения..."
constexpr int kFilter = 488;        // "Определить значающие элементы..."
constexpr int kRedraw = 306;        // "Перерисовать"
constexpr int kWriteValues = 138;   // "Запись числ. данных..."
constexpr int kChangeLook = 263;    // "Изменить вид.."
constexpr int kInsert = 382;        // "Вставить..."
constexpr int kCopyIsolines = 380;  // "Копировать изолинии в Линии"
constexpr int kCopyColourBands = 458;  // "Копировать цветные изолинии в Линии"
constexpr int kLoad = 378;             // "Загрузить..."
constexpr int kDigitize = 383;       // "Оцифровать"
constexpr int kDrawLine = 372;       // "Нарисовать линию"
constexpr int kAddLine = 373;        // "Добавить линию"
constexpr int kAddGroup = 366;       // "Добавить группу"
constexpr int kAddText = 9182;       // "Добавить текст..."
constexpr int kSave = 43;            // "Cохранить..."
constexpr int kImport = 351;         // "Импортировать линии..."
constexpr int kAssignValue = 515;    // "Присвоить значение..."
constexpr int kAddAxis = 432;        // "Добавить ось..."
constexpr int kAxesAsDefault = 343;  // "Установить по умолчанию"

// Every line of the group and of its children.
void collectLines(Bush& group, std::vector<Line*>& out) {
    for (std::size_t i = 0; i < group.itemCount(); ++i) {
        if (Line* line = group.item(i).line()) out.push_back(line);
    }
    for (std::size_t i = 0; i < group.childCount(); ++i) collectLines(group.child(i), out);
}

std::vector<Line*> linesOf(Bush& group) {
    std::vector<Line*> lines;
    collectLines(group, lines);
    return lines;
}

// "Присвоить значение...": the line's value, asked.
bool assignValueAsked(QWidget* parent, MapModel& model, Line& line) {
    IsolineValueDialog dialog(uiText("Присвоить значение"), line.value, parent);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    const std::optional<double> value = dialog.level();
    if (!value) return false;
    line.value = *value;
    model.notify(kLinesChanged);
    return true;
}

template <typename T>
T* objectOf(const QTreeWidgetItem* item) {
    return reinterpret_cast<T*>(item->data(0, kObjectRole).value<quintptr>());
}

QTreeWidgetItem* addNode(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& label,
                         MapBar::Node kind, const void* object = nullptr, int number = 0) {
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
    item->setText(0, label);
    item->setData(0, kKindRole, static_cast<int>(kind));
    item->setData(0, kObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(object)));
    item->setData(0, kNumberRole, number);
    return item;
}

void addGroupNodes(QTreeWidget* tree, QTreeWidgetItem* node, Bush& group) {
    for (std::size_t i = 0; i < group.childCount(); ++i) {
        Bush& child = group.child(i);
        addGroupNodes(
            tree,
            addNode(tree, node, QString::fromStdString(child.name()), MapBar::Node::Lines, &child),
            child);
    }
    for (std::size_t i = 0; i < group.itemCount(); ++i) {
        BushItem& item = group.item(i);
        if (item.line() != nullptr) {
            addNode(tree, node, QString::fromStdString(item.name().value_or("")),
                    MapBar::Node::Line, &item);
        } else if (const MapText* text = item.text()) {
            addNode(tree, node, QString::fromStdString(text->text.value_or("")), MapBar::Node::Text,
                    &item);
        }
    }
}

void setBold(QTreeWidgetItem* item) {
    QFont font = item->font(0);
    font.setBold(true);
    item->setFont(0, font);
}

}  // namespace

MapBar::MapBar(QMainWindow* mainWindow)
    : QDockWidget(QStringLiteral("Map Bar"), mainWindow), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("mapBar"));
    setAllowedAreas(Qt::AllDockWidgetAreas);
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setMinimumSize(80, 60);
    resize(kWidth, kHeight);
    setWidget(tree_);
    connect(tree_, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu(at); });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { activate(item); });
    // The place and visibility go to the profile as the user changes them
    // (not while the main window itself is hidden or closing).
    connect(this, &QDockWidget::dockLocationChanged, this, [this] {
        if (placed_) writeProfileInt(kSection, "Docking", dockingValue());
    });
    connect(this, &QDockWidget::topLevelChanged, this, [this] {
        if (placed_) writeProfileInt(kSection, "Docking", dockingValue());
    });
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (placed_ && mainWindow_->isVisible() && !isFloating()) {
            writeProfileInt(kSection, "Visible", shown ? 1 : 0);
        }
    });
}

MapBar::~MapBar() = default;

void MapBar::placeFromProfile() {
    std::int32_t docking = kDockLeft;
    std::int32_t visible = 1;
    readProfileInt(kSection, "Docking", docking);
    readProfileInt(kSection, "Visible", visible);
    Qt::DockWidgetArea area = Qt::NoDockWidgetArea;
    switch (docking) {
        case kDockTop:
            area = Qt::TopDockWidgetArea;
            break;
        case kDockLeft:
            area = Qt::LeftDockWidgetArea;
            break;
        case kDockRight:
            area = Qt::RightDockWidgetArea;
            break;
        case kDockBottom:
            area = Qt::BottomDockWidgetArea;
            break;
        default:
            break;
    }
    if (area == Qt::NoDockWidgetArea) {
        mainWindow_->addDockWidget(Qt::LeftDockWidgetArea, this);
        setFloating(true);
        resize(kWidth, kHeight);
    } else {
        mainWindow_->addDockWidget(area, this);
    }
    setVisible(visible != 0);
    placed_ = true;
}

int MapBar::dockingValue() const {
    if (isFloating()) return 0;
    switch (mainWindow_->dockWidgetArea(const_cast<MapBar*>(this))) {
        case Qt::TopDockWidgetArea:
            return kDockTop;
        case Qt::RightDockWidgetArea:
            return kDockRight;
        case Qt::BottomDockWidgetArea:
            return kDockBottom;
        default:
            return kDockLeft;
    }
}

// --- The tree -----------------------------------------------------------------------------------

void MapBar::showMap(MapWindow* window) {
    window_ = window;
    rebuild();
}

void MapBar::rebuild() {
    tree_->clear();
    if (window_ == nullptr) return;
    CVexaView& view = window_->view();
    MapModel& model = view.model();
    QTreeWidgetItem* root = addNode(tree_, nullptr, uiText(kRoot), Node::Root);
    QTreeWidgetItem* maps = addNode(tree_, root, uiText(kMaps), Node::Maps);
    for (const MapTypeNode& t : kMapTypes) {
        QTreeWidgetItem* node =
            addNode(tree_, maps, uiText(t.text), Node::MapType, nullptr, static_cast<int>(t.type));
        if (model.settings.mapType == t.type) setBold(node);
    }
    addNode(tree_, root, uiText(kTitle), Node::Title);
    QTreeWidgetItem* points = addNode(tree_, root, uiText(kPoints), Node::Points);
    QTreeWidgetItem* sets = addNode(tree_, points, uiText(kDataSets), Node::DataSets);
    for (PointSet* set : model.pointTree().pointSets()) {
        QTreeWidgetItem* node =
            addNode(tree_, sets, QString::fromStdString(set->name()), Node::PointSet, set);
        if (set == model.mainPoints()) setBold(node);
    }
    addNode(tree_, points, uiText(kBadges), Node::Badges);
    QTreeWidgetItem* grid = addNode(tree_, root, uiText(kGrid), Node::Grid);
    addNode(tree_, grid, uiText(kPointPolygons), Node::PointPolygons);
    addNode(tree_, root, uiText(kBorder), Node::Border);
    QTreeWidgetItem* axes = addNode(tree_, root, uiText(kAxes), Node::Axes);
    if (auto* layer = dynamic_cast<AxesLayer*>(view.axes.get())) {
        for (MapAxis* axis : layer->axes()) {
            addNode(tree_, axes, QString::fromStdString(axis->name), Node::Axis, axis);
        }
    }
    QTreeWidgetItem* isolines = addNode(tree_, root, uiText(kIsolines), Node::Isolines);
    if (const IsolineSet* set = model.isolines()) {
        for (int k = 0; k < static_cast<int>(set->size()); ++k) {
            char value[64];
            std::snprintf(value, sizeof value, "%g", set->at(k)->value);
            addNode(tree_, isolines, uiText(kIsoline) + ' ' + QString::fromLatin1(value),
                    Node::Isoline, nullptr, k);
        }
    }
    addNode(tree_, root, uiText(kBackground), Node::Background);
    Bush* objectTree = model.objectTreeIfAny();
    QTreeWidgetItem* lines = addNode(tree_, root, uiText(kLines), Node::Lines, objectTree);
    if (objectTree != nullptr) addGroupNodes(tree_, lines, *objectTree);
    tree_->expandAll();
}

MapBar::Node MapBar::kindOf(const QTreeWidgetItem* item) {
    return static_cast<Node>(item->data(0, kKindRole).toInt());
}

QTreeWidgetItem* MapBar::findNode(Node kind) const {
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        if (kindOf(*it) == kind) return *it;
    }
    return nullptr;
}

bool MapBar::selectLine(const BushItem& line) {
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        if (kindOf(*it) == Node::Line && objectOf<BushItem>(*it) == &line) {
            tree_->setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

void MapBar::step(bool forward) {
    QTreeWidgetItem* current = tree_->currentItem();
    QTreeWidgetItem* next = nullptr;
    if (current == nullptr) {
        next = tree_->topLevelItem(0);
    } else {
        next = forward ? tree_->itemBelow(current) : tree_->itemAbove(current);
    }
    if (next != nullptr) tree_->setCurrentItem(next);
}

// --- Menus --------------------------------------------------------------------------------------

std::unique_ptr<QMenu> MapBar::menuFor(QTreeWidgetItem* item) {
    auto menu = std::make_unique<QMenu>();
    if (item == nullptr || window_ == nullptr) return menu;
    QPointer<MapWindow> window = window_;
    CVexaView& view = window->view();
    MapModel& model = view.model();
    // An item; what it runs is carried out only while the window lives.
    const auto add = [&](int textNumber, bool enabled, std::function<void()> run) {
        QAction* action = menu->addAction(uiText(textNumber));
        action->setEnabled(enabled && run != nullptr);
        if (run) {
            connect(action, &QAction::triggered, this, [window, run] {
                if (window != nullptr) run();
            });
        }
        return action;
    };
    // An item that runs a map command, as its state says.
    const auto command = [&](int textNumber, MapCommand c) {
        add(textNumber, window->commandState(c).enabled, [window, c] { window->runCommand(c); });
    };
    const int number = item->data(0, kNumberRole).toInt();
    switch (kindOf(item)) {
        case Node::MapType: {
            const auto type = static_cast<MapType>(number);
            add(kDraw, model.mainPoints() != nullptr || model.triangleSet != nullptr,
                [&view, type] { view.applyMapType(type); });
            if (type != MapType::TriangleNetwork) {
                command(kMethod, MapCommand::Interpolation);
            } else {
                // The network of the map's points, or the one the TRIANGLES
                // document brought.
                const bool points =
                    model.mainPoints() != nullptr && model.mainPoints()->countWithValues() >= 2;
                add(kWriteTriangles, points || model.triangleSet != nullptr, [&model] {
                    if (model.triangleSet != nullptr) {
                        writeTriangleSet(*model.triangleSet);
                    } else {
                        writeNetwork(model.networkSource());
                    }
                });
            }
            if (type == MapType::ColorCells) {
                add(kCellColour, model.grid() != nullptr, [this, &model] {
                    if (const auto chosen = askColor(this, model.grid()->cellColor)) {
                        model.setCellColor(*chosen);
                    }
                });
                command(kCellBorders, MapCommand::ToggleGridLines);
            }
            break;
        }
        case Node::Title:
            command(kChangeLook, MapCommand::Title);
            break;
        case Node::PointSet: {
            PointSet* set = objectOf<PointSet>(item);
            add(kMakeActive, set != model.mainPoints(),
                [&model, set] { model.setMainPoints(set); });
            // Checked while the set is laid over the main set's extent.
            const PointSet* main = model.mainPoints();
            QAction* isolate =
                add(kIsolate,
                    set->derived() != nullptr ||
                        (main != nullptr && main != set && main->size() > 0 && set->size() > 0),
                    [&view, set] { view.isolateSeries(*set); });
            isolate->setCheckable(true);
            isolate->setChecked(set->derived() != nullptr);
            add(kJoin, set->size() >= 2, [&model, set] { model.joinPoints(*set); });
            add(kInterpolate, window->commandState(MapCommand::Interpolation).enabled,
                [window, set] {
                    window->view().model().setMainPoints(set);
                    window->runCommand(MapCommand::Interpolation);
                });
            add(kRegression, set->size() >= 1,
                [this, &model, set] { runRegressionDialog(this, model, *set); });
            add(kRemoveRegression, set->regression() != nullptr,
                [&model, set] { model.removeRegression(*set); });
            add(kDelete, true, [&model, set] { model.removePointSet(set); });
            break;
        }
        case Node::DataSets:
            add(kLoadSeries, true, [window] { window->addDataFile(true); });
            add(kAddSeries, true, [window] { window->addDataFile(false); });
            add(kSelectionSeries, false, nullptr);
            break;
        case Node::Badges:
            command(kChangeLook, MapCommand::BadgeFormat);
            break;
        case Node::Grid:
            add(kValues, model.grid() != nullptr && model.grid()->hasValues(),
                [window] { window->openNodeWindow(); });
            add(kFilter, model.grid() != nullptr && model.grid()->hasValues(),
                [this, window] { runFilterDialog(this, window->view()); });
            add(kRedraw, model.grid() != nullptr && model.mainPoints() != nullptr,
                [&view] { view.reinterpolate(); });
            command(kWriteValues, MapCommand::WriteGridText);
            break;
        case Node::PointPolygons: {
            const EqNet* grid = model.grid();
            const bool built = grid != nullptr && grid->pointPolygons != nullptr;
            add(kDraw,
                grid != nullptr && model.mainPoints() != nullptr && model.mainPoints()->size() > 0,
                [&model] { model.buildPointPolygons(); });
            add(kCopyToLines, built, [&model] { model.copyPointPolygonsToLines(); });
            add(kWriteAreas, built, [window] { window->writePolygonReport(false); });
            add(kWriteVolumes, built && grid->hasValues(),
                [window] { window->writePolygonReport(true); });
            add(kDelete, built, [&model] { model.removePointPolygons(); });
            break;
        }
        case Node::Border:
            command(kChangeLook, MapCommand::Border);
            add(kDelete, model.border() != nullptr, [&model] { model.deleteBorder(); });
            break;
        case Node::Isolines:
        case Node::Isoline: {
            const std::optional<int> index =
                kindOf(item) == Node::Isoline ? std::optional<int>(number) : std::nullopt;
            const bool any = model.isolines() != nullptr && !model.isolines()->empty();
            command(kChangeLook, MapCommand::IsolineList);
            add(kInsert, model.grid() != nullptr,
                [this, &model, index] { insertIsolineAsked(this, model, index); });
            add(kCopyIsolines, any, [&model, index] { model.copyIsolinesToLines(index); });
            add(kCopyColourBands, model.colorFill() != nullptr,
                [&model] { model.copyColorFillToLines(); });
            add(kDelete, any, [&model, index] { model.removeIsolines(index); });
            break;
        }
        case Node::Background:
            add(kChangeLook, false, nullptr);
            command(kLoad, MapCommand::BackgroundPicture);
            add(kDelete, view.background != nullptr, [&view] {
                view.background.reset();
                view.markChanged();
            });
            command(kDigitize, MapCommand::Digitizing);
            break;
        case Node::Lines: {
            Bush* group = objectOf<Bush>(item);
            // The group, or the tree itself, made only when an item needs it
            // (a menu that merely opens leaves the map as it is).
            const auto lines = [&model, group]() -> Bush& {
                return group != nullptr ? *group : model.objectTree();
            };
            Bush* shown = group != nullptr ? group : model.objectTreeIfAny();
            add(kChangeLook, shown != nullptr && !linesOf(*shown).empty(),
                [this, &view, lines] { runLineDialog(this, view, linesOf(lines())); });
            command(kDrawLine, MapCommand::DrawLine);
            add(kAddLine, window->commandState(MapCommand::DrawLine).enabled && !view.lineDrawing(),
                [&view, lines] { view.drawLineInto(lines()); });
            add(kAddGroup, true, [&model, lines] { model.addGroup(lines()); });
            add(kAddText, true, [this, &view, lines] { addTextAsked(this, view, lines()); });
            add(kSave, group != nullptr, [window, group] { window->saveLines(*group); });
            add(kImport, true, [window, lines] { window->importLines(lines()); });
            add(kDelete, group != nullptr, [&model, group] { model.removeGroup(group); });
            break;
        }
        case Node::Line: {
            BushItem* line = objectOf<BushItem>(item);
            add(kChangeLook, true,
                [this, &view, line] { runLineDialog(this, view, {line->line()}); });
            add(kDelete, true, [&model, line] { model.removeItem(line); });
            add(kSave, true, [window, line] { window->saveLine(*line->line()); });
            add(kAssignValue, true,
                [this, &model, line] { assignValueAsked(this, model, *line->line()); });
            break;
        }
        case Node::Text: {
            BushItem* text = objectOf<BushItem>(item);
            add(kChangeLook, true, [this, &view, text] { editTextAsked(this, view, *text); });
            add(kDelete, true, [&model, text] { model.removeItem(text); });
            break;
        }
        case Node::Axis: {
            auto* axis = objectOf<MapAxis>(item);
            add(kChangeLook, true, [this, &view, axis] { editAxisAsked(this, view, *axis); });
            add(kDelete, true, [&view, axis] {
                view.axesLayer().remove(axis);
                view.markChanged();
            });
            break;
        }
        case Node::Axes:
            add(kAddAxis, true, [this, &view] { addAxisAsked(this, view); });
            add(kDelete, view.axes != nullptr, [&view] {
                view.axes.reset();
                view.markChanged();
            });
            add(kAxesAsDefault, view.axes != nullptr,
                [&view] { view.axesLayer().writeDefaults(); });
            break;
        case Node::Root:
        case Node::Maps:
        case Node::Points:
            break;
    }
    return menu;
}

void MapBar::contextMenu(const QPoint& at) {
    QTreeWidgetItem* item = tree_->itemAt(at);
    if (item == nullptr) return;
    tree_->setCurrentItem(item);
    const std::unique_ptr<QMenu> menu = menuFor(item);
    if (menu->isEmpty()) return;
    menu->exec(tree_->viewport()->mapToGlobal(at));
}

void MapBar::activate(QTreeWidgetItem* item) {
    if (item == nullptr || window_ == nullptr) return;
    // A map type is drawn, a point set made the main set, a line or an
    // axis opens its look (the first items of their menus); the other
    // objects open their dialogs.
    std::optional<MapCommand> command;
    switch (kindOf(item)) {
        case Node::MapType:
        case Node::PointSet:
        case Node::Line:
        case Node::Text:
        case Node::Axis: {
            const std::unique_ptr<QMenu> menu = menuFor(item);
            QAction* first = menu->actions().isEmpty() ? nullptr : menu->actions().front();
            if (first != nullptr && first->isEnabled()) first->trigger();
            return;
        }
        case Node::Title:
            command = MapCommand::Title;
            break;
        case Node::Badges:
            command = MapCommand::BadgeFormat;
            break;
        case Node::Grid:
            command = MapCommand::Grid;
            break;
        case Node::Border:
            command = MapCommand::Border;
            break;
        case Node::Isolines:
        case Node::Isoline:
            command = MapCommand::IsolineList;
            break;
        case Node::Background:
            command = MapCommand::BackgroundPicture;
            break;
        default:
            return;
    }
    window_->runCommand(*command);
}

}  // namespace gridova
