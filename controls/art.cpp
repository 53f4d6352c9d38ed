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
  const MemoryDC from = CompatibleDC(screen), to = CompatibleDC(screen);
  GdiObject<HBITMAP> scaled(CreateCompatibleBitmap(screen, pick.drawn.width, pick.drawn.height));
  if (!from || !to || !scaled) return bitmap;
  {
    const ScopedSelect fromArt(from.get(), bitmap), toScaled(to.get(), scaled.get());
    SetStretchBltMode(to.get(), HALFTONE);
    SetBrushOrgEx(to.get(), 0, 0, nullptr);
    const int artCell = art.width / cells, drawnCell = pick.drawn.width / cells;
    for (int i = 0; i < cells; ++i)
      StretchBlt(to.get(), i * drawnCell, 0, drawnCell, pick.drawn.height, from.get(), i * artCell, 0, artCell,
                 art.height, SRCCOPY);
  }
  DeleteObject(bitmap);
  size = pick.drawn;
  return scaled.Release();
}

}  // namespace tavik
