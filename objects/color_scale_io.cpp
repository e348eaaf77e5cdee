// `ColorScale` on file: the colour file ".clr", the "CS01" section and the
// profile section "Color Scale".
//
// Colour file (text, one item a line):
//     ScaleColors:01
//     Colors Count:
//     <count>
//     <colour>          count lines, 0x00BBGGRR as a decimal integer, in
//     ...               the bar's order from the top
// With the maximum at the top (UpDown 0) the first line is the highest
// band's colour, so a file written that way and read into a scale with the
// maximum at the bottom turns the colours over.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "data/font_block.h"
#include "data/font_record.h"
#include "data/section_io.h"
#include "objects/color_scale.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr std::string_view kSectionTag = "CS01";
constexpr std::string_view kCountLabel = "Colors Count:";
constexpr int kBadFileMessage = 217;  // "Файл не имеет определенный формат!"
constexpr std::size_t kColorLineChars = 120;  // what a colour line may carry
constexpr gdi::ColorRef kColorMask = 0x00FFFFFFu;

// A C reader's "%ld": blanks, an optional sign and digits at the start of
// the line; what follows them is not looked at.
std::optional<std::int64_t> leadingInteger(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])) != 0) ++i;
    std::size_t end = i;
    if (end < line.size() && (line[end] == '-' || line[end] == '+')) ++end;
    const std::size_t digits = end;
    while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end])) != 0) ++end;
    if (end == digits) return std::nullopt;
    std::string_view token = line.substr(i, end - i);
    if (token.front() == '+') token.remove_prefix(1);
    return parseLong(token);
}

// A colour line: a 32-bit value whose low three bytes are the colour.
std::optional<gdi::ColorRef> colorLine(std::string_view line) {
    const auto v = leadingInteger(line.substr(0, kColorLineChars));
    if (!v || *v < std::numeric_limits<std::int32_t>::min() ||
        *v > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<gdi::ColorRef>(static_cast<std::uint64_t>(*v)) & kColorMask;
}

bool badFile() {
    warning(text(kBadFileMessage));
    return false;
}

std::string firstWord(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])) != 0) ++i;
    std::size_t end = i;
    while (end < line.size() && std::isspace(static_cast<unsigned char>(line[end])) == 0) ++end;
    return std::string(line.substr(i, end - i));
}

void readColorKey(std::string_view key, gdi::ColorRef& color) {
    std::int64_t v = color;
    if (readProfileLong(ColorScale::kProfileSection, key, v) == 0 && v >= 0 && v <= kColorMask) {
        color = static_cast<gdi::ColorRef>(v);
    }
}

void readFlagKey(std::string_view key, std::int32_t& flag) {
    std::int32_t v = flag;
    if (readProfileInt(ColorScale::kProfileSection, key, v) == 0) flag = v != 0 ? 1 : 0;
}

void readFractionKey(std::string_view key, double& fraction) {
    double v = fraction;
    if (readProfileDouble(ColorScale::kProfileSection, key, v) == 0 && v >= 0 && v <= 1) {
        fraction = v;
    }
}

}  // namespace

// --- Colour file ------------------------------------------------------------------

