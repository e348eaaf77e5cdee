#include "objects/map_title.h"

#include "data/section_io.h"

namespace gridova {

namespace {

constexpr std::size_t kTitleLines = 3;
// The smallest "TX01" section a count can stand for: two records.
constexpr std::size_t kMinTextSection = 16;

// The "TS01" record after its tag; the count of lines is handed to the
// caller, which reads the lines.
template <class Title, class Io>
void titleFields(Title& t, Io& io, std::int32_t& count) {
    io.word(count);
    io.word(t.width);
    io.word(t.height);
    io.word(t.show);
    io.word(t.top);
    io.word(t.bottom);
    for (auto& v : t.kept) io.number(v);
}

}  // namespace

MapTitle MapTitle::fromHeaderLines(const std::vector<std::string>& headers) {
    MapTitle title;
    title.lines.resize(kTitleLines);
    for (std::size_t i = 0; i < kTitleLines; ++i) {
        title.lines[i].text = i < headers.size() ? headers[i] : std::string();
    }
    return title;
}

MapTitle MapTitle::fromTexts(const std::vector<std::string>& texts) {
    MapTitle title;
    for (const std::string& s : texts) {
        MapText t;
        t.text = s;
        title.lines.push_back(std::move(t));
    }
    return title;
}

void MapTitle::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kTag);
    auto count = static_cast<std::int32_t>(lines.size());
    RecordWriting io(r);
    titleFields(*this, io, count);
    r.writeRecord(out);
    for (const MapText& line : lines) line.writeSection(out);
}

bool MapTitle::readSection(BinaryReader& in) {
    *this = MapTitle();
    RecordBuffer r;
    if (section_io::openSection(in, r, kTag) != 1) return false;
    std::int32_t count = 0;
    RecordReading io(r);
    // A record shorter than this layout is damaged.
    titleFields(*this, io, count);
    if (!io.allTaken()) return section_io::refuse(in);
    if (!section_io::countFits(in, count, kMinTextSection)) return section_io::refuse(in);
    lines.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        MapText line;
        if (!line.readSection(in)) return section_io::stop(in);
        lines.push_back(std::move(line));
    }
    return true;
}

}  // namespace gridova
