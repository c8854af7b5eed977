// How a byte count is shown: decimal steps of 1000, two decimals, one space, the unit letter; and
// the colour a measured size gives its label.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace space {

enum class Band { Plain, K, M, G };

// A count of exactly 1000, 1000000 or 1000000000 opens its band ("1.00 K"), as a user expects.
Band bandOf(std::uint64_t bytes);

// "999", "1.23 K", "1000.00 K", "25.00 G"; halves round up; `decimal` is the user's separator.
std::string sizeText(std::uint64_t bytes, const std::string& decimal = ".");

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Which colours a size takes: a category row's, or the whole account's.
enum class Palette { Category, Account };

// What a measurement shows: its size text, and the colour of its band (nothing for the plain
// band, whose label keeps the colour it had).
struct FolderFigures {
  bool exists = false;
  std::uint64_t bytes = 0;
  std::uint64_t subfolders = 0;
  std::string text;
  std::optional<Rgb> colour;
};

// A folder that is not there shows "0 K", no colour and no sub-folders.
FolderFigures figuresOf(const platform::FolderSize& size, Palette palette,
                        const std::string& decimal);

}  // namespace space