bool ColorScale::writeColors(std::FILE* file) const {
    std::string out;
    out += kColorFileTag;
    out += '\n';
    out += kCountLabel;
    out += '\n';
    out += std::to_string(count_);
    out += '\n';
    const auto n = static_cast<std::size_t>(count_);
    for (std::size_t i = 0; i < n; ++i) {
        out += std::to_string(colors_[upDown != 0 ? i : n - 1 - i]);
        out += '\n';
    }
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

bool ColorScale::writeColorFile(const std::string& path) const {
    const auto file = openTextWrite(path);
    if (file == nullptr) return false;
    if (!writeColors(file->file())) {
        file->discard();
        warning(formatText(text(201), {path}));
        return false;
    }
    return commitOrWarn(*file);
}

bool ColorScale::readColorFile(const std::string& path, int position) {
    const FilePtr file = openTextRead(path);
    if (file == nullptr) return false;
    FileLineSource lines(file.get());
    return readColors(lines, position);
}

bool ColorScale::readColors(LineSource& lines, int position) {
    std::string_view line;
    if (!lines.next(line) || firstWord(line) != kColorFileTag) return badFile();
    if (!lines.next(line)) return badFile();  // the "Colors Count:" label
    if (!lines.next(line)) return badFile();
    const auto fileCount = leadingInteger(line);
    if (!fileCount || *fileCount < 1) return badFile();
    if (position == kNewScale) {
        if (*fileCount > kMaxCount) return badFile();
        setCount(static_cast<std::int32_t>(*fileCount));
        position = 0;
    }
    // Line i goes to position + i (maximum at the bottom) or to
    // Count - 1 - position - i; only i in [first, end) lands in the table.
    const std::int64_t first = std::max<std::int64_t>(0, -static_cast<std::int64_t>(position));
    const std::int64_t end =
        std::min<std::int64_t>(*fileCount, static_cast<std::int64_t>(count_) - position);
    bool ended = false;
    std::int64_t i = 0;
    for (; i < std::min(first, *fileCount); ++i) {
        if (!lines.next(line)) {
            ended = true;
            break;
        }
        if (!colorLine(line)) return badFile();
    }
    for (i = first; i < end; ++i) {
        gdi::ColorRef color = 0;  // a missing line is black
        if (!ended && lines.next(line)) {
            const auto c = colorLine(line);
            if (!c) return badFile();
            color = *c;
        } else {
            ended = true;
        }
        const std::int64_t index =
            upDown != 0 ? position + i : static_cast<std::int64_t>(count_) - 1 - position - i;
        colors_[static_cast<std::size_t>(index)] = color;
    }
    if (lines.failure() == LineSource::Failure::OutOfMemory) {
        outOfMemory();  // a line too long for the memory left, not a bad file
        return false;
    }
    return lines.failed() ? badFile() : true;
}

// --- Document section ---------------------------------------------------------------

// Colours keep their low 24 bits when read; Count is checked by the reader.
template <class Scale, class Io>
void ColorScale::recordFields(Scale& s, Io& io) {
    for (auto* v :
         {&s.paletteSize, &s.count_, &s.width, &s.barHeight, &s.labelHeight, &s.top, &s.left,
          &s.location, &s.upDown, &s.setMinMax, &s.visible, &s.gap, &s.paletteMode}) {
        io.word(*v);
    }
    io.word(s.minColor);
    io.word(s.maxColor);
    if constexpr (Io::kReading) {
        s.minColor &= kColorMask;
        s.maxColor &= kColorMask;
    }
    for (auto* v : {&s.minValue, &s.maxValue, &s.dataMin, &s.dataMax, &s.min_, &s.max_, &s.step_}) {
        io.number(*v);
    }
}

void ColorScale::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kSectionTag);
    RecordWriting io(r);
    recordFields(*this, io);
    r.writeRecord(out);
    writeFontRecord(out, font);
    std::vector<std::int32_t> words(colors_.begin(), colors_.end());
    writeDirectWords(out, words);
    writeDirectDoubles(out, boundaries_);
    barRect.writeSection(out);
}

bool ColorScale::readSection(BinaryReader& in) {
    RecordBuffer r;
    if (section_io::openSectionQuietly(in, r, kSectionTag) != 1) return false;
    const auto damaged = [&] { return section_io::refuse(in); };
    // Read into a copy, taken over only when the whole section is sound.
    ColorScale next(*this);
    RecordReading io(r);
    recordFields(next, io);
    if (next.count_ < 1 || next.count_ > kMaxCount) return damaged();
    if (!readFontRecord(in, next.font)) return damaged();

    // Both tables hold exactly Count + 1 entries.
    const auto entries = static_cast<std::size_t>(next.count_) + 1;
    std::vector<std::int32_t> words;
    if (!readDirectWords(in, words) || words.size() != entries) return damaged();
    std::vector<double> bounds;
    if (!readDirectDoubles(in, bounds) || bounds.size() != entries) return damaged();
    if (!next.barRect.readSection(in)) return damaged();

    next.colors_.resize(entries);
    for (std::size_t i = 0; i < entries; ++i) {
        next.colors_[i] = static_cast<gdi::ColorRef>(words[i]) & kColorMask;
    }
    next.boundaries_ = std::move(bounds);
    *this = std::move(next);
    return true;
}

// --- Profile ------------------------------------------------------------------------

void ColorScale::readProfile() {
    readColorKey("Min Color", minColor);
    readColorKey("Max Color", maxColor);
    std::int32_t digits = digit;
    if (readProfileInt(kProfileSection, "Digit", digits) == 0) digit = digits;
    digit = std::clamp(digit, 0, kMaxDigits);
    readFlagKey("Location", location);
    readFlagKey("UpDown", upDown);
    readFlagKey("SetMinMax", setMinMax);
    readFractionKey("FrUp", frUp);
    readFractionKey("FrDown", frDown);
    readProfileDouble(kProfileSection, "Min Value", minValue);
    readProfileDouble(kProfileSection, "Max Value", maxValue);
    readLogFontProfile(kProfileSection, font);
}

void ColorScale::writeProfile() const {
    writeProfileLong(kProfileSection, "Min Color", minColor);
    writeProfileLong(kProfileSection, "Max Color", maxColor);
    writeProfileInt(kProfileSection, "Digit", std::clamp(digit, 0, kMaxDigits));
    writeProfileInt(kProfileSection, "Location", location);
    writeProfileInt(kProfileSection, "UpDown", upDown);
    writeProfileInt(kProfileSection, "SetMinMax", setMinMax);
    writeProfileDouble(kProfileSection, "FrUp", frUp);
    writeProfileDouble(kProfileSection, "FrDown", frDown);
    writeProfileDouble(kProfileSection, "Min Value", minValue);
    writeProfileDouble(kProfileSection, "Max Value", maxValue);
    writeLogFontProfile(kProfileSection, font);
}

}  // namespace gridova
