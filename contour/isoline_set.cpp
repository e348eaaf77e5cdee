#include "contour/isoline_set.h"

#include <algorithm>
#include <compare>
#include <limits>

#include "data/section_io.h"

namespace gridova {
namespace {

// The fewest bytes an "IE01" section can take: its record's length and tag,
// the "IF01" record's length and tag, the font record (five words, eight
// bytes, the face's length), the "LS01" record's length and tag and the
// length word of its extent's record. A count of isolines is checked
// against the bytes left.
constexpr std::size_t kTaggedRecordBytes = 4 + 12;
constexpr std::size_t kMinFontBytes = 5 * 4 + 8 + 4;
constexpr std::size_t kMinIsolineSectionBytes =
    kTaggedRecordBytes + kTaggedRecordBytes + kMinFontBytes + kTaggedRecordBytes + 4;

std::int32_t clampDigits(std::int32_t v) { return std::clamp(v, 0, IsolineFormat::kMaxDigits); }

// The "IE01" record after its tag: the label digits (held to
// 0..kMaxDigits when read) and the level. The reader takes them over once
// the format and the pieces are read.
template <class Io>
void isolineFields(Io& io, std::int32_t& digits, double& level) {
    io.word(digits);
    if constexpr (Io::kReading) digits = clampDigits(digits);
    io.number(level);
}

// The "IS01" record after its tag: the count of isolines that follow it and
// Show, which the reader takes over once the isolines are read.
template <class Io>
void setFields(Io& io, std::int32_t& count, std::int32_t& show) {
    io.word(count);
    io.word(show);
}

// Value order; a total order, so that values read from a file that are not
// numbers cannot upset the sort.
bool valueBefore(const std::unique_ptr<Isoline>& a, const std::unique_ptr<Isoline>& b) {
    return std::strong_order(a->value, b->value) < 0;
}

}  // namespace

// --- Isoline -----------------------------------------------------------------------------------

void Isoline::addPiece(Line piece) {
    piece.value = value;
    pieces_.add(std::move(piece));
}

void Isoline::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kSectionTag);
    std::int32_t digits = labelDigits;
    double level = value;
    RecordWriting io(r);
    isolineFields(io, digits, level);
    r.writeRecord(out);
    format.writeSection(out);
    pieces_.writeSection(out);
}

bool Isoline::readSection(BinaryReader& in) {
    RecordBuffer r;
    if (section_io::openSection(in, r, kSectionTag) != 1) return false;
    std::int32_t digits = labelDigits;
    double level = value;
    RecordReading io(r);
    isolineFields(io, digits, level);
    IsolineFormat f;
    if (!f.readSection(in)) return section_io::stop(in);
    LineList pieces;
    if (!pieces.readSection(in)) return section_io::stop(in);
    labelDigits = digits;
    value = level;
    format = std::move(f);
    pieces_ = std::move(pieces);
    return true;
}

// --- IsolineSet ----------------------------------------------------------------------------------

IsolineSet::IsolineSet() {
    defaultFormat.readProfile();
    show = defaultFormat.show;
}

Isoline* IsolineSet::at(int index) {
    return index >= 0 && static_cast<std::size_t>(index) < isolines_.size()
               ? isolines_[static_cast<std::size_t>(index)].get()
               : nullptr;
}

const Isoline* IsolineSet::at(int index) const { return const_cast<IsolineSet*>(this)->at(index); }

int IsolineSet::indexOf(const Isoline* isoline) const {
    for (std::size_t i = 0; i < isolines_.size(); ++i) {
        if (isolines_[i].get() == isoline) return static_cast<int>(i);
    }
    return -1;
}

int IsolineSet::insert(std::unique_ptr<Isoline> isoline) {
    const auto at = std::find_if(isolines_.begin(), isolines_.end(),
                                 [&](const auto& e) { return !(e->value < isoline->value); });
    if (at == isolines_.end()) {
        if (isolines_.size() % 2 == 1) {
            std::int32_t& spacing = isoline->format.initSpacing;
            spacing = spacing > std::numeric_limits<std::int32_t>::max() - kStaggerSpacing
                          ? std::numeric_limits<std::int32_t>::max()
                          : spacing + kStaggerSpacing;
        }
        isolines_.push_back(std::move(isoline));
        return static_cast<int>(isolines_.size() - 1);
    }
    const auto index = at - isolines_.begin();
    isolines_.insert(at, std::move(isoline));
    return static_cast<int>(index);
}

Isoline& IsolineSet::addLevel(double level) {
    auto isoline = std::make_unique<Isoline>(level);
    isoline->format = defaultFormat;
    Isoline& added = *isoline;
    insert(std::move(isoline));
    return added;
}

bool IsolineSet::removeAt(int index) {
    if (at(index) == nullptr) return false;
    isolines_.erase(isolines_.begin() + index);
    return true;
}

std::vector<double> IsolineSet::values() const {
    std::vector<double> v;
    v.reserve(isolines_.size());
    for (const auto& i : isolines_) v.push_back(i->value);
    return v;
}

int IsolineSet::valueRange(double& lo, double& hi) const {
    if (isolines_.empty()) return -1;
    double a = isolines_.front()->value, b = a;
    for (const auto& i : isolines_) {
        a = std::min(a, i->value);
        b = std::max(b, i->value);
    }
    lo = a;
    hi = b;
    return 0;
}

void IsolineSet::applyFormat(const IsolineFormat& format) {
    for (auto& i : isolines_) i->format = format;
}

void IsolineSet::copyFormatsFrom(const IsolineSet& other) {
    const std::size_t n = std::min(isolines_.size(), other.isolines_.size());
    for (std::size_t i = 0; i < n; ++i) isolines_[i]->format = other.isolines_[i]->format;
}

void IsolineSet::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kSectionTag);
    auto count = static_cast<std::int32_t>(isolines_.size());
    std::int32_t shown = show;
    RecordWriting io(r);
    setFields(io, count, shown);
    r.writeRecord(out);
    for (const auto& i : isolines_) i->writeSection(out);
}

bool IsolineSet::readSection(BinaryReader& in) {
    RecordBuffer r;
    if (section_io::openSection(in, r, kSectionTag) != 1) return false;
    std::int32_t count = 0;
    std::int32_t shown = show;
    RecordReading io(r);
    setFields(io, count, shown);
    if (!section_io::countFits(in, count, kMinIsolineSectionBytes)) return section_io::refuse(in);
    std::vector<std::unique_ptr<Isoline>> read;
    read.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        auto isoline = std::make_unique<Isoline>();
        if (!isoline->readSection(in)) return section_io::stop(in);
        read.push_back(std::move(isoline));
    }
    if (!std::is_sorted(read.begin(), read.end(), valueBefore)) {
        std::stable_sort(read.begin(), read.end(), valueBefore);
    }
    isolines_ = std::move(read);
    show = shown;
    return true;
}

}  // namespace gridova
