#include "platform/status.h"

#include <cstdint>

#include "platform/app_context.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr std::size_t kMaxCounterLabel = 1023;

std::string gCounterLabel;
std::int32_t gCounter = 0;

}  // namespace

void setStatusBar(StatusBar* bar) { processContext().setStatusBar(bar); }

void setStatusText(std::string_view text) { processContext().setStatusText(text); }

void setCounterLabel(std::string_view label) {
    gCounterLabel.assign(firstCharacters(label, kMaxCounterLabel));
    gCounter = 0;
}

void countStep() {
    gCounter = static_cast<std::int32_t>(static_cast<std::uint32_t>(gCounter) + 1u);
    setStatusText(gCounterLabel + ' ' + std::to_string(gCounter));
}

}  // namespace gridova
