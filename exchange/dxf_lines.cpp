#include "exchange/dxf_lines.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "data/record_buffer.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr int kCannotCreateLine = 207;  // "Ошибка!!! Нельзя создать линию."
constexpr int kCannotWrite = 211;       // "Нельзя записать в файл %s"
constexpr int kCannotRead = 9422;       // "Нельзя прочитать файл %s"

constexpr int kEntityCode = 0;
constexpr int kLayerCode = 8;
constexpr int kFollowCode = 66;
constexpr int kFlagsCode = 70;
constexpr int kXCode = 10;
constexpr int kYCode = 20;
constexpr int kCommentCode = 999;

constexpr std::string_view kGroupName = "Group_Name";
constexpr std::string_view kGroupEnd = "Group_End";
constexpr std::string_view kLineName = "Line_Name";
constexpr std::string_view kPolyline = "POLYLINE";
constexpr std::string_view kVertex = "VERTEX";
constexpr std::string_view kSeqEnd = "SEQEND";
constexpr std::string_view kEndOfFile = "EOF";
// What a group of the empty name is written as: an empty value line would
// read as no name at all in other programs.
constexpr std::string_view kEmptyGroupName = " ";

// The numeric style values in the order they are written, each after its
// label; the name goes between the first and the second.
struct StyleLabel {
    std::string_view label;
    std::int32_t LineStyle::*member;
};
constexpr StyleLabel kStyleLabels[] = {
    {"Line_Type", &LineStyle::typeDraw},
    {"Line_Color", &LineStyle::colorLine},
    {"Fill_Color", &LineStyle::fillColor},
    {"Line_Width", &LineStyle::widthLine},
};

// Blanks between the words of a value line.
constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && asciiLower(a) == asciiLower(b);
}

// --- Writing -------------------------------------------------------------------

void appendPair(std::string& out, int code, std::string_view value) {
    out += std::to_string(code);
    out += '\n';
    out += value;
    out += '\n';
}

void appendPair(std::string& out, int code, std::int64_t value) {
    appendPair(out, code, std::to_string(value));
}

void appendCoordinate(std::string& out, int code, double value) {
    out += std::to_string(code);
    out += '\n';
    appendDouble(out, value);
    out += '\n';
}

// A name as one value line: line breaks and NUL bytes become blanks, and a
// name too long for a line loses its last whole characters.
std::string valueLine(std::string_view name) {
    std::string s(name);
    for (char& c : s) {
        if (c == '\n' || c == '\r' || c == '\0') c = ' ';
    }
    if (s.size() > kMaxDxfLineBytes) {
        std::size_t n = kMaxDxfLineBytes;
        while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
        s.resize(n);
    }
    return s;
}

void appendPolyline(std::string& out, const Line& line) {
    appendPair(out, kEntityCode, kPolyline);
    appendPair(out, kCommentCode, kStyleLabels[0].label);
    appendPair(out, kCommentCode, line.style.*kStyleLabels[0].member);
    if (line.name && !line.name->empty()) {
        appendPair(out, kCommentCode, kLineName);
        appendPair(out, kCommentCode, valueLine(*line.name));
    }
    for (std::size_t i = 1; i < std::size(kStyleLabels); ++i) {
        appendPair(out, kCommentCode, kStyleLabels[i].label);
        appendPair(out, kCommentCode, line.style.*kStyleLabels[i].member);
    }
    appendPair(out, kLayerCode, "0");
    appendPair(out, kFollowCode, "1");
    if (line.isClosed()) appendPair(out, kFlagsCode, "1");
    for (const LinePoint& p : line.points()) {
        appendPair(out, kEntityCode, kVertex);
        appendPair(out, kLayerCode, "0");
        appendCoordinate(out, kXCode, p.x);
        appendCoordinate(out, kYCode, p.y);
    }
    appendPair(out, kEntityCode, kSeqEnd);
}

void appendGroup(std::string& out, const Bush& group) {
    appendPair(out, kCommentCode, kGroupName);
    appendPair(out, kCommentCode,
               group.name().empty() ? std::string(kEmptyGroupName) : valueLine(group.name()));
    for (std::size_t i = 0; i < group.itemCount(); ++i) {
        if (const Line* l = group.item(i).line()) appendPolyline(out, *l);
    }
    for (std::size_t i = 0; i < group.childCount(); ++i) appendGroup(out, group.child(i));
    appendPair(out, kCommentCode, kGroupEnd);
}

