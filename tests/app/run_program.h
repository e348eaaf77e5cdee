// Running the program itself, as a user's script would: the built binary
// with switches, without a display, in the test's directory and profile.
#pragma once

#include <string>

namespace gridova::testing {

struct RunResult {
    int status = -1;
    std::string output;  // standard output and error
};

// The program with these arguments (and environment assignments in front);
// its exit status and all it printed. The profile's language is Russian, so
// the messages are the built-in ones.
RunResult runProgram(const std::string& args, const std::string& environment = {});

}  // namespace gridova::testing
