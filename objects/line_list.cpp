#include "objects/line_list.h"

#include "data/section_io.h"

namespace gridova {
namespace {

constexpr std::string_view kTag = "LS01";

// The fewest bytes an "LN01" section can take: its record's length and tag
// (a record may be shorter than this layout's), and the length word of its
// extent's record. A count of lines is checked against the bytes left.
constexpr std::size_t kMinLineSectionBytes = 4 + 12 + 4;

// The "LS01" record after its tag: the count of lines that follow it and
// the selected line, which the reader checks once the lines are read.
template <class Io>
void listFields(Io& io, std::int32_t& count, std::int32_t& selected) {
    io.word(count);
    io.word(selected);
}

}  // namespace

std::size_t LineList::add(Line line) {
    if (!line.empty()) {
        if (hasExtent_) {
            extent_.include(line.extent());
        } else {
            extent_ = line.extent();
            hasExtent_ = true;
        }
    }
    lines_.push_back(std::move(line));
    return lines_.size() - 1;
}

void LineList::clear() {
    lines_.clear();
    extent_ = DRect();
    hasExtent_ = false;
    current = -1;
}

const Line* LineList::line(std::size_t i) const { return i < lines_.size() ? &lines_[i] : nullptr; }

Line* LineList::line(std::size_t i) { return i < lines_.size() ? &lines_[i] : nullptr; }

std::size_t LineList::totalPoints() const {
    std::size_t n = 0;
    for (const Line& l : lines_) n += l.size();
    return n;
}

const Line* LineList::longestLine() const {
    const Line* best = nullptr;
    for (const Line& l : lines_) {
        if (best == nullptr || l.size() > best->size()) best = &l;
    }
    return best;
}

void LineList::setColor(std::int32_t colorLine) {
    for (Line& l : lines_) l.style.colorLine = colorLine;
}

void LineList::setWidth(std::int32_t widthLine) {
    for (Line& l : lines_) l.style.widthLine = widthLine;
}

void LineList::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kTag);
    auto count = static_cast<std::int32_t>(lines_.size());
    std::int32_t selected = current;
    RecordWriting io(r);
    listFields(io, count, selected);
    r.writeRecord(out);
    for (const Line& l : lines_) l.writeSection(out);
    extent_.writeSection(out);
}

bool LineList::readSection(BinaryReader& in) {
    clear();
    RecordBuffer r;
    if (section_io::openSection(in, r, kTag) != 1) return false;
    std::int32_t count = 0;
    std::int32_t selected = -1;
    RecordReading io(r);
    listFields(io, count, selected);
    if (!section_io::countFits(in, count, kMinLineSectionBytes)) return section_io::refuse(in);
    lines_.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        Line l;
        if (!l.readSection(in)) return section_io::stop(in);
        lines_.push_back(std::move(l));
    }
    if (!extent_.readSection(in)) return section_io::partFailed(in);
    hasExtent_ = true;
    current = selected >= 0 && selected < count ? selected : -1;
    return true;
}

}  // namespace gridova
