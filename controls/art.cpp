#include "controls/art.h"

#include "core/scoped.h"

namespace tavik {
namespace {

HBITMAP LoadBitmapResource(int id, StripSize& size) {
  auto bitmap = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAP info{};
  if (bitmap && GetObjectW(bitmap, sizeof info, &info)) size = {info.bmWidth, info.bmHeight};
  return bitmap;
}

}  // namespace

HBITMAP LoadArt(int id100, StripSize cell, int cells, int dpi, StripSize& size) {
  const ArtPick pick = PickArt(cell, cells, dpi);
  StripSize art{};
  HBITMAP bitmap = LoadBitmapResource(ArtResourceId(id100, pick.percent), art);
  if (!bitmap && pick.percent != 100) bitmap = LoadBitmapResource(id100, art);
  if (!bitmap) return nullptr;
  size = art;
  if (art.width == pick.drawn.width && art.height == pick.drawn.height) return bitmap;

  // Each cell on its own, so no frame bleeds into its neighbour.
  ScopedGetDC screen(nullptr);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  HBITMAP scaled = CreateCompatibleBitmap(screen, pick.drawn.width, pick.drawn.height);
  if (from && to && scaled) {
    HGDIOBJ oldFrom = SelectObject(from, bitmap);
    HGDIOBJ oldTo = SelectObject(to, scaled);
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    const int artCell = art.width / cells, drawnCell = pick.drawn.width / cells;
    for (int i = 0; i < cells; ++i)
      StretchBlt(to, i * drawnCell, 0, drawnCell, pick.drawn.height, from, i * artCell, 0, artCell, art.height,
                 SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteObject(bitmap);
    bitmap = scaled;
    size = pick.drawn;
  } else if (scaled) {
    DeleteObject(scaled);
  }
  if (from) DeleteDC(from);
  if (to) DeleteDC(to);
  return bitmap;
}

}  // namespace tavik
