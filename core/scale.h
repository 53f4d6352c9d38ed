// Lengths of the 96-dpi design at another resolution, and the plain rectangles they make.
#pragma once

#include <cmath>

namespace tavik {

// A button strip: three frames side by side (normal, hover, pressed).
struct StripSize {
  int width = 0;
  int height = 0;
};

inline constexpr StripSize kShippedStrip{81, 21};

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

inline constexpr int kBaseDpi = 96;

// A length of the 96-dpi design at `dpi`; halves round away from zero, so that a length and
// its negative scale alike.
constexpr int Scale(int px, int dpi) {
  const long long n = 1LL * px * dpi;
  return static_cast<int>(n >= 0 ? (n + kBaseDpi / 2) / kBaseDpi : -((-n + kBaseDpi / 2) / kBaseDpi));
}

constexpr PixelRect BoxAt(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
constexpr int Width(const PixelRect& r) { return r.right - r.left; }
constexpr int Height(const PixelRect& r) { return r.bottom - r.top; }
constexpr bool operator==(const PixelRect& a, const PixelRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
// The height to ask of a font for `points` at `dpi` (negative: the character height).
inline int FontHeight(double points, int dpi) { return -static_cast<int>(std::lround(points * dpi / 72.0)); }

// Each edge scaled.
constexpr PixelRect Scale(const PixelRect& r, int dpi) {
  return {Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.right, dpi), Scale(r.bottom, dpi)};
}

}  // namespace tavik
