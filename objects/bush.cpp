#include "objects/bush.h"

#include <algorithm>
#include <limits>

#include "data/section_io.h"
#include "objects/line_list.h"
#include "platform/messages.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr std::string_view kBushTag = "Bush01";
constexpr std::string_view kItemTag = "BI01";
constexpr int kGroupName = 363;  // "Группа"
constexpr int kItemName = 367;   // "Линия"
constexpr std::int32_t kNoArray = -1;
constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t trailingNumberStart(std::string_view name) {
    std::size_t start = name.size();
    while (start > 0 && isDigit(name[start - 1])) --start;
    return start;
}

// An automatic name cut to the limit: characters before the trailing number
// go first, so that names that differ in their numbers stay apart.
std::string fitName(std::string_view name, std::size_t limit) {
    if (utf8Length(name) <= limit) return std::string(name);
    const std::size_t digitsAt = trailingNumberStart(name);
    const std::size_t digits = name.size() - digitsAt;
    if (digits >= limit) return std::string(firstCharacters(name, limit));
    return std::string(firstCharacters(name.substr(0, digitsAt), limit - digits)) +
           std::string(name.substr(digitsAt));
}

// The "BI01" record after its tag: whether the object's section follows,
// and the item's type.
template <class Io>
void itemFields(Io& io, std::int32_t& present, std::int32_t& type) {
    io.word(present);
    io.word(type);
}

// A name of the "Bush01" record, through the group's accessors. Reading, an
// empty or absent name is not taken and a stored one is kept as UTF-8.
template <class Io, class Group, class Get, class Set>
void nameField(Io& io, Group& b, Get get, Set set) {
    if constexpr (Io::kReading) {
        std::string stored;
        if (io.text(stored) && !stored.empty()) (b.*set)(toUtf8(stored));
    } else {
        io.text((b.*get)());
    }
}

// The "Bush01" record after its tag; the palette's size is handed to the
// caller, which checks it against the palette that follows.
template <class Group, class Io>
void groupFields(Group& b, Io& io, std::int32_t& paletteSize) {
    nameField(io, b, &Bush::name, &Bush::setName);
    nameField(io, b, &Bush::nextGroupName, &Bush::setNextGroupName);
    nameField(io, b, &Bush::nextItemName, &Bush::setNextItemName);
    for (auto& v : b.kept) io.word(v);
    io.word(paletteSize);
}

std::optional<DRect> unite(std::optional<DRect> a, const std::optional<DRect>& b) {
    if (!b) return a;
    if (!a) return b;
    a->include(*b);
    return a;
}

}  // namespace

std::string nextAutomaticName(std::string_view name) {
    std::string next(name);
    const std::size_t start = trailingNumberStart(next);
    if (start == next.size()) return next + "1";
    std::size_t i = next.size();
    while (i > start && next[i - 1] == '9') next[--i] = '0';
    if (i > start) {
        ++next[i - 1];
    } else {
        next.insert(start, 1, '1');  // all nines: one digit more
    }
    return next;
}

// --- BushItem -----------------------------------------------------------------

BushItem::BushItem(Line line) : type_(Type::Line), object_(std::move(line)) {}
BushItem::BushItem(MapAxis axis) : type_(Type::Axis), object_(std::move(axis)) {}
BushItem::BushItem(PointSet set) : type_(Type::PointSet), object_(std::move(set)) {}
BushItem::BushItem(MapText text) : type_(Type::Text), object_(std::move(text)) {}
BushItem::BushItem(Type type) : type_(type) {}

std::optional<std::string> BushItem::name() const {
    if (const Line* l = line()) return l->name.value_or(std::string());
    if (const PointSet* s = pointSet()) return s->name();
    if (const MapAxis* a = axis()) return a->name;
    return std::nullopt;
}

void BushItem::setName(std::string_view name) {
    if (Line* l = line()) l->name = std::string(name);
    if (PointSet* s = pointSet()) s->setName(name);
    if (MapAxis* a = axis()) a->name = std::string(name);
}

