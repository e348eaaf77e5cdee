#include "platform/status.h"

#include <cstdint>

#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr std::size_t kMaxCounterLabel = 1023;

StatusBar* gStatusBar = nullptr;
std::string gCounterLabel;
std::int32_t gCounter = 0;

}  // namespace

void setStatusBar(StatusBar* bar) { gStatusBar = bar; }

void setStatusText(std::string_view text) {
    if (gStatusBar != nullptr) gStatusBar->setStatusText(std::string(text));
}

void setCounterLabel(std::string_view label) {
    gCounterLabel.assign(firstCharacters(label, kMaxCounterLabel));
    gCounter = 0;
}

void countStep() {
    gCounter = static_cast<std::int32_t>(static_cast<std::uint32_t>(gCounter) + 1u);
    setStatusText(gCounterLabel + ' ' + std::to_string(gCounter));
}

}  // namespace gridova
