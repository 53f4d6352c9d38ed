// Helpers for the tests that run real windows under wine.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/main_window.h"

namespace tavik::test {

// A fresh, empty folder under the temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// Runs every pending message (no waiting).
void PumpMessages();
// Runs messages until `done` is true or `timeoutMs` have passed; returns done().
template <typename Pred>
bool PumpUntil(Pred done, DWORD timeoutMs = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    PumpMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

// The main window as the program starts it, except that closing it does not end the test's
// message loop. Shown windows are also waited on until their stored tasks are loaded.
// Null when the window could not be created.
std::unique_ptr<MainWindow> StartMainWindow(const std::wstring& cfgPath, bool show = true);

// Message boxes the program showed, recorded instead of shown (for every test of the run, so
// that none ever waits for a click); a test clears it before the step it looks at.
struct ShownBox {
  HWND owner;
  std::wstring text;
  UINT type;
};
std::vector<ShownBox>& ShownBoxes();

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

}  // namespace tavik::test