std::size_t BushItem::nameLimit() const {
    return pointSet() != nullptr ? PointSet::kMaxNameLength : kUnlimited;
}

std::optional<DRect> BushItem::extent() const {
    if (const Line* l = line()) {
        if (!l->empty()) return l->extent();
        return std::nullopt;
    }
    if (const PointSet* s = pointSet()) {
        const std::vector<DataPoint>& points = s->asSeen().points();
        if (points.empty()) return std::nullopt;
        DRect r(points.front().x, points.front().y, points.front().x, points.front().y);
        for (const DataPoint& p : points) r.include(p.x, p.y);
        return r;
    }
    return std::nullopt;
}

void BushItem::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kItemTag);
    std::int32_t present = hasObject() ? 1 : 0;
    auto type = static_cast<std::int32_t>(type_);
    RecordWriting io(r);
    itemFields(io, present, type);
    r.writeRecord(out);
    if (const Line* l = line()) l->writeSection(out);
    if (const MapAxis* a = axis()) a->writeSection(out);
    if (const PointSet* s = pointSet()) s->writeSection(out);
    if (const MapText* t = text()) t->writeSection(out);
}

std::unique_ptr<BushItem> BushItem::readSection(BinaryReader& in, int depth) {
    RecordBuffer r;
    if (section_io::openSection(in, r, kItemTag) != 1) return nullptr;
    std::int32_t present = 0;
    std::int32_t type = 0;
    RecordReading io(r);
    itemFields(io, present, type);
    const auto known = static_cast<Type>(type);
    if (known != Type::Line && known != Type::Axis && known != Type::PointSet &&
        known != Type::Text) {
        // Nothing tells how long the object's section is.
        section_io::refuse(in);
        return nullptr;
    }
    auto item = std::make_unique<BushItem>(known);
    if (present == 0) return item;
    bool ok = false;
    switch (known) {
        case Type::Line: {
            Line l;
            ok = l.readSection(in);
            item->object_ = std::move(l);
            break;
        }
        case Type::Axis: {
            MapAxis a;
            ok = a.readSection(in);
            item->object_ = std::move(a);
            break;
        }
        case Type::Text: {
            MapText t;
            ok = t.readSection(in);
            item->object_ = std::move(t);
            break;
        }
        case Type::PointSet: {
            PointSet s;
            if (!s.readSection(in, depth)) {
                section_io::partFailed(in);
                return nullptr;
            }
            item->object_ = std::move(s);
            return item;
        }
    }
    if (!ok) {
        section_io::stop(in);
        return nullptr;
    }
    return item;
}

// --- Bush -------------------------------------------------------------------------

Bush::Bush() { reset(); }

Bush::Bush(std::string_view name) : Bush() { setName(name); }

Bush::~Bush() = default;

void Bush::reset() {
    name_.clear();
    nextGroupName_ = text(kGroupName);
    nextItemName_ = text(kItemName);
    items_.clear();
    children_.clear();
    palette_.reset();
    extent_.reset();
    kept.fill(0);
    modified = false;
}

void Bush::setName(std::string_view name) { name_.assign(firstCharacters(name, kMaxNameLength)); }

bool Bush::nameTaken(std::string_view name) const {
    for (const auto& item : items_) {
        const std::optional<std::string> n = item->name();
        if (n && *n == name) return true;
    }
    for (const auto& child : children_) {
        if (child->name_ == name) return true;
    }
    return false;
}

std::string Bush::freeName(std::string name, std::string& next, std::size_t limit) const {
    const auto automatic = [&] {
        std::string n = fitName(next, limit);
        next = nextAutomaticName(next);
        return n;
    };
    if (name.empty()) name = automatic();
    // The names tried differ in their numbers, so among one more name than
    // the group holds one is free.
    const std::size_t attempts = items_.size() + children_.size() + 1;
    for (std::size_t i = 0; i < attempts && nameTaken(name); ++i) name = automatic();
    return name;
}

void Bush::growExtent(const DRect& r) {
    for (Bush* b = this; b != nullptr; b = b->parent_) {
        if (b->extent_) {
            b->extent_->include(r);
        } else {
            b->extent_ = r;
        }
    }
}

