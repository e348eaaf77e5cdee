// The commands of a map window as one table: for each command its state
// (enabled, checked) for menus and tool bars, and what it does. Menus, tool
// bars, the map bar and tests all go through it (CVexaView::state and
// CVexaView::run look commands up here). A command without an action of
// its own opens its dialog through the view's host.
#pragma once

#include <cstddef>
#include <span>

#include "render/map_view.h"

namespace gridova {

struct MapCommandEntry {
    MapCommand id;
    // nullptr: always enabled, never checked.
    CommandState (*state)(const CVexaView& view);
    // nullptr: the host opens the command's dialog. True when the command
    // was carried out (or its dialog shown).
    bool (*run)(CVexaView& view);
};

// Every command, in the order of MapCommand.
std::span<const MapCommandEntry> mapCommands();
const MapCommandEntry& mapCommand(MapCommand id);

}  // namespace gridova
