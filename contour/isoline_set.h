// `Isoline` and `IsolineSet`: the map's contour levels with their traced
// pieces and drawing formats.
//
// The set keeps its isolines sorted by ascending value. Tracing fills it
// through `addLevel` and `Isoline::addPiece` (an `IsolineCollector` in
// isoline_levels.h does both for the tracer): each level gets an isoline
// with a copy of the set's default format, even when no piece crosses the
// grid at that level.
//
// Staggered labels: when tracing appends an isoline at the end of a set
// that already holds an odd number of isolines, its InitSpacing grows by
// kStaggerSpacing, so with levels traced in ascending order the labels of
// neighbouring isolines do not all start at the same distance from the
// pieces' starts (20, 60, 20, 60, ... with the default format).
//
// Template file (".ist"), one item a line:
//     IsolineTemplates:01
//     <number of entries>
//     IsolineTemplate01:      per entry, then
//     <value>                 in its shortest exact form ("%lg" files read)
//     <format text block>     see IsolineFormat::writeText
//
// Document sections: "IS01" (count, Show) and count "IE01" sections; each
// "IE01" (LabelDigits, Value) is followed by the "IF01" section of its
// format and the "LS01" section of its pieces.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "contour/isoline_format.h"
#include "data/line_source.h"
#include "data/record_buffer.h"
#include "objects/line.h"
#include "objects/line_list.h"

namespace gridova {

// One level: its value, the drawing format and the traced pieces.
class Isoline {
public:
    static constexpr std::string_view kSectionTag = "IE01";
    static constexpr std::string_view kTemplateEntryTag = "IsolineTemplate01:";

    // An empty isoline at value 0 with the built-in default format.
    Isoline() = default;
    explicit Isoline(double level) : value(level) {}

    // Takes a traced piece; the piece carries the level as its value.
    void addPiece(Line piece);
    const LineList& pieces() const { return pieces_; }
    LineList& pieces() { return pieces_; }

    // --- Document section "IE01" ---------------------------------------------------
    void writeSection(BinaryWriter& out) const;
    // False on a wrong tag ("Invalid format.", nothing taken, the reader goes
    // on) or a damaged section (the reader fails). LabelDigits is held to
    // 0..IsolineFormat::kMaxDigits.
    bool readSection(BinaryReader& in);

    // --- Template entry -------------------------------------------------------------------
    // The entry tag, the value, the format block.
    bool writeTemplateEntry(std::FILE* file) const;
    // Another first line, or a value line that is not a number, gives
    // warning 206; on failure the isoline is unchanged.
    bool readTemplateEntry(LineSource& lines);

    double value = 0.0;  // the level
    // Digits of the isoline's own label format "%.<digits>lf", 0..10; kept
    // in the document.
    std::int32_t labelDigits = IsolineFormat::kDefaultDigits;
    IsolineFormat format;

private:
    LineList pieces_;
};

class IsolineSet {
public:
    static constexpr std::int32_t kStaggerSpacing = 40;  // px, see the header comment
    static constexpr std::string_view kSectionTag = "IS01";
    static constexpr std::string_view kTemplateTag = "IsolineTemplates:01";
    static constexpr std::string_view kTemplateExtension = "ist";

    // An empty set; the default format comes from the profile section
    // "Isoline Format" and Show from its Show.
    IsolineSet();
    IsolineSet(IsolineSet&&) noexcept = default;
    IsolineSet& operator=(IsolineSet&&) noexcept = default;

    // --- Isolines ---------------------------------------------------------------------------
    std::size_t size() const { return isolines_.size(); }
    bool empty() const { return isolines_.empty(); }
    // The isoline, nullptr outside 0..size − 1.
    Isoline* at(int index);
    const Isoline* at(int index) const;
    // Its index, −1 when it is not in the set.
    int indexOf(const Isoline* isoline) const;
    // Inserts before the first isoline whose value is not smaller, staggering
    // the labels of an isoline appended at the end (header comment). Gives
    // the new index.
    int insert(std::unique_ptr<Isoline> isoline);
    // A new isoline of this level with a copy of the default format,
    // inserted; tracing then adds its pieces.
    Isoline& addLevel(double level);
    // False for an index outside the set.
    bool removeAt(int index);
    void clear() { isolines_.clear(); }
    // The values in the set's order.
    std::vector<double> values() const;
    // The smallest and largest value; −1 (nothing changes) for an empty set.
    int valueRange(double& lo, double& hi) const;
    // The format becomes every isoline's.
    void applyFormat(const IsolineFormat& format);
    // Isoline i takes the format of the other set's isoline i, for the
    // isolines both sets have.
    void copyFormatsFrom(const IsolineSet& other);

    // --- Document section "IS01" ---------------------------------------------------------
    void writeSection(BinaryWriter& out) const;
    // Replaces the isolines and Show only when the whole section was read.
    // False on a wrong tag ("Invalid format.", the reader goes on) or a
    // damaged section ("Invalid format.", the reader fails). Isolines stored
    // out of value order are sorted (equal values keep their order).
    bool readSection(BinaryReader& in);

    // --- Template file -----------------------------------------------------------------------
    // Values and formats of the isolines (not their pieces). False when a
    // write failed; the file version shows message 201 then.
    bool writeTemplate(std::FILE* file) const;
    bool writeTemplateFile(const std::string& path) const;
    // Replaces the isolines (without pieces) only when the whole template was
    // read; labels are not staggered. A wrong tag, a bad count or a bad
    // entry gives warning 206 (the font block its own message); a file that
    // cannot be opened gives 202.
    bool readTemplate(LineSource& lines);
    bool readTemplateFile(const std::string& path);

    std::int32_t show = 1;        // the set is drawn
    IsolineFormat defaultFormat;  // what new isolines start with
    // The level list of the last build: what the tracer traces (in list
    // order, one isoline per level).
    std::vector<double> levels;

private:
    std::vector<std::unique_ptr<Isoline>> isolines_;
};

}  // namespace gridova
