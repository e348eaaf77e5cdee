// The system clipboard through Qt.
#pragma once

#include "platform/app_context.h"

namespace gridova {

class QtClipboard final : public Clipboard {
public:
    void setPicture(const gdi::Dib& picture) override;
    void setText(const std::string& text) override;
    std::optional<std::string> text() override;
};

}  // namespace gridova
