// gridova: gridding and contour mapping of scattered data.
#include <cstring>
#include <iostream>
#include <new>
#include <string>

#include "app/data_summary.h"
#include "platform/messages.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 3;

void printUsage(std::ostream& out) {
    out << "usage: gridova --summary DATAFILE\n"
           "  --summary DATAFILE  read a data file and print its points' extent,\n"
           "                      value range and mean\n";
}

int run(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--summary") == 0) {
        return gridova::writeDataSummary(argv[2], std::cout);
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0)) {
        printUsage(std::cout);
        return 0;
    }
    printUsage(std::cerr);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        gridova::outOfMemory();
        return kExitFailure;
    }
}
