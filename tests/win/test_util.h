// Helpers for the tests that run real windows under wine.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/services.h"
#include "core/task_data.h"
#include "app/program.h"
#include "widget/main_window.h"

namespace tavik::test {

// The main window at 96 dpi, where the tests run.
inline constexpr int kMainWidth = 242;
inline constexpr int kMainHeight = 391;

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

// What a test puts in place of the system's services while it runs (the clock, the sound,
// the desktop); an empty one leaves the system's own, except that the clock then runs from a
// fixed moment and message boxes are recorded in ShownBoxes instead of shown.
Services& TestHooks();
// The services of a program under test: each goes to its hook when there is one.
Services TestServices();

// A visible window of this thread with the class name (a menu "#32768", a box "#32770").
HWND VisibleThreadWindow(const wchar_t* cls);

// The program as it is wired for a run, on the test's services; the main window stands for
// it (`->`), the other parts are the program's.
class RunningProgram {
 public:
  RunningProgram() = default;
  explicit RunningProgram(std::unique_ptr<Program> program) : program_(std::move(program)) {}
  MainWindow* operator->() const { return &program_->frmMain; }
  MainWindow& operator*() const { return program_->frmMain; }
  MainWindow* get() const { return program_ ? &program_->frmMain : nullptr; }
  Program& program() const { return *program_; }
  TaskList& items() const { return program_->Items; }
  explicit operator bool() const { return program_ != nullptr; }
  void reset() { program_.reset(); }

 private:
  std::unique_ptr<Program> program_;
};

// The program wired for a run, not started; closing its main window does not end the
// test's message loop.
RunningProgram MakeProgram(const std::wstring& cfgPath);
// Started as the program starts; shown windows are also waited on until their stored tasks
// are loaded. Empty when the window could not be created.
RunningProgram StartMainWindow(const std::wstring& cfgPath, bool show = true);

// Message boxes the program showed, recorded instead of shown (for every test of the run, so
// that none ever waits for a click); a test clears it before the step it looks at.
struct ShownBox {
  HWND owner;
  std::wstring text;
  UINT type;
};
std::vector<ShownBox>& ShownBoxes();
// Runs while a recorded box is "open" (before it is answered), as a person's clicks would.
std::function<void(const ShownBox&)>& WhileBoxOpen();

// A whole file's bytes ("" when it cannot be read), and a file written whole.
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

// The rows as they stand once every slide has ended: the hidden template over the new-task
// button, and a shown row for each task, right below the one above it, as wide as the window
// inside its border and within it, showing its task.
void ExpectRowsInPlace(const MainWindow& main, const TaskList& items);

// Every allocation of the test program goes through a counting operator new: how many there
// were, and the heap bytes the program's own allocations hold now and held at the most since
// the last ResetHeapPeak().
long Allocations();
std::size_t HeapBytes();
std::size_t HeapPeak();
void ResetHeapPeak();

// The n-th task of a test's list: "0n:00", once, "任务n".
Task Numbered(int n);
// A data file as the program saves it, holding these tasks.
std::string DataFileBytes(const std::vector<Task>& tasks);
// The whole text of a window.
std::wstring TextOf(HWND w);

}  // namespace tavik::test
