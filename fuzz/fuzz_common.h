// What every fuzz target shares: boxes that say nothing, and a working
// directory and profile of their own.
#pragma once

#include <cstddef>
#include <string>

#include "platform/messages.h"

namespace gridova::fuzz {

class SilentBoxes final : public Boxes {
public:
    void information(const std::string&, const std::string&) override {}
    void warning(const std::string&, const std::string&) override {}
    Answer question(const std::string&, const std::string&) override { return Answer::No; }
};

// Writes the input as the file a reader is given; false when it cannot.
bool writeInput(const std::string& path, const void* data, std::size_t size);

// Installs silent boxes, moves into a new temporary directory with its own
// profile, and gives that directory.
std::string setUpFuzzing();

}  // namespace gridova::fuzz