void Bush::markModified() {
    for (Bush* b = this; b != nullptr; b = b->parent_) b->modified = true;
}

BushItem& Bush::addItem(BushItem item) {
    if (const std::optional<std::string> n = item.name()) {
        item.setName(freeName(*n, nextItemName_, item.nameLimit()));
    }
    items_.push_back(std::make_unique<BushItem>(std::move(item)));
    BushItem& added = *items_.back();
    if (const std::optional<DRect> r = added.extent()) growExtent(*r);
    markModified();
    return added;
}

Bush& Bush::addChild(std::unique_ptr<Bush> child) {
    return insertChild(children_.size(), std::move(child));
}

Bush& Bush::insertChild(std::size_t position, std::unique_ptr<Bush> child) {
    child->name_ = freeName(child->name_, nextGroupName_, kMaxNameLength);
    child->parent_ = this;
    const std::size_t at = std::min(position, children_.size());
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(at), std::move(child));
    Bush& added = *children_[at];
    if (added.extent_) growExtent(*added.extent_);
    markModified();
    return added;
}

std::unique_ptr<BushItem> Bush::removeItem(const BushItem* item) {
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (it->get() == item) {
            std::unique_ptr<BushItem> taken = std::move(*it);
            items_.erase(it);
            recomputeExtent();
            markModified();
            return taken;
        }
    }
    for (auto& child : children_) {
        if (auto taken = child->removeItem(item)) return taken;
    }
    return nullptr;
}

std::unique_ptr<Bush> Bush::removeChild(const Bush* child) {
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        if (it->get() == child) {
            std::unique_ptr<Bush> taken = std::move(*it);
            children_.erase(it);
            taken->parent_ = nullptr;
            recomputeExtent();
            markModified();
            return taken;
        }
    }
    return nullptr;
}

Bush* Bush::findChild(std::string_view name) {
    for (auto& child : children_) {
        if (child->name_ == name) return child.get();
    }
    return nullptr;
}

BushItem* Bush::findItem(std::string_view name) {
    for (auto& item : items_) {
        const std::optional<std::string> n = item->name();
        if (n && *n == name) return item.get();
    }
    for (auto& child : children_) {
        if (BushItem* found = child->findItem(name)) return found;
    }
    return nullptr;
}

BushItem* Bush::findItemHolding(const PointSet* set) {
    for (auto& item : items_) {
        if (item->pointSet() != nullptr && item->pointSet() == set) return item.get();
    }
    for (auto& child : children_) {
        if (BushItem* found = child->findItemHolding(set)) return found;
    }
    return nullptr;
}

std::optional<Bush::LineHit> Bush::hitTestLines(double x, double y, double tolX, double tolY) {
    for (auto& item : items_) {
        if (const Line* l = item->line()) {
            if (const std::optional<std::size_t> i = l->hitTest(x, y, tolX, tolY)) {
                return LineHit{item.get(), *i};
            }
        }
    }
    for (auto& child : children_) {
        if (auto hit = child->hitTestLines(x, y, tolX, tolY)) return hit;
    }
    return std::nullopt;
}

std::vector<PointSet*> Bush::pointSets() {
    std::vector<PointSet*> sets;
    for (auto& item : items_) {
        if (PointSet* s = item->pointSet()) sets.push_back(s);
    }
    for (auto& child : children_) {
        std::vector<PointSet*> more = child->pointSets();
        sets.insert(sets.end(), more.begin(), more.end());
    }
    return sets;
}

void Bush::collectLines(LineList& out) const {
    for (const auto& item : items_) {
        if (const Line* l = item->line()) out.add(*l);
    }
    for (const auto& child : children_) child->collectLines(out);
}

void Bush::copyLineStyle(const Line& from) {
    for (auto& item : items_) {
        if (Line* l = item->line()) l->copyStyle(from);
    }
    for (auto& child : children_) child->copyLineStyle(from);
}

