// What the owner-drawn windows draw with: a retained surface and a few drawing steps.
#pragma once

#include <windows.h>

#include <string>

#include "core/scale.h"
#include "core/scoped.h"

namespace tavik {

// A retained drawing surface: what is drawn stays until drawn over, and WM_PAINT just copies it.
class Surface {
 public:
  void Resize(HWND hwnd, int w, int h);
  HDC dc() const { return dc_.get(); }
  int width() const { return w_; }
  int height() const { return h_; }
  void Paint(HWND hwnd);  // answers WM_PAINT

 private:
  MemoryDC dc_;
  GdiObject<HBITMAP> bitmap_;
  ScopedSelect selected_;  // the bitmap in dc_, undone before either goes
  int w_ = 0, h_ = 0;
};

// A rectangle of the layout as the system takes it.
inline RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

void FillSolid(HDC dc, const RECT& r, COLORREF color);
SIZE TextExtent(HDC dc, HFONT font, const std::u16string& text);

}  // namespace tavik
