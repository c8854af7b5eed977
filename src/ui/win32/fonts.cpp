#include "ui/win32/fonts.h"

#include <cmath>

#include "platform/win32/wide.h"

namespace ui::win32 {
namespace {

// The forms name their faces in Chinese; the English family names are found on every Windows
// language edition (and under Wine's font replacements), the localised ones not always.
std::wstring systemFace(const std::string& face) {
  if (face == "微软雅黑") return L"Microsoft YaHei";
  if (face == "宋体") return L"SimSun";
  return platform::win32::widen(face);
}

}  // namespace

HFONT FontCache::get(const Font& f, UINT dpi) {
  const Key key{f.face, static_cast<int>(std::lround(f.points * 100)), f.bold, dpi};
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second.get();
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(f.points * dpi / 72.0));
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  const std::wstring face = systemFace(f.face);
  wcsncpy_s(lf.lfFaceName, LF_FACESIZE, face.c_str(), _TRUNCATE);
  HFONT font = CreateFontIndirectW(&lf);
  if (font) fonts_.emplace(key, platform::win32::unique_hfont(font));
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int FontCache::lineHeight(HFONT font) {
  if (auto it = lineHeights_.find(font); it != lineHeights_.end()) return it->second;
  TEXTMETRICW tm{};
  {
    // The screen's context: the font is scaled for the window's DPI already.
    const platform::win32::unique_hdc_window dc(nullptr);
    if (!dc) return 0;
    const auto selected = platform::win32::select_object(dc.get(), font);
    if (!GetTextMetricsW(dc.get(), &tm)) return 0;
  }
  lineHeights_.emplace(font, tm.tmHeight);
  return tm.tmHeight;
}

void FontCache::keepOnly(UINT dpi) {
  for (auto it = fonts_.begin(); it != fonts_.end();) {
    if (std::get<3>(it->first) != dpi) {
      lineHeights_.erase(it->second.get());
      it = fonts_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace ui::win32
