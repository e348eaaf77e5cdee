#include "objects/line_text_files.h"

#include <cstdio>
#include <new>

#include "data/tokenizer.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr int kCannotCreateLine = 207;  // "Ошибка!!! Нельзя создать линию."
constexpr int kCannotWrite = 211;       // "Нельзя записать в файл %s"
constexpr int kNotLineList = 212;  // "Файл не имеет определенный формат линий!"
constexpr std::string_view kCannotRead = "Can't read file %s";
constexpr std::size_t kMaxLineNameLength = 126;  // characters
// The fewest bytes a point takes in a text (two one-digit numbers), and a
// line of a line list (one number, or six in "Linies:01").
constexpr std::size_t kMinPointBytes = 2;
constexpr std::size_t kMinListLineBytes = 1;
constexpr std::size_t kMinStyledListLineBytes = 6;

// The labels of the style values in their order, with the member each one
// sets; "Line03:" has the first four.
struct StyleLabel {
    std::string_view label;
    std::int32_t LineStyle::*member;
};
constexpr StyleLabel kStyleLabels[] = {
    {"Line Color (RGB):", &LineStyle::colorLine},
    {"Line Width (Pixels):", &LineStyle::widthLine},
    {"Solid (0 or 1):", &LineStyle::typeDraw},
    {"Fill Color (RGB):", &LineStyle::fillColor},
    {"Hatch:", &LineStyle::hatch},
    {"Pattern Color (RGB):", &LineStyle::patternColor},
    {"Pen Style:", &LineStyle::penStyle},
};
constexpr std::size_t kOldStyleValues = 4;

// Blanks inside a line (a line end is no blank here).
constexpr std::string_view kLineBlanks = " \t\r\v\f";

bool isBlank(char c) { return kLineBlanks.find(c) != std::string_view::npos; }

// Reads a text the way the line formats need: whole lines (labels, names)
// and words across line ends (numbers).
class TextCursor {
public:
    explicit TextCursor(LineSource& source) : source_(source) {}

    // The next whole line; what is left of the current one is dropped.
    bool nextLine(std::string& line) {
        std::string_view l;
        if (!source_.next(l)) return false;
        current_.assign(l);
        position_ = current_.size();
        line = current_;
        return true;
    }

    bool skipLine() {
        std::string ignored;
        return nextLine(ignored);
    }

    // The next word, over line ends; valid until the next read.
    bool word(std::string_view& w) {
        for (;;) {
            while (position_ < current_.size() && isBlank(current_[position_])) ++position_;
            if (position_ < current_.size()) break;
            std::string_view l;
            if (!source_.next(l)) return false;
            current_.assign(l);
            position_ = 0;
        }
        const std::size_t start = position_;
        while (position_ < current_.size() && !isBlank(current_[position_])) ++position_;
        w = std::string_view(current_).substr(start, position_ - start);
        return true;
    }

    std::optional<std::int32_t> integer() {
        std::string_view w;
        return word(w) ? parseInteger(w) : std::nullopt;
    }

    std::optional<double> number() {
        std::string_view w;
        return word(w) ? parseNumber(w) : std::nullopt;
    }

    // A count of items of at least minBytes bytes each that the rest of the
    // text can hold (always true when the text's size is not known).
    bool fits(std::int32_t count, std::size_t minBytes) const {
        if (count < 0) return false;
        if (source_.size() == 0) return true;
        const std::uint64_t left = source_.size() - std::min(source_.size(), source_.consumed()) +
                                   (current_.size() - position_);
        return static_cast<std::uint64_t>(count) <= left / minBytes;
    }

private:
    LineSource& source_;
    std::string current_;
    std::size_t position_ = 0;
};

void appendLine(std::string& out, std::string_view text) {
    out += text;
    out += '\n';
}

void appendNumberLine(std::string& out, std::int64_t v) { appendLine(out, std::to_string(v)); }

void appendPoints(std::string& out, const Line& line) {
    for (const LinePoint& p : line.points()) {
        appendDouble(out, p.x);
        out += ' ';
        appendDouble(out, p.y);
        out += '\n';
    }
}

// Line breaks (and NUL bytes, which end a line for the reader) become
// blanks.
std::string oneLine(std::string_view text) {
    std::string s(text);
    for (char& c : s) {
        if (c == '\n' || c == '\r' || c == '\0') c = ' ';
    }
    return s;
}

std::optional<std::vector<LinePoint>> readPoints(TextCursor& c, std::int32_t count) {
    if (!c.fits(count, kMinPointBytes)) return std::nullopt;
    std::vector<LinePoint> points;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::optional<double> x = c.number();
        const std::optional<double> y = x ? c.number() : std::nullopt;
        if (!y) return std::nullopt;
        points.push_back({*x, *y});
    }
    return points;
}

