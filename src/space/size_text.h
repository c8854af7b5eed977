// How a byte count is shown: decimal steps of 1000, two decimals, one space, the unit letter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/model/controls.h"

namespace space {

enum class Band { Plain, K, M, G };

// A count of exactly 1000, 1000000 or 1000000000 opens its band ("1.00 K"), as a user expects.
Band bandOf(std::uint64_t bytes);

// "999", "1.23 K", "1000.00 K", "25.00 G"; halves round up; `decimal` is the user's separator.
std::string sizeText(std::uint64_t bytes, const std::string& decimal = ".");

// Colour of a category row's size; nothing for the plain band (the row keeps the last colour).
std::optional<ui::Color> categoryColour(Band band);
// Colour of the whole account's size.
std::optional<ui::Color> accountColour(Band band);

}  // namespace space
