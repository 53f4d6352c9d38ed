#include "core/snap.h"

#include <cstdint>
#include <limits>

namespace tavik {
namespace {

// Window positions may be anywhere in int's range; sums are taken in 64 bits so that far-off
// positions neither overflow nor snap.
bool Near(std::int64_t a, std::int64_t b, int distance) {
  const std::int64_t d = a - b;
  return d > -distance && d < distance;
}

int ToInt(std::int64_t v) {
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(v);
}

}  // namespace

SnapPoint SnapToWorkArea(const WorkArea& area, int x, int y, int cx, int cy, int distance) {
  std::int64_t nx = x;
  std::int64_t ny = y;
  if (Near(nx, area.left, distance)) nx = area.left;
  if (Near(ny, area.top, distance)) ny = area.top;
  if (Near(nx + cx, area.right, distance)) nx = static_cast<std::int64_t>(area.right) - cx;
  if (Near(ny + cy, area.bottom, distance)) ny = static_cast<std::int64_t>(area.bottom) - cy;
  return {ToInt(nx), ToInt(ny)};
}

SnapPoint KeepInWorkArea(const WorkArea& area, int x, int y, int cx, int cy) {
  // The right and bottom edges first, so that the left and top ones win for a large window.
  const auto keep = [](int at, int size, int low, int high) {
    if (at > high - size) at = high - size;
    if (at < low) at = low;
    return at;
  };
  return {keep(x, cx, area.left, area.right), keep(y, cy, area.top, area.bottom)};
}

}  // namespace tavik
