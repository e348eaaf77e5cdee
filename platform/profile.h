// Typed access to the application profile.
//
// The profile is a private-profile file: $GRIDOVA_PROFILE when set, else
// $XDG_CONFIG_HOME/gridova/gridova.ini (~/.config/... when XDG_CONFIG_HOME is
// not set). Every call reads or writes the file at that moment (a read
// parses the file again only when its bytes changed).
//
// Every read returns -1 when the key is missing, empty or does not pass its
// test, and 0 when it read; the destination changes only on 0, so callers set
// their defaults first. Numbers are written in their shortest exact form.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/optional_value.h"

namespace gridova {

// The path of the profile file in use.
std::string profilePath();
// Makes a relative $GRIDOVA_PROFILE absolute against the folder the program
// was started in (the current folder later follows the opened file).
void anchorProfilePath(const std::filesystem::path& startDirectory);

int readProfileText(std::string_view section, std::string_view key, std::string& value);
void writeProfileText(std::string_view section, std::string_view key, std::string_view value);

int readProfileInt(std::string_view section, std::string_view key, std::int32_t& value);
void writeProfileInt(std::string_view section, std::string_view key, std::int32_t value);

// Long settings (colours are written this way).
int readProfileLong(std::string_view section, std::string_view key, std::int64_t& value);
void writeProfileLong(std::string_view section, std::string_view key, std::int64_t value);

int readProfileDouble(std::string_view section, std::string_view key, double& value);
void writeProfileDouble(std::string_view section, std::string_view key, double value);

// key holds the value and key + "Enable" holds 1 or 0. Reading makes the
// value present when the key reads, and absent when "Enable" reads 0.
int readProfileOptionalDouble(std::string_view section, std::string_view key, OptionalValue& value);
void writeProfileOptionalDouble(std::string_view section, std::string_view key,
                                const OptionalValue& value);

// "key Count" holds the count and "key0", "key1", ... the values. Reading
// gives -1, and leaves the list unchanged, when the count is missing, is not
// a count or exceeds the keys of the section; otherwise the list gets the
// count's length, and a value that is missing or not a number keeps what the
// list held at that place (0 past its old end).
int readProfileDoubleList(std::string_view section, std::string_view key,
                          std::vector<double>& values);
void writeProfileDoubleList(std::string_view section, std::string_view key,
                            const std::vector<double>& values);
// The same, with the section holding the list only (other keys removed).
// Both write the file once, however long the list.
void replaceProfileDoubleList(std::string_view section, std::string_view key,
                              const std::vector<double>& values);

void removeProfileKey(std::string_view section, std::string_view key);
void removeProfileSection(std::string_view section);

// Remembered positions of the modeless windows, section "Dialog %d" with
// the window's resource number, keys "Top", "Left", "Right", "Bottom".
struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct WindowPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The stored rectangle when all four keys read.
std::optional<WindowRect> readWindowRect(int resource);
void writeWindowRect(int resource, const WindowRect& rect);

// Where a modeless window goes when shown: the stored left and top when all
// four keys read; else the position its owner asked for; else the top-left
// corner of the owner's client area (screen coordinates).
WindowPoint windowPlacement(int resource, std::optional<WindowPoint> askedFor,
                            WindowPoint ownerClientTopLeft);

}  // namespace gridova
