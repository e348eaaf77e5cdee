// A short report on a data file: what the program read from it.
#pragma once

#include <iosfwd>
#include <string>

namespace gridova {

// Reads the data file with the stored input format and writes its title
// lines, point count, X/Y extent, value range and mean. Returns the exit
// status: 0 when read, 1 when the file could not be opened.
int writeDataSummary(const std::string& path, std::ostream& out);

}  // namespace gridova
