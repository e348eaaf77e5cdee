// The system clipboard through Qt.
#pragma once

#include "platform/app_context.h"

namespace gridova {

class QtClipboard final : public Clipboard {
public:
    // The pixels as an image (PNG for other programs) and the metafile as
    // "image/x-emf" and "image/emf".
    void setPicture(const gdi::Dib& picture,
                    const std::vector<std::uint8_t>& metafile = {}) override;
    void setText(const std::string& text) override;
    std::optional<std::string> text() override;
};

}  // namespace gridova
