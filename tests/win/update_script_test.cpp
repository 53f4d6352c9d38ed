// The update script run for real by the system's command interpreter, on a stand-in program:
// it swaps the files, and every way the swap can go wrong leaves a program in the folder and
// running. A copy of the program in another folder is never touched.
#include "online/update_script.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/ansi.h"
#include "core/scoped.h"
#include "core/services.h"
#include "tests/win/test_util.h"

namespace tavik {
namespace {


std::wstring TestsFolder() {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, n);
  return folder.substr(0, folder.rfind(L'\\') + 1);
}

// The stand-in's bytes; the test appends "old" or "new", which it writes to its log.
const std::string& StandIn() {
  static const std::string bytes = test::ReadFileBytes(TestsFolder() + L"tavik_stand_in.exe");
  return bytes;
}

// "old" or "new" for a stand-in's file, "none" when there is no file, "other" for anything else.
std::string Which(const std::wstring& path) {
  if (!FileExists(path)) return "none";
  const std::string bytes = test::ReadFileBytes(path);
  if (bytes == StandIn() + "old") return "old";
  if (bytes == StandIn() + "new") return "new";
  return "other";
}

bool Running(HANDLE process) { return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

// The processes of one test, started by it or by the script it ran: all ended at its end.
class Processes {
 public:
  Processes() = default;
  Processes(const Processes&) = delete;
  Processes& operator=(const Processes&) = delete;
  ~Processes() {
    for (HANDLE h : handles_) {
      TerminateProcess(h, 0);
      WaitForSingleObject(h, 5000);
      CloseHandle(h);
    }
  }
  HANDLE Start(const std::wstring& folder) {
    const std::wstring exe = folder + L"\\Tavik.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &pi))
      return nullptr;
    CloseHandle(pi.hThread);
    handles_.push_back(pi.hProcess);
    return pi.hProcess;
  }
  HANDLE Adopt(DWORD pid) {
    const HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    if (h) handles_.push_back(h);
    return h;
  }

 private:
  std::vector<HANDLE> handles_;
};

struct Started {
  std::string tag;  // "old" or "new"
  DWORD pid;
};

// The stand-ins started in a folder, in order.
std::vector<Started> StartedIn(const test::TempDir& dir) {
  std::vector<Started> started;
  const std::string log = FileExists(dir.File(L"started.log")) ? test::ReadFileBytes(dir.File(L"started.log")) : "";
  for (std::size_t at = 0; at < log.size();) {
    const std::size_t end = log.find("\r\n", at);
    if (end == std::string::npos) break;
    const std::string line = log.substr(at, end - at);
    if (line.size() > 4) started.push_back({line.substr(0, 3), static_cast<DWORD>(std::stoul(line.substr(4)))});
    at = end + 2;
  }
  return started;
}

// A folder with the program running from Tavik.exe and its download beside it as Tavik.tmp.
struct Folder {
  test::TempDir dir;
  HANDLE program = nullptr;
  ScopedFile lock;  // a handle a row holds on one of the files during the swap

  void Install(Processes& processes) {
    test::WriteFileBytes(dir.File(L"Tavik.exe"), StandIn() + "old");
    program = processes.Start(dir.path());
  }
};

struct Row {
  const char* name;
  std::function<void(Folder&)> before;  // before the script starts
  std::function<void(Folder&)> atSwap;  // once the program has ended, before the files move
  bool swapped;                         // the new program is in place; else the old one is
  bool downloadStays = false;           // the download is held open and cannot be removed
};

ScopedFile HoldWithoutSharingDelete(const std::wstring& path) {
  return ScopedFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

// Runs the script on a folder whose program runs, with a copy of it running elsewhere.
void SwapAndCheck(const Row& row) {
  Processes processes;
  Folder other, app;
  other.Install(processes);  // another copy of the program, elsewhere
  app.Install(processes);
  ASSERT_TRUE(other.program && app.program);
  ASSERT_TRUE(test::PumpUntil([&] { return StartedIn(app.dir).size() == 1 && StartedIn(other.dir).size() == 1; }, 10000));
  test::WriteFileBytes(app.dir.File(L"Tavik.tmp"), StandIn() + "new");
  if (row.before) row.before(app);

  const DWORD pid = GetProcessId(app.program);
  test::WriteFileBytes(app.dir.File(L"Update.bat"), ToAnsi(UpdateScript(u"Tavik", pid)));
  ASSERT_TRUE(SystemServices().startScript(app.dir.path(), L"Update.bat"));
  ASSERT_EQ(WaitForSingleObject(app.program, 15000), WAIT_OBJECT_0) << "the program was not ended";
  if (row.atSwap) row.atSwap(app);
  // The script deletes itself last, whichever way it went.
  ASSERT_TRUE(test::PumpUntil([&] { return !FileExists(app.dir.File(L"Update.bat")); }, 30000));
  app.lock.Close();

  EXPECT_EQ(Which(app.dir.File(L"Tavik.exe")), row.swapped ? "new" : "old");
  EXPECT_FALSE(FileExists(app.dir.File(L"Tavik.old")));
  EXPECT_EQ(FileExists(app.dir.File(L"Tavik.tmp")), row.downloadStays);
  EXPECT_FALSE(FileExists(app.dir.File(L"planted.txt")));
  ASSERT_TRUE(test::PumpUntil([&] { return StartedIn(app.dir).size() >= 2; }, 10000)) << "nothing was started";
  const std::vector<Started> started = StartedIn(app.dir);
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[1].tag, row.swapped ? "new" : "old");
  EXPECT_TRUE(Running(processes.Adopt(started[1].pid)));
  EXPECT_TRUE(Running(other.program)) << "the copy in another folder was ended too";
  EXPECT_EQ(StartedIn(other.dir).size(), 1u);
}

TEST(UpdateScriptRun, EveryFailedStepLeavesAProgramInPlaceAndRunning) {
  ASSERT_GT(StandIn().size(), 1000u);
  const Row rows[] = {
      {"a good swap", nullptr, nullptr, true},
      {"a read-only program file",
       [](Folder& f) { SetFileAttributesW(f.dir.File(L"Tavik.exe").c_str(), FILE_ATTRIBUTE_READONLY); }, nullptr,
       true},
      {"tools planted in the program's folder",
       [](Folder& f) {
         for (const wchar_t* name : {L"ping.bat", L"ping.cmd", L"taskkill.bat", L"taskkill.cmd"})
           test::WriteFileBytes(f.dir.File(name), "@echo planted>planted.txt\r\n");
       },
       nullptr, true},
      {"the download gone at the swap", nullptr,
       [](Folder& f) { DeleteFileW(f.dir.File(L"Tavik.tmp").c_str()); }, false},
      {"the download locked at the swap", nullptr,
       [](Folder& f) { f.lock = HoldWithoutSharingDelete(f.dir.File(L"Tavik.tmp")); }, false, true},
      {"the program file cannot be moved", nullptr,
       [](Folder& f) { f.lock = HoldWithoutSharingDelete(f.dir.File(L"Tavik.exe")); }, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SwapAndCheck(row);
  }
}

}  // namespace
}  // namespace tavik
