// The map production that the start-up switches ask for: open the named
// file, build the map, write the grid values ("v") and the picture ("g").
#pragma once

#include "data/map_document.h"
#include "render/map_view.h"
#include "render/startup_options.h"

namespace gridova {

// Exit statuses of the program.
inline constexpr int kExitDone = 0;
inline constexpr int kExitInputFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutputFailed = 3;

// Writes what "v" and "g" ask for from a view whose map is built. kExitDone
// when everything asked for was written, kExitOutputFailed otherwise (the
// reason is shown).
int writeStartupOutputs(CVexaView& view, const StartupOptions& options);

// The whole run without a window: opens the file, builds the map, writes
// the outputs.
int runWithoutWindow(const StartupOptions& options);

}  // namespace gridova
