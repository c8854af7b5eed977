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

namespace {

std::optional<Rgb> colourOf(Band band, Palette palette) {
  const bool category = palette == Palette::Category;
  switch (band) {
    case Band::K:
      return category ? Rgb{27, 96, 3} : Rgb{0, 102, 0};
    case Band::M:
      return category ? Rgb{128, 13, 0} : Rgb{0, 51, 153};
    case Band::G:
      return category ? Rgb{246, 6, 0} : Rgb{204, 0, 51};
    default:
      return std::nullopt;
  }
}

}  // namespace

FolderFigures figuresOf(const platform::FolderSize& size, Palette palette,
                        const std::string& decimal) {
  FolderFigures f;
  if (!size.exists) {
    f.text = "0 K";
    return f;
  }
  f.exists = true;
  f.bytes = size.bytes;
  f.subfolders = size.subfolders;
  f.text = sizeText(size.bytes, decimal);
  f.colour = colourOf(bandOf(size.bytes), palette);
  return f;
}

}  // namespace space
