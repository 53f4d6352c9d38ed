#include "tests/win/test_util.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>

#include "core/ansi.h"
#include "core/file_io.h"
#include "core/keyboard.h"
#include "core/task_data.h"
#include "core/wide.h"
#include "core/window.h"

namespace {
std::atomic<long> g_allocations{0};
std::atomic<std::size_t> g_heapBytes{0}, g_heapPeak{0};
}  // namespace

// The replacements pair malloc with free themselves.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  ++g_allocations;
  const std::size_t now = g_heapBytes += _msize(p);
  for (std::size_t peak = g_heapPeak; now > peak && !g_heapPeak.compare_exchange_weak(peak, now);) {
  }
  return p;
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept {
  if (!p) return;
  g_heapBytes -= _msize(p);
  std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

namespace tavik::test {

long Allocations() { return g_allocations; }
std::size_t HeapBytes() { return g_heapBytes; }
std::size_t HeapPeak() { return g_heapPeak; }
void ResetHeapPeak() { g_heapPeak = g_heapBytes.load(); }

Services& TestHooks() {
  static Services hooks;
  return hooks;
}

HWND VisibleThreadWindow(const wchar_t* cls) {
  struct Search {
    const wchar_t* cls;
    HWND found;
  } search{cls, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM lp) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        wchar_t name[32] = {};
        GetClassNameW(w, name, 32);
        if (!IsWindowVisible(w) || lstrcmpW(name, s->cls) != 0) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace {

// The clock of a test that sets none: it runs, from Wednesday 2026-12-09 12:34:00, so no test
// depends on the minute of the day it runs at (no task of a test is due at 12:34).
SYSTEMTIME RunningTestClock() {
  static const ULONGLONG started = GetTickCount64();
  SYSTEMTIME start{};
  start.wYear = 2026;
  start.wMonth = 12;
  start.wDay = 9;
  start.wHour = 12;
  start.wMinute = 34;
  FILETIME ft;
  SystemTimeToFileTime(&start, &ft);
  ULARGE_INTEGER t{};
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  t.QuadPart += (GetTickCount64() - started) * 10000;  // 100 ns units
  ft.dwLowDateTime = t.LowPart;
  ft.dwHighDateTime = t.HighPart;
  SYSTEMTIME now;
  FileTimeToSystemTime(&ft, &now);  // with its weekday
  return now;
}

}  // namespace

Services TestServices() {
  const Services system = SystemServices();
  Services s = system;
  s.localTime = [] { return TestHooks().localTime ? TestHooks().localTime() : RunningTestClock(); };
  s.playSound = [system](const void* sound, UINT flags) {
    return TestHooks().playSound ? TestHooks().playSound(sound, flags) : system.playSound(sound, flags);
  };
  s.messageBox = [](HWND owner, const std::wstring& text, UINT type) {
    if (TestHooks().messageBox) return TestHooks().messageBox(owner, text, type);
    ShownBoxes().push_back({owner, text, type});
    if (const auto whileOpen = WhileBoxOpen()) whileOpen(ShownBoxes().back());
    return IDOK;
  };
  s.trimWorkingSet = [system] { TestHooks().trimWorkingSet ? TestHooks().trimWorkingSet() : system.trimWorkingSet(); };
  s.openUrl = [system](const std::wstring& url) {
    TestHooks().openUrl ? TestHooks().openUrl(url) : system.openUrl(url);
  };
  s.startScript = [system](const std::wstring& folder, const std::wstring& script) {
    return TestHooks().startScript ? TestHooks().startScript(folder, script) : system.startScript(folder, script);
  };
  return s;
}

std::vector<ShownBox>& ShownBoxes() {
  static std::vector<ShownBox> boxes;
  return boxes;
}

std::function<void(const ShownBox&)>& WhileBoxOpen() {
  static std::function<void(const ShownBox&)> whileOpen;
  return whileOpen;
}

TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    path_ = std::wstring(base) + L"tavik-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    if (CreateDirectoryW(path_.c_str(), nullptr)) return;
  }
}

TempDir::~TempDir() {
  std::wstring from = path_;
  from.push_back(L'\0');  // SHFileOperation takes a double-zero-terminated list
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (HandleDialogKeys(msg)) continue;  // as the program's message loop
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

RunningProgram MakeProgram(const std::wstring& cfgPath) {
  RunningProgram program(std::make_unique<Program>(cfgPath, TestServices()));
  program->quitOnDestroy = false;
  return program;
}

RunningProgram StartMainWindow(const std::wstring& cfgPath, bool show) {
  RunningProgram main = MakeProgram(cfgPath);
  if (!main.program().Start()) return {};
  if (show) {
    main->Show();
    if (!PumpUntil([&] { return main->loadDone(); })) return {};
  }
  return main;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  ReadWholeFile(path, bytes, UINT64_MAX);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Task Numbered(int n) {
  const std::u16string digits = Ascii(std::to_string(n));
  return {u"0" + digits + u":00", u"不循环", u"任务" + digits};
}

std::string DataFileBytes(const std::vector<Task>& tasks) {
  return "[Data]\r\nData=" + ToAnsi(SerializeTasks(tasks)) + "\r\n";
}

std::wstring TextOf(HWND w) { return Wide(WindowText(w)); }

namespace {

PixelRect Box(const Window& w) {
  const RECT r = w.Bounds();
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

void ExpectRowsInPlace(const MainWindow& main, const TaskList& items) {
  const MainLayout& m = main.layout();
  ASSERT_EQ(main.RowCount(), items.size());
  PixelRect above = Box(*main.TemplateRow());
  EXPECT_FALSE(IsWindowVisible(main.TemplateRow()->hwnd()));
  EXPECT_EQ(above.left, m.newButton.left);
  EXPECT_EQ(above.bottom, m.newButton.bottom);
  for (size_t i = 0; i < items.size(); ++i) {
    const TaskRow& row = *main.Row(i);
    const PixelRect box = Box(row);
    EXPECT_EQ(box.top, above.bottom) << i;
    EXPECT_EQ(box.left, m.rowLeft) << i;
    EXPECT_EQ(box.right, m.width - LayoutClock(main.dpi()).border) << i;  // meets the border
    EXPECT_EQ(Height(box), m.rowHeight) << i;
    EXPECT_LE(box.bottom, m.height) << i;
    EXPECT_TRUE(IsWindowVisible(row.hwnd())) << i;
    EXPECT_EQ(row.task(), items[i]) << i;
    above = box;
  }
}

}  // namespace tavik::test
