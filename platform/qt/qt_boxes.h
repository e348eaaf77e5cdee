// Message boxes on screen.
#pragma once

#include "platform/messages.h"

namespace gridova {

class QtBoxes final : public Boxes {
public:
    void information(const std::string& caption, const std::string& text) override;
    void warning(const std::string& caption, const std::string& text) override;
    Answer question(const std::string& caption, const std::string& text) override;
};

}  // namespace gridova