const ColorPalette* Bush::nearestPalette() const {
    for (const Bush* b = this; b != nullptr; b = b->parent_) {
        if (b->palette_) return &*b->palette_;
    }
    return nullptr;
}

void Bush::recomputeExtent() {
    for (Bush* b = this; b != nullptr; b = b->parent_) {
        std::optional<DRect> e;
        for (const auto& item : b->items_) e = unite(e, item->extent());
        for (const auto& child : b->children_) e = unite(e, child->extent_);
        if (!e) {
            b->extent_.reset();
        } else if (b->extent_) {
            // The device rectangle cached by drawing is kept.
            b->extent_->minX = e->minX;
            b->extent_->minY = e->minY;
            b->extent_->maxX = e->maxX;
            b->extent_->maxY = e->maxY;
        } else {
            b->extent_ = e;
        }
    }
}

void Bush::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kBushTag);
    std::int32_t paletteSize = palette_ ? static_cast<std::int32_t>(palette_->size()) : 0;
    RecordWriting io(r);
    groupFields(*this, io, paletteSize);
    r.writeRecord(out);
    if (palette_) {
        const std::vector<std::int32_t> words(palette_->begin(), palette_->end());
        writeDirectOptionalWords(out, &words);
    } else {
        writeDirectOptionalWords(out, nullptr);
    }
    out.word(extent_ ? 1 : 0);
    if (extent_) extent_->writeSection(out);
    out.word(items_.empty() ? kNoArray : static_cast<std::int32_t>(items_.size()));
    for (const auto& item : items_) {
        out.word(1);
        item->writeSection(out);
    }
    out.word(children_.empty() ? kNoArray : static_cast<std::int32_t>(children_.size()));
    for (const auto& child : children_) {
        out.word(1);
        child->writeSection(out);
    }
}

bool Bush::readSection(BinaryReader& in, int depth) {
    reset();
    if (depth > kMaxSectionDepth) return section_io::refuse(in);
    RecordBuffer r;
    if (section_io::openSection(in, r, kBushTag) != 1) return false;
    std::int32_t paletteSize = 0;
    RecordReading io(r);
    groupFields(*this, io, paletteSize);

    // The palette: its size must be the one the record gave (0 without one).
    std::int32_t flag = 0;
    if (!in.word(flag)) return section_io::refuse(in);
    if (flag != 0) {
        std::vector<std::int32_t> words;
        if (!readDirectWords(in, words)) return section_io::refuse(in);
        if (paletteSize < 0 || static_cast<std::size_t>(paletteSize) != words.size()) {
            return section_io::refuse(in);
        }
        palette_ = ColorPalette(words.begin(), words.end());
    } else if (paletteSize != 0) {
        return section_io::refuse(in);
    }

    if (!in.word(flag)) return section_io::refuse(in);
    if (flag != 0) {
        DRect e;
        if (!e.readSection(in)) return section_io::partFailed(in);
        extent_ = e;
    }

    // Items and children: a count, −1 for none; each entry takes at least
    // its presence word.
    const auto readCount = [&](std::int32_t& count) {
        if (!in.word(count)) return false;
        if (count == kNoArray) {
            count = 0;
            return true;
        }
        return section_io::countFits(in, count, sizeof(std::int32_t));
    };
    std::int32_t count = 0;
    if (!readCount(count)) return section_io::refuse(in);
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t present = 0;
        if (!in.word(present)) return section_io::refuse(in);
        if (present == 0) continue;
        std::unique_ptr<BushItem> item = BushItem::readSection(in, depth);
        if (!item) return section_io::stop(in);
        items_.push_back(std::move(item));
    }
    if (!readCount(count)) return section_io::refuse(in);
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t present = 0;
        if (!in.word(present)) return section_io::refuse(in);
        if (present == 0) continue;
        auto child = std::make_unique<Bush>();
        child->parent_ = this;
        const bool ok = child->readSection(in, depth + 1);
        children_.push_back(std::move(child));
        if (!ok) return section_io::stop(in);
    }
    return true;
}

}  // namespace gridova
