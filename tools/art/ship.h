// The ship: its sprite at each of the 360 headings, and the desktop icon drawn
// from the same design.
#pragma once

#include <filesystem>

// Writes ship<heading>.png for headings 0 to 359.
void writeShips(const std::filesystem::path& dir);

// Writes <size>x<size>/apps/rockdrift.png for each of the icon theme's sizes.
void writeIcons(const std::filesystem::path& dir);
