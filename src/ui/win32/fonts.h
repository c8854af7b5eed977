// GDI fonts for the model's Font at a given DPI, created once and kept until the cache goes.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "platform/win32/handle.h"
#include "ui/model/controls.h"

namespace ui::win32 {

class FontCache {
 public:
  FontCache() = default;
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;

  HFONT get(const Font& f, UINT dpi);
  // The height of a line of text in `font` (TEXTMETRIC's tmHeight), measured once per font: a
  // device context per label made start-up slow under Wine.
  int lineHeight(HFONT font);
  // Frees the fonts made for other DPIs (after the window moved to another monitor and every
  // control has its new font).
  void keepOnly(UINT dpi);

 private:
  using Key = std::tuple<std::string, int, bool, UINT>;  // face, points * 100, bold, dpi
  std::map<Key, platform::win32::unique_hfont> fonts_;
  std::map<HFONT, int> lineHeights_;
};

}  // namespace ui::win32
