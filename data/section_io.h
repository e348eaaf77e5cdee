// What the section readers of lines, groups and their items share: how a
// damaged section is reported, once, and how the reader is stopped.
//
// A reader that finds its section damaged (its first record missing or
// short, a count the file cannot hold, a bad type) shows "Invalid format."
// and fails the binary reader, so every later read fails and the callers
// above it stop without a second message. A wrong tag shows the message
// too but leaves the reader as it is: the document reader may go on with
// the next record.
#pragma once

#include <cstdint>
#include <string_view>

#include "data/record_buffer.h"

namespace gridova::section_io {

// Shows "Invalid format.", fails the reader; false.
bool refuse(BinaryReader& in);

// After a section reader of our own failed: it has shown its message, so
// the reader is only stopped. False.
bool stop(BinaryReader& in);

// After a "DR01", "PS01" or font reader failed. Those say nothing when
// the file ends early (and the reader has then failed): that case is shown
// here. A wrong tag they have shown themselves. False.
bool partFailed(BinaryReader& in);

// Reads the first record of a section and checks its tag: 1 when it holds
// the tag; 0 for a wrong tag (shown, reader kept); −1 when the record is
// missing or short (shown, reader failed).
int openSection(BinaryReader& in, RecordBuffer& r, std::string_view tag);

// The same, but a missing or short first record is not shown (the reader
// is failed): for readers whose callers report a file that ended early.
int openSectionQuietly(BinaryReader& in, RecordBuffer& r, std::string_view tag);

// A count of items read from a file: N ≥ 0 items of at least minBytes
// bytes each that the rest of the file can hold.
bool countFits(const BinaryReader& in, std::int32_t count, std::size_t minBytes);

}  // namespace gridova::section_io