std::string fileText(const auto& appendBody) {
    std::string out;
    appendPair(out, kEntityCode, "SECTION");
    appendPair(out, 2, "ENTITIES");
    appendBody(out);
    appendPair(out, kEntityCode, "ENDSEC");
    appendPair(out, kEntityCode, kEndOfFile);
    return out;
}

bool writeFileText(const std::string& path, const std::string& content) {
    OutputFile out(path);
    if (!out.isOpen() ||
        std::fwrite(content.data(), 1, content.size(), out.file()) != content.size() ||
        !out.commit()) {
        warning(formatText(text(kCannotWrite), {path}));
        return false;
    }
    return true;
}

// --- Reading -------------------------------------------------------------------

// The pairs of a DXF text.
class PairReader {
public:
    enum class Read { Pair, End, Broken };

    explicit PairReader(LineSource& lines) : lines_(lines) {}

    // The next pair; End when the text ends where a pair would begin,
    // Broken when the pair is damaged or the text could not be read.
    Read next() {
        std::string_view codeLine;
        if (!lines_.next(codeLine)) return lines_.failed() ? Read::Broken : Read::End;
        if (first_) {
            first_ = false;
            if (codeLine.starts_with(kByteOrderMark)) codeLine.remove_prefix(kByteOrderMark.size());
        }
        if (codeLine.size() > kMaxDxfLineBytes) return Read::Broken;
        const std::optional<std::int32_t> code = parseInteger(trimmed(codeLine, kBlanks));
        if (!code) return Read::Broken;
        std::string_view valueLine;
        if (!lines_.next(valueLine) || valueLine.size() > kMaxDxfLineBytes) return Read::Broken;
        code_ = *code;
        value_.assign(valueLine);
        return Read::Pair;
    }

    int code() const { return code_; }
    // The whole value line.
    const std::string& line() const { return value_; }
    // Its first blank-separated word.
    std::string_view word() const {
        const std::string_view v = value_;
        const std::size_t start = v.find_first_not_of(kBlanks);
        if (start == std::string_view::npos) return {};
        const std::size_t end = v.find_first_of(kBlanks, start);
        return v.substr(start,
                        end == std::string_view::npos ? std::string_view::npos : end - start);
    }
    bool is(int code, std::string_view keyword) const {
        return code_ == code && sameIgnoringAsciiCase(word(), keyword);
    }

private:
    LineSource& lines_;
    bool first_ = true;
    int code_ = 0;
    std::string value_;
};

using Read = PairReader::Read;

// What a group's body adds, in the order of the text: the group's names
// are given as the objects are added to it.
using Added = std::variant<Line, std::unique_ptr<Bush>>;

void addAll(Bush& group, std::vector<Added>& added) {
    for (Added& a : added) {
        if (Line* line = std::get_if<Line>(&a)) {
            group.addItem(BushItem(std::move(*line)));
        } else {
            group.addChild(std::move(std::get<std::unique_ptr<Bush>>(a)));
        }
    }
}

// The value of the pair after a label.
std::optional<std::string_view> nextWord(PairReader& r) {
    if (r.next() != Read::Pair) return std::nullopt;
    return r.word();
}

// The rest of a POLYLINE entity after "0 POLYLINE", up to its "0 SEQEND".
bool readPolyline(PairReader& r, Line& line) {
    // Where the pairs belong: the polyline's own codes, a vertex, or an
    // entity that is none of ours.
    enum class Part { Polyline, Vertex, Other };
    Part part = Part::Polyline;
    std::vector<LinePoint> points;
    bool haveX = false;
    bool haveY = false;
    std::int32_t flags = 0;
    for (;;) {
        if (r.next() != Read::Pair) return false;
        const int code = r.code();
        if (code == kEntityCode) {
            if (r.is(kEntityCode, kSeqEnd)) break;
            if (r.is(kEntityCode, kVertex)) {
                part = Part::Vertex;
                points.push_back({});
                haveX = haveY = false;
            } else {
                part = Part::Other;
            }
        } else if (part == Part::Vertex &&
                   ((code == kXCode && !haveX) || (code == kYCode && !haveY))) {
            const std::optional<double> v = parseNumber(r.word());
            if (!v) return false;
            if (code == kXCode) {
                points.back().x = *v;
                haveX = true;
            } else {
                points.back().y = *v;
                haveY = true;
            }
        } else if (part == Part::Polyline && code == kFlagsCode) {
            const std::optional<std::int32_t> v = parseInteger(r.word());
            if (!v) return false;
            flags = *v;
        } else if (r.is(kCommentCode, kLineName)) {
            const std::optional<std::string_view> name = nextWord(r);
            if (!name) return false;
            if (name->empty()) {
                line.name.reset();
            } else {
                line.name = toUtf8(*name);
            }
        } else if (code == kCommentCode) {
            for (const StyleLabel& s : kStyleLabels) {
                if (!r.is(kCommentCode, s.label)) continue;
                const std::optional<std::string_view> w = nextWord(r);
                const std::optional<std::int32_t> v = w ? parseInteger(*w) : std::nullopt;
                if (!v) return false;
                line.style.*s.member = *v;
                break;
            }
        }
    }
    if (points.size() >= 2) line.setPoints(std::move(points));
    if (flags % 2 != 0) line.close();
    return true;
}