// The rest of a line text after its tag.
bool readLineBody(TextCursor& c, Line& line, bool old) {
    std::string name;
    if (!c.skipLine() || !c.nextLine(name)) return false;
    line.name = std::string(firstCharacters(toUtf8(name), kMaxLineNameLength));
    if (!c.skipLine()) return false;
    const std::optional<std::int32_t> count = c.integer();
    if (!count || !c.skipLine()) return false;
    std::optional<std::vector<LinePoint>> points = readPoints(c, *count);
    if (!points) return false;
    line.setPoints(std::move(*points));
    const std::size_t values = old ? kOldStyleValues : std::size(kStyleLabels);
    for (std::size_t i = 0; i < values; ++i) {
        const std::optional<std::int32_t> v = c.skipLine() ? c.integer() : std::nullopt;
        if (!v) return false;
        line.style.*kStyleLabels[i].member = *v;
    }
    return true;
}

// The rest of a group text after its tag.
bool readGroupBody(TextCursor& c, Bush& group, int depth) {
    std::string name;
    if (!c.skipLine() || !c.nextLine(name)) return false;
    group.setName(toUtf8(name));
    for (;;) {
        std::string_view w;
        if (!c.word(w)) return false;  // no "Group_End"
        if (w == kGroupTextEnd) return true;
        if (w == kLineTextTag || w == kOldLineTextTag) {
            const bool old = w == kOldLineTextTag;
            Line line;
            if (!readLineBody(c, line, old)) return false;
            group.addItem(BushItem(std::move(line)));
        } else if (w == kGroupTextTag && depth < kMaxSectionDepth) {
            auto child = std::make_unique<Bush>();
            if (!readGroupBody(c, *child, depth + 1)) return false;
            group.addChild(std::move(child));
        } else {
            return false;
        }
    }
}

std::optional<LinePoint> pointOfLine(std::string_view text) {
    Tokenizer t(text);
    if (!t.hasNext()) return std::nullopt;
    const std::optional<double> x = parseNumber(t.next());
    if (!x || !t.hasNext()) return std::nullopt;
    const std::optional<double> y = parseNumber(t.next());
    if (!y) return std::nullopt;
    return LinePoint{*x, *y};
}

std::optional<Line> readPointsFrom(std::optional<std::string_view> first, LineSource& lines) {
    std::vector<LinePoint> points;
    if (first) {
        if (auto p = pointOfLine(*first)) points.push_back(*p);
    }
    std::string_view text;
    while (lines.next(text)) {
        if (auto p = pointOfLine(text)) points.push_back(*p);
    }
    if (points.empty()) return std::nullopt;
    Line line;
    line.setPoints(std::move(points));
    return line;
}

void cannotCreateLine() { log(text(kCannotCreateLine)); }

}  // namespace

// --- Writing -------------------------------------------------------------------

void appendLineText(std::string& out, const Line& line) {
    appendLine(out, kLineTextTag);
    appendLine(out, "Line Name:");
    appendLine(out, oneLine(line.name.value_or(std::string())));
    appendLine(out, "Points Count:");
    appendNumberLine(out, static_cast<std::int64_t>(line.size()));
    appendLine(out, "2DPoints:");
    appendPoints(out, line);
    for (const StyleLabel& s : kStyleLabels) {
        appendLine(out, s.label);
        appendNumberLine(out, line.style.*s.member);
    }
}

void appendGroupText(std::string& out, const Bush& group) {
    appendLine(out, kGroupTextTag);
    appendLine(out, "Group Name:");
    appendLine(out, oneLine(group.name()));
    for (std::size_t i = 0; i < group.itemCount(); ++i) {
        if (const Line* l = group.item(i).line()) appendLineText(out, *l);
    }
    for (std::size_t i = 0; i < group.childCount(); ++i) appendGroupText(out, group.child(i));
    appendLine(out, kGroupTextEnd);
}

std::string lineListText(const LineList& list) {
    std::string out;
    appendLine(out, kLineListTag);
    appendNumberLine(out, static_cast<std::int64_t>(list.size()));
    for (const Line& l : list.lines()) {
        appendNumberLine(out, static_cast<std::int64_t>(l.size()));
        appendPoints(out, l);
        out += std::to_string(l.style.colorLine) + ' ' + std::to_string(l.style.fillColor) + ' ' +
               std::to_string(l.style.typeDraw) + ' ' + std::to_string(l.style.widthLine) + '\n';
        appendDouble(out, l.value);
        out += '\n';
    }
    return out;
}

// --- Reading ---------------------------------------------------------------------

