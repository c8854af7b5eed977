#include "space/size_text.h"

namespace space {

Band bandOf(std::uint64_t bytes) {
  if (bytes < 1000) return Band::Plain;
  if (bytes < 1000000) return Band::K;
  if (bytes < 1000000000) return Band::M;
  return Band::G;
}

std::string sizeText(std::uint64_t bytes, const std::string& decimal) {
  Band band = bandOf(bytes);
  if (band == Band::Plain) return std::to_string(bytes);
  std::uint64_t unit = band == Band::K ? 1000 : band == Band::M ? 1000000 : 1000000000;
  // Integer arithmetic keeps exact halves exact (1005 bytes are 1.01 K, not 1.00 K).
  std::uint64_t hundredths = bytes / unit * 100 + (bytes % unit * 100 + unit / 2) / unit;
  auto cents = static_cast<unsigned>(hundredths % 100);
  const char frac[3] = {static_cast<char>('0' + cents / 10), static_cast<char>('0' + cents % 10),
                        '\0'};
  const char* suffix = band == Band::K ? " K" : band == Band::M ? " M" : " G";
  return std::to_string(hundredths / 100) + decimal + frac + suffix;
}

std::optional<ui::Color> categoryColour(Band band) {
  switch (band) {
    case Band::K:
      return ui::Color::rgb(27, 96, 3);
    case Band::M:
      return ui::Color::rgb(128, 13, 0);
    case Band::G:
      return ui::Color::rgb(246, 6, 0);
    default:
      return std::nullopt;
  }
}

std::optional<ui::Color> accountColour(Band band) {
  switch (band) {
    case Band::K:
      return ui::Color::rgb(0, 102, 0);
    case Band::M:
      return ui::Color::rgb(0, 51, 153);
    case Band::G:
      return ui::Color::rgb(204, 0, 51);
    default:
      return std::nullopt;
  }
}

}  // namespace space
