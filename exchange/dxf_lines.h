// The DXF exchange of lines and groups (ASCII DXF, ".dxf").
//
// A DXF text is a list of pairs of lines: a group code (a decimal integer)
// and its value. We write only the entities section, with "\n" line ends:
//     0 SECTION, 2 ENTITIES
//     the body: one line's POLYLINE entity, or a group
//     0 ENDSEC, 0 EOF
// A group is written as comments (code 999) around its lines:
//     999 Group_Name, 999 <the name, or one blank for an empty name>
//     the POLYLINE of every line item in order (point sets, axes and texts
//     have no DXF form and are left out)
//     every child group in the same form
//     999 Group_End
// A line is one POLYLINE with its style in comments, each a label pair and
// a value pair:
//     0 POLYLINE
//     999 Line_Type   999 <TypeDraw>
//     999 Line_Name   999 <the name>        (only for a line with a name)
//     999 Line_Color  999 <ColorLine>
//     999 Fill_Color  999 <FillColor>
//     999 Line_Width  999 <WidthLine>
//     8 0, 66 1, and 70 1 when the line is closed
//     per point: 0 VERTEX, 8 0, 10 <x>, 20 <y>
//     0 SEQEND
// Colours are the decimal colour values (red in the low byte; palette
// colours negative as they are); coordinates are written in their shortest
// exact form, so a line reads back to the same doubles. A name is one line
// (line breaks become blanks) of at most kMaxDxfLineBytes bytes.
//
// Reading takes a code line and a value line at a time; each may be at
// most kMaxDxfLineBytes bytes long. The code must be an integer; the value
// is the first blank-separated word of its line, except for the names of
// groups, which are the whole line (a carriage return inside it taken as a
// blank). Keywords are compared without regard to ASCII case.
// - At the top: a POLYLINE with points becomes the only line of a new child
//   group of the target (named as every new group is); one without points
//   is dropped. "999 Group_Name" names the target by the next pair's value
//   line, reads the group's body into the target and ends the reading.
//   "0 EOF" and the end of the text end the reading too; all other pairs
//   (the other sections, other entities) are skipped.
// - In a group: "0 POLYLINE" adds a line item (also one without points),
//   "999 Group_Name" a child group named by the next pair's value line,
//   "999 Group_End" and "0 EOF" end the group. The text must not end inside
//   a group. Groups nest at most kMaxSectionDepth deep.
// - In a POLYLINE: "0 VERTEX" starts a point whose first code 10 is its x
//   and first code 20 its y (a missing one is 0, as in DXF); code 70 before
//   the first vertex holds the flags of the polyline (a vertex's own flags
//   say nothing about the line); the five style labels take the next pair's
//   value (the name: its first word); "0 SEQEND" ends it. Two or more
//   points make the line's points; a single point leaves the line empty.
//   Odd flags close the line. Everything else (layers, other entities'
//   codes) is skipped. The text must not end inside a POLYLINE.
// A text that breaks these rules (a long line, a code that is no integer, a
// value line missing, a coordinate or style value that is no number) is not
// read at all: message 9422 "Нельзя прочитать файл %s", and the target
// stays as it was.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "data/line_source.h"
#include "objects/bush.h"
#include "objects/line.h"

namespace gridova {

inline constexpr std::size_t kMaxDxfLineBytes = 1024;

// --- Writing -------------------------------------------------------------------
// The whole file of one line, and of a group with its tree.
std::string dxfTextOfLine(const Line& line);
std::string dxfTextOfGroup(const Bush& group);

// Write through a temporary file; message 211 "Нельзя записать в файл %s"
// when the file cannot be written, and the old file then stays.
bool writeDxfLine(const std::string& path, const Line& line);
bool writeDxfGroup(const std::string& path, const Bush& group);

// --- Reading -------------------------------------------------------------------
// Adds what the text holds to the target (see the header comment); false
// when it cannot be read ("Can't read file %s" with the name given) or
// memory ran out (message 207 logged). The target changes only when the
// whole text was read.
bool readDxf(LineSource& lines, Bush& target, const std::string& name);
bool readDxfText(std::string_view content, Bush& target, const std::string& name);
// The same for a file; message 202 when it cannot be opened.
bool readDxfFile(const std::string& path, Bush& target);

}  // namespace gridova
