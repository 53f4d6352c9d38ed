#include "core/look.h"

#include <map>
#include <string>
#include <tuple>

namespace tavik {

HFONT UiFont(const wchar_t* face, double points, int dpi, int weight, BYTE charset) {
  // Live for the whole run: a few faces at the resolutions of the monitors met.
  static std::map<std::tuple<std::wstring, double, int, int, BYTE>, HFONT> fonts;
  auto key = std::make_tuple(std::wstring(face), points, dpi, weight, charset);
  auto it = fonts.find(key);
  if (it != fonts.end()) return it->second;
  HFONT font = CreateFontW(FontHeight(points, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, charset,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face);
  fonts.emplace(key, font);
  return font;
}

HFONT YaHei9(int dpi) { return UiFont(L"微软雅黑", 9, dpi); }

// Arial is a Latin face: asked for with a Chinese character set the font mapper would hand
// out a Chinese face instead.
HFONT ClockTimeFont(int dpi) { return UiFont(L"Arial", 21.75, dpi, FW_NORMAL, ANSI_CHARSET); }
HFONT RowTimeFont(int dpi) { return UiFont(L"微软雅黑", 15.75, dpi); }
HFONT PopupTimeFont(int dpi) { return UiFont(L"微软雅黑", 21.75, dpi); }

}  // namespace tavik