std::optional<Line> readLineText(LineSource& lines) {
    TextCursor c(lines);
    std::string tag;
    if (!c.nextLine(tag)) return std::nullopt;
    const std::string_view t = trimmed(tag, kLineBlanks);
    if (t != kLineTextTag && t != kOldLineTextTag) return std::nullopt;
    try {
        Line line;
        if (!readLineBody(c, line, t == kOldLineTextTag)) return std::nullopt;
        return line;
    } catch (const std::bad_alloc&) {
        cannotCreateLine();
        return std::nullopt;
    }
}

std::unique_ptr<Bush> readGroupText(LineSource& lines) {
    TextCursor c(lines);
    std::string tag;
    if (!c.nextLine(tag) || trimmed(tag, kLineBlanks) != kGroupTextTag) return nullptr;
    try {
        auto group = std::make_unique<Bush>();
        if (!readGroupBody(c, *group, 0)) return nullptr;
        return group;
    } catch (const std::bad_alloc&) {
        cannotCreateLine();
        return nullptr;
    }
}

std::optional<Line> readPointListText(LineSource& lines) {
    try {
        return readPointsFrom(std::nullopt, lines);
    } catch (const std::bad_alloc&) {
        cannotCreateLine();
        return std::nullopt;
    }
}

bool readLineListText(LineSource& lines, LineList& list) {
    TextCursor c(lines);
    std::string_view w;
    const std::string tag = c.word(w) ? std::string(w) : std::string();
    if (tag == kRefusedLineListTag) return false;
    const bool styled = tag == kLineListTag;
    if (!styled && tag != kOldLineListTag) {
        warning(text(kNotLineList));
        return false;
    }
    const auto damaged = [] {
        warning(text(kNotLineList));
        return false;
    };
    try {
        LineList read;
        const std::optional<std::int32_t> count = c.integer();
        if (!count || !c.fits(*count, styled ? kMinStyledListLineBytes : kMinListLineBytes)) {
            return damaged();
        }
        for (std::int32_t i = 0; i < *count; ++i) {
            const std::optional<std::int32_t> n = c.integer();
            if (!n) return damaged();
            std::optional<std::vector<LinePoint>> points = readPoints(c, *n);
            if (!points) return damaged();
            Line line;
            line.setPoints(std::move(*points));
            if (styled) {
                for (std::int32_t* v : {&line.style.colorLine, &line.style.fillColor,
                                        &line.style.typeDraw, &line.style.widthLine}) {
                    const std::optional<std::int32_t> value = c.integer();
                    if (!value) return damaged();
                    *v = *value;
                }
                const std::optional<double> value = c.number();
                if (!value) return damaged();
                line.value = *value;
            }
            read.add(std::move(line));
        }
        list = std::move(read);
        return true;
    } catch (const std::bad_alloc&) {
        cannotCreateLine();
        return false;
    }
}

// --- Files -------------------------------------------------------------------------

bool readLineFile(const std::string& path, Bush& group) {
    FilePtr file = openTextRead(path);
    if (!file) return false;
    FileLineSource lines(file.get());
    const auto cannotRead = [&] {
        warning(formatText(kCannotRead, {path}));
        return false;
    };
    try {
        std::string_view first;
        if (!lines.next(first)) return cannotRead();
        const std::string_view tag = trimmed(first, kLineBlanks);
        if (tag == kLineTextTag || tag == kOldLineTextTag) {
            TextCursor c(lines);
            Line line;
            if (!readLineBody(c, line, tag == kOldLineTextTag)) return cannotRead();
            group.addItem(BushItem(std::move(line)));
            return true;
        }
        if (tag == kGroupTextTag) {
            TextCursor c(lines);
            auto child = std::make_unique<Bush>();
            if (!readGroupBody(c, *child, 0)) return cannotRead();
            group.addChild(std::move(child));
            return true;
        }
        const std::string firstLine(first);
        std::optional<Line> line = readPointsFrom(firstLine, lines);
        if (!line) return cannotRead();
        group.addItem(BushItem(std::move(*line)));
        return true;
    } catch (const std::bad_alloc&) {
        cannotCreateLine();
        return false;
    }
}

bool loadLineListFile(const std::string& path, LineList& list) {
    FilePtr file = openTextRead(path);
    if (!file) return false;
    FileLineSource lines(file.get());
    return readLineListText(lines, list);
}

bool saveLineListFile(const std::string& path, const LineList& list) {
    OutputFile out(path);
    const std::string content = lineListText(list);
    if (!out.isOpen() ||
        std::fwrite(content.data(), 1, content.size(), out.file()) != content.size() ||
        !out.commit()) {
        warning(formatText(text(kCannotWrite), {path}));
        return false;
    }
    return true;
}

}  // namespace gridova
