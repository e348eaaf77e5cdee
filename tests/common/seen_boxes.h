// Message boxes that keep the warnings a test provokes, installed as the
// process's boxes while they live; questions are answered No.
#pragma once

#include <string>
#include <vector>

#include "platform/messages.h"

namespace gridova::testing {

class SeenBoxes final : public Boxes {
public:
    SeenBoxes() { setBoxes(this); }
    ~SeenBoxes() override { setBoxes(nullptr); }
    SeenBoxes(const SeenBoxes&) = delete;
    SeenBoxes& operator=(const SeenBoxes&) = delete;
    void information(const std::string&, const std::string&) override {}
    void warning(const std::string&, const std::string& text) override { warnings.push_back(text); }
    Answer question(const std::string&, const std::string&) override { return Answer::No; }

    std::vector<std::string> warnings;
};

}  // namespace gridova::testing
