// The text files of lines and groups.
//
// Line text ("Line04:"; ".lxt" and ".txt" files and inside group files),
// one item a line:
//     Line04:
//     Line Name:            the name on the next line
//     Points Count:         the count on the next line
//     2DPoints:             then one line "x y" per point
//     Line Color (RGB):     each label followed by its value line:
//     Line Width (Pixels):  ColorLine, WidthLine, TypeDraw, FillColor,
//     Solid (0 or 1):       Hatch, PatternColor, PenStyle
//     Fill Color (RGB):
//     Hatch:
//     Pattern Color (RGB):
//     Pen Style:
// The older "Line03:" ends after the fill colour. Reading skips each label
// line, takes the name as its whole line (at most 126 characters) and the
// numbers as words separated by blanks or line ends.
//
// Group text ("Group03:"): the tag, "Group Name:", the name line (at most
// 127 characters), every line item as a "Line04:" block, every child group
// as a nested "Group03:" block, then "Group_End". Reading takes words after
// the name: "Group_End" ends the group, "Line03:"/"Line04:" read a line,
// "Group03:" a child group; anything else is a failure. Groups nest at
// most kMaxSectionDepth deep.
//
// Line list text ("Linies", e.g. the border file "Border.brd"):
//     Linies:01
//     number of lines
//     per line: its point count; one "x y" line per point;
//               "ColorLine FillColor TypeDraw WidthLine"; Value
// "Linies:00" holds the counts and points only; "Linies:01_No" is refused
// without a message.
//
// Numbers are written in their shortest exact form; files written with six
// significant digits read as before. Names, texts and files that are not
// valid UTF-8 are read as Windows-1251.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "data/line_source.h"
#include "objects/bush.h"
#include "objects/line.h"
#include "objects/line_list.h"

namespace gridova {

inline constexpr std::string_view kLineTextTag = "Line04:";
inline constexpr std::string_view kOldLineTextTag = "Line03:";
inline constexpr std::string_view kGroupTextTag = "Group03:";
inline constexpr std::string_view kGroupTextEnd = "Group_End";
inline constexpr std::string_view kLineListTag = "Linies:01";
inline constexpr std::string_view kOldLineListTag = "Linies:00";
inline constexpr std::string_view kRefusedLineListTag = "Linies:01_No";

// --- Writing ------------------------------------------------------------------
// A line break in a name is written as a blank, so the name stays one line.
void appendLineText(std::string& out, const Line& line);
// The group's line items and its children; points sets, axes and texts
// have no text form and are left out.
void appendGroupText(std::string& out, const Bush& group);
std::string lineListText(const LineList& list);

// --- Reading --------------------------------------------------------------------
// From the tag line on; nothing when the text is not a line (or group) text
// or is damaged (message 207 when memory ran out).
std::optional<Line> readLineText(LineSource& lines);
std::unique_ptr<Bush> readGroupText(LineSource& lines);
// Every line whose first two tokens are numbers gives a point (x, y); the
// others are skipped. Nothing when no line gives a point.
std::optional<Line> readPointListText(LineSource& lines);
// "Linies:01" or "Linies:00"; another tag, or a damaged list, gives the
// warning 212 "Файл не имеет определенный формат линий!", "Linies:01_No"
// nothing. The list is replaced only when the whole text was read.
bool readLineListText(LineSource& lines, LineList& list);

// --- Files ------------------------------------------------------------------------
// Reads a line file and adds what it holds to the group: its first line
// decides: "Line03:" or "Line04:" gives one line item, "Group03:" a child
// group, anything else a plain list of points (the first line included)
// made into one line item. A file that cannot be opened gives message 202;
// one that cannot be read "Can't read file %s". (DXF files are read by the
// exchange layer.)
bool readLineFile(const std::string& path, Bush& group);
// The line list files ("Border.brd"): message 202 when the file cannot be
// opened, 211 "Нельзя записать в файл %s" when it cannot be written (the
// old file then stays).
bool loadLineListFile(const std::string& path, LineList& list);
bool saveLineListFile(const std::string& path, const LineList& list);

}  // namespace gridova
