// `Bush`: a named tree of groups whose items (`BushItem`) are lines, point
// sets, axes and texts: the map's object tree, its point tree, the axes and
// the colour fill.
//
// Names: within one group the items and the child groups share one set of
// names. An item or group added without a name, or with a name that another
// item or child of the group already has, takes the group's next automatic
// name (for items: first "Линия", message 367; for groups: first "Группа",
// message 363). After each automatic name the trailing decimal number of
// the next one is increased by one, or "1" is appended when it has none:
// "Линия", "Линия1", "Линия2", ... The number is increased digit by digit,
// so it never overflows ("Линия2147483647" is followed by
// "Линия2147483648") and keeps its width ("Линия009", "Линия010"). An
// automatic name that would be longer than its kind allows (127 characters
// for groups and point sets) loses characters before its number, so that
// the numbers keep the names apart. The search for a free name tries at most one name more
// than the group has items and children: since the numbers differ, one of
// them is free; should names collide all the same (a number longer than
// the name allows), the last one tried is taken.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "data/drect.h"
#include "data/point_set.h"
#include "data/record_buffer.h"
#include "objects/line.h"
#include "objects/map_items.h"

namespace gridova {

class LineList;

// One item of a group: an owned line, axis, point set or text.
class BushItem {
public:
    // The item types as stored in "BI01".
    enum class Type : std::int32_t { Line = 2, Axis = 5, PointSet = 6, Text = 7 };

    explicit BushItem(Line line);
    explicit BushItem(MapAxis axis);
    explicit BushItem(PointSet set);
    explicit BushItem(MapText text);
    // An item of the type that holds no object (a document may have one).
    explicit BushItem(Type type);

    Type type() const { return type_; }
    bool hasObject() const { return !std::holds_alternative<std::monostate>(object_); }
    // The object, nullptr when the item holds another kind or none.
    Line* line() { return std::get_if<Line>(&object_); }
    const Line* line() const { return std::get_if<Line>(&object_); }
    MapAxis* axis() { return std::get_if<MapAxis>(&object_); }
    const MapAxis* axis() const { return std::get_if<MapAxis>(&object_); }
    PointSet* pointSet() { return std::get_if<PointSet>(&object_); }
    const PointSet* pointSet() const { return std::get_if<PointSet>(&object_); }
    MapText* text() { return std::get_if<MapText>(&object_); }
    const MapText* text() const { return std::get_if<MapText>(&object_); }

    // The name of the line, point set or axis ("" for an unnamed line);
    // nothing for a text, whose words are no name, and for an empty item.
    std::optional<std::string> name() const;
    // Sets the name of an item that has one (a point set keeps at most its
    // 127 characters).
    void setName(std::string_view name);
    // The longest name the item keeps, in characters.
    std::size_t nameLimit() const;

    // The world rectangle of a line or point set (of the set as seen) with
    // points; nothing for the rest, whose place follows the map.
    std::optional<DRect> extent() const;

    // The "BI01" section: a record (presence of the object, the type), then
    // the object's "LN01", "AX01", "PS01" or "TX01" section.
    void writeSection(BinaryWriter& out) const;
    // The item, or nothing on a wrong tag, an unknown type or a damaged
    // section ("Invalid format." shown once). depth: that of the group.
    static std::unique_ptr<BushItem> readSection(BinaryReader& in, int depth);

private:
    Type type_;
    std::variant<std::monostate, Line, MapAxis, PointSet, MapText> object_;
};

class Bush {
public:
    static constexpr std::size_t kMaxNameLength = 127;  // characters
    static constexpr std::size_t kKeptWords = 6;

    // An empty, unnamed group.
    Bush();
    explicit Bush(std::string_view name);
    Bush(const Bush&) = delete;
    Bush& operator=(const Bush&) = delete;
    ~Bush();

    const std::string& name() const { return name_; }
    // Keeps at most 127 characters.
    void setName(std::string_view name);
    Bush* parent() { return parent_; }
    const Bush* parent() const { return parent_; }

    // The names the next automatic item and group will take.
    const std::string& nextItemName() const { return nextItemName_; }
    const std::string& nextGroupName() const { return nextGroupName_; }
    void setNextItemName(std::string name) { nextItemName_ = std::move(name); }
    void setNextGroupName(std::string name) { nextGroupName_ = std::move(name); }

