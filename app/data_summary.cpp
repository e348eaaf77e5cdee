#include "app/data_summary.h"

#include <ostream>

#include "data/data_table.h"
#include "data/point_set.h"
#include "platform/files.h"
#include "platform/numbers.h"

namespace gridova {

int writeDataSummary(const std::string& path, std::ostream& out) {
    if (!isReadableFile(path)) {
        DataTable table;
        table.readFile(path);  // reports the file that cannot be opened
        return 1;
    }
    DataTable table;
    table.readFile(path);
    PointSet set;
    set.buildFromTable(table);

    out << "File: " << path << '\n';
    for (const std::string& header : table.headers()) out << "Title: " << header << '\n';
    out << "Rows: " << table.rowCount() << '\n';
    out << "Points: " << set.size() << " (" << set.countWithValues() << " with a value)\n";
    double x0, x1, y0, y1;
    if (set.ranges(x0, x1, y0, y1) == 0) {
        out << "X: " << formatDouble(x0) << " .. " << formatDouble(x1) << '\n';
        out << "Y: " << formatDouble(y0) << " .. " << formatDouble(y1) << '\n';
    }
    if (set.countWithValues() > 0) {
        out << "Value: " << formatDouble(set.vmin) << " .. " << formatDouble(set.vmax) << '\n';
        out << "Mean: " << formatDouble(set.mean) << '\n';
    }
    return 0;
}

}  // namespace gridova
