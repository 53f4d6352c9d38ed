#include "core/drawing.h"

#include "core/scoped.h"
#include "core/wide.h"

namespace tavik {

void Surface::Resize(HWND hwnd, int w, int h) {
  if (dc_ && w == w_ && h == h_) return;
  ScopedGetDC screen(hwnd);
  if (!dc_) {
    dc_ = CompatibleDC(screen);
    SetBkMode(dc_.get(), TRANSPARENT);
  }
  GdiObject<HBITMAP> fresh(CreateCompatibleBitmap(screen, w > 0 ? w : 1, h > 0 ? h : 1));
  selected_.Select(dc_.get(), fresh.get());
  bitmap_ = std::move(fresh);  // the previous one, out of the DC now, is deleted
  w_ = w;
  h_ = h;
}

void Surface::Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc_) BitBlt(dc, 0, 0, w_, h_, dc_.get(), 0, 0, SRCCOPY);
  EndPaint(hwnd, &ps);
}

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  const COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

SIZE TextExtent(HDC dc, HFONT font, const std::u16string& text) {
  ScopedSelect sel(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, W(text), static_cast<int>(text.size()), &size);
  return size;
}

}  // namespace tavik