    std::size_t itemCount() const { return items_.size(); }
    BushItem& item(std::size_t i) { return *items_[i]; }
    const BushItem& item(std::size_t i) const { return *items_[i]; }
    std::size_t childCount() const { return children_.size(); }
    Bush& child(std::size_t i) { return *children_[i]; }
    const Bush& child(std::size_t i) const { return *children_[i]; }

    // --- Building ---------------------------------------------------------------
    // Each gives the added object a free name (see the header comment),
    // grows the extents up the parent chain and marks the groups modified.
    BushItem& addItem(BushItem item);
    Bush& addChild(std::unique_ptr<Bush> child);
    // At the position among the children (the end when beyond it).
    Bush& insertChild(std::size_t position, std::unique_ptr<Bush> child);
    // Takes the item out of the group that holds it, searching the whole
    // tree; nothing when no group holds it.
    std::unique_ptr<BushItem> removeItem(const BushItem* item);
    // Takes a child of this group out; nothing when it is not one.
    std::unique_ptr<Bush> removeChild(const Bush* child);

    // --- Finding ------------------------------------------------------------------
    // A child of this group by name.
    Bush* findChild(std::string_view name);
    // The first item of the tree with the name (depth first: a group's
    // items, then its children in order).
    BushItem* findItem(std::string_view name);
    BushItem* findItemHolding(const PointSet* set);
    // The first line of the tree (depth first) whose hit test succeeds, and
    // the index of the point hit.
    struct LineHit {
        BushItem* item = nullptr;
        std::size_t point = 0;
    };
    std::optional<LineHit> hitTestLines(double x, double y, double tolX, double tolY);
    // Every point set of the tree, depth first.
    std::vector<PointSet*> pointSets();

    // --- Lines ----------------------------------------------------------------------
    // Copies of every line of the tree, depth first.
    void collectLines(LineList& out) const;
    // The style of the line given to every line of the tree.
    void copyLineStyle(const Line& from);

    // --- Palette, extent, drawing ---------------------------------------------------
    void setPalette(ColorPalette palette) { palette_ = std::move(palette); }
    void clearPalette() { palette_.reset(); }
    const std::optional<ColorPalette>& palette() const { return palette_; }
    // The palette of this group or of the nearest group above that has one.
    const ColorPalette* nearestPalette() const;

    // All items and children with a world place; none while there is none.
    // A group read from a document keeps the rectangle stored with it.
    const std::optional<DRect>& extent() const { return extent_; }
    // Recomputes the extent of this group and of the groups above it.
    void recomputeExtent();

    // --- Document section "Bush01" ---------------------------------------------------
    // A record (tag, the name, the next group name, the next item name, the
    // six kept words, the palette size); the palette as a direct optional
    // word array; a direct presence word of the extent and its "DR01"
    // section; the item count (−1 for none) and per item a direct presence
    // word and its "BI01" section; the children the same way with their
    // "Bush01" sections.
    void writeSection(BinaryWriter& out) const;
    // Empties the group and reads a section; groups nest at most
    // kMaxSectionDepth deep. False on a wrong tag ("Invalid format.", the
    // group stays empty, the reader goes on) or a damaged section ("Invalid
    // format." once, the reader fails; what was read is kept).
    bool readSection(BinaryReader& in, int depth = 0);

    // Stored and restored with the section, not used otherwise.
    std::array<std::int32_t, kKeptWords> kept{};
    // Set when an item or group was added or removed here or below.
    bool modified = false;

private:
    void reset();
    bool nameTaken(std::string_view name) const;
    std::string freeName(std::string name, std::string& next, std::size_t limit) const;
    void growExtent(const DRect& r);
    void markModified();

    Bush* parent_ = nullptr;
    std::string name_;
    std::string nextGroupName_;
    std::string nextItemName_;
    std::vector<std::unique_ptr<BushItem>> items_;
    std::vector<std::unique_ptr<Bush>> children_;
    std::optional<ColorPalette> palette_;
    std::optional<DRect> extent_;
};

// The automatic name after this one: the trailing decimal number increased
// by one, or "1" appended.
std::string nextAutomaticName(std::string_view name);

}  // namespace gridova