// The whole value line of the next pair, as a group's name; a carriage
// return inside it (a line break of old files) is a blank, as we write it.
std::optional<std::string> nameLine(PairReader& r) {
    if (r.next() != Read::Pair) return std::nullopt;
    std::string name = toUtf8(r.line());
    for (char& c : name) {
        if (c == '\r') c = ' ';
    }
    return name;
}

// A group's body up to its "999 Group_End" (or "0 EOF").
bool readGroupBody(PairReader& r, std::vector<Added>& added, int depth) {
    for (;;) {
        if (r.next() != Read::Pair) return false;
        if (r.is(kEntityCode, kEndOfFile) || r.is(kCommentCode, kGroupEnd)) return true;
        if (r.is(kEntityCode, kPolyline)) {
            Line line{std::vector<LinePoint>{}};
            if (!readPolyline(r, line)) return false;
            added.emplace_back(std::move(line));
        } else if (r.is(kCommentCode, kGroupName)) {
            if (depth >= kMaxSectionDepth) return false;
            std::optional<std::string> name = nameLine(r);
            if (!name) return false;
            auto child = std::make_unique<Bush>(*name);
            std::vector<Added> inner;
            if (!readGroupBody(r, inner, depth + 1)) return false;
            addAll(*child, inner);
            added.emplace_back(std::move(child));
        }
    }
}

// The whole text: what goes into the target, and its new name if the text
// holds a group.
bool readTop(PairReader& r, std::optional<std::string>& name, std::vector<Added>& added) {
    for (;;) {
        const Read got = r.next();
        if (got == Read::End) return true;
        if (got == Read::Broken) return false;
        if (r.is(kEntityCode, kEndOfFile)) return true;
        if (r.is(kEntityCode, kPolyline)) {
            Line line{std::vector<LinePoint>{}};
            if (!readPolyline(r, line)) return false;
            if (line.empty()) continue;
            // A line of its own becomes a group of its own, as a line added
            // to the map does.
            auto group = std::make_unique<Bush>();
            group->addItem(BushItem(std::move(line)));
            added.emplace_back(std::move(group));
        } else if (r.is(kCommentCode, kGroupName)) {
            name = nameLine(r);
            return name && readGroupBody(r, added, 0);
        }
    }
}

}  // namespace

// --- Writing ---------------------------------------------------------------------

std::string dxfTextOfLine(const Line& line) {
    return fileText([&](std::string& out) { appendPolyline(out, line); });
}

std::string dxfTextOfGroup(const Bush& group) {
    return fileText([&](std::string& out) { appendGroup(out, group); });
}

bool writeDxfLine(const std::string& path, const Line& line) {
    return writeFileText(path, dxfTextOfLine(line));
}

bool writeDxfGroup(const std::string& path, const Bush& group) {
    return writeFileText(path, dxfTextOfGroup(group));
}

// --- Reading ---------------------------------------------------------------------

bool readDxf(LineSource& lines, Bush& target, const std::string& name) {
    try {
        PairReader r(lines);
        std::optional<std::string> groupName;
        std::vector<Added> added;
        if (!readTop(r, groupName, added)) {
            warning(formatText(text(kCannotRead), {name}));
            return false;
        }
        if (groupName) target.setName(*groupName);
        addAll(target, added);
        return true;
    } catch (const std::bad_alloc&) {
        log(text(kCannotCreateLine));
        return false;
    }
}

bool readDxfText(std::string_view content, Bush& target, const std::string& name) {
    TextLineSource lines(content);
    return readDxf(lines, target, name);
}

bool readDxfFile(const std::string& path, Bush& target) {
    FilePtr file = openTextRead(path);
    if (!file) return false;
    FileLineSource lines(file.get());
    return readDxf(lines, target, path);
}

}  // namespace gridova
