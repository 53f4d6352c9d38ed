// Every scoped owner of a Windows handle the program uses: kernel handles, GDI objects and
// selections, memory and window DCs, and any other handle type with its own close function.
#pragma once

#include <windows.h>

namespace tavik {

// A handle closed when its scope ends. Traits gives its type (Handle), the value that owns
// nothing (Invalid()) and its close function (Close(h), true when the close succeeded).
template <typename Traits>
class Scoped {
 public:
  using H = typename Traits::Handle;
  explicit Scoped(H h = Traits::Invalid()) : h_(h) {}
  ~Scoped() { Reset(); }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  Scoped(Scoped&& o) noexcept : h_(o.Release()) {}
  Scoped& operator=(Scoped&& o) noexcept {
    if (this != &o) Reset(o.Release());
    return *this;
  }
  H get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::Invalid(); }
  // Closes now; false when the close itself failed (a write may not have reached the disk).
  bool Close() {
    if (h_ == Traits::Invalid()) return true;
    const bool closed = Traits::Close(h_);
    h_ = Traits::Invalid();
    return closed;
  }
  void Reset(H h = Traits::Invalid()) {
    Close();
    h_ = h;
  }
  H Release() {
    const H h = h_;
    h_ = Traits::Invalid();
    return h;
  }

 private:
  H h_;
};

struct FileTraits {
  using Handle = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};
struct KernelTraits {
  using Handle = HANDLE;
  static HANDLE Invalid() { return nullptr; }
  static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};
template <typename T>
struct GdiTraits {
  using Handle = T;
  static T Invalid() { return nullptr; }
  static bool Close(T h) { return DeleteObject(h) != FALSE; }
};

// A file from CreateFileW (invalid: INVALID_HANDLE_VALUE).
using ScopedFile = Scoped<FileTraits>;
// A thread, process, event or mutex (invalid: null).
using ScopedHandle = Scoped<KernelTraits>;
// A GDI object of a given type (font, brush, pen, bitmap, region).
template <typename T>
using GdiObject = Scoped<GdiTraits<T>>;

struct MemoryDcTraits {
  using Handle = HDC;
  static HDC Invalid() { return nullptr; }
  static bool Close(HDC h) { return DeleteDC(h) != FALSE; }
};
// A memory DC (CreateCompatibleDC), deleted at the end.
using MemoryDC = Scoped<MemoryDcTraits>;
inline MemoryDC CompatibleDC(HDC dc) { return MemoryDC(CreateCompatibleDC(dc)); }

// An object selected into a DC; what was selected before comes back at the end. Declare it
// after the DC and the object it selects, so that it goes first.
class ScopedSelect {
 public:
  ScopedSelect() = default;
  ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~ScopedSelect() { Undo(); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ScopedSelect(ScopedSelect&& o) noexcept : dc_(o.dc_), old_(o.old_) { o.dc_ = nullptr; }
  ScopedSelect& operator=(ScopedSelect&& o) noexcept {
    if (this != &o) {
      Undo();
      dc_ = o.dc_;
      old_ = o.old_;
      o.dc_ = nullptr;
    }
    return *this;
  }
  // Another object in its place; the end still brings back what was there before the first.
  void Select(HDC dc, HGDIOBJ obj) {
    if (dc_ && dc_ == dc)
      SelectObject(dc, obj);
    else
      *this = ScopedSelect(dc, obj);
  }
  void Undo() {
    if (dc_) SelectObject(dc_, old_);
    dc_ = nullptr;
  }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

class ScopedGetDC {
 public:
  explicit ScopedGetDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~ScopedGetDC() { ReleaseDC(hwnd_, dc_); }
  ScopedGetDC(const ScopedGetDC&) = delete;
  ScopedGetDC& operator=(const ScopedGetDC&) = delete;
  operator HDC() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

}  // namespace tavik
