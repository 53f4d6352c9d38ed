// The data file under what really happens to it: saves while the load is still adding rows,
// saves read by another process at any moment, a swap a crash interrupted, files the user
// made read-only or that are too large, failures told once, and the one program per file.
#include "core/data_file.h"

#include <gtest/gtest.h>

#include <windows.h>
// after windows.h
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include "core/ansi.h"
#include "core/codec.h"
#include "core/data_file_text.h"
#include "core/instance.h"
#include "core/messages.h"
#include "widget/tray.h"
#include "core/file_io.h"
#include "core/ini_file.h"
#include "editing/item_menu.h"
#include "tests/win/clock_util.h"
#include "tests/win/test_util.h"
#include "core/wide.h"

namespace tavik {
namespace {

using test::DataFileBytes;
using test::Numbered;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::vector<Task> Numbers(int from, int to) {
  std::vector<Task> tasks;
  for (int i = from; i <= to; ++i) tasks.push_back(Numbered(i));
  return tasks;
}

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override { test::ShownBoxes().clear(); }
  void TearDown() override {
    main_.reset();
    test::PumpMessages();
  }
  void Start() {
    main_ = test::StartMainWindow(cfg());
    ASSERT_TRUE(main_);
    test::PumpMessages();  // a message box the start posted
  }
  std::wstring cfg() const { return dir_.File(L"Tavik.cfg"); }

  test::TempDir dir_;
  test::RunningProgram main_;
};

// The load's rows slide in one after the other; the user deletes the first one as soon as it
// stands. The tasks not added yet are part of the list that is saved.
TEST_F(DataFileTest, ASaveDuringTheLoadKeepsTheTasksNotAddedYet) {
  WriteFileBytes(cfg(), DataFileBytes(Numbers(1, 5)));
  static Program* program;
  static bool deleted;
  deleted = false;
  main_ = test::MakeProgram(cfg());
  program = &main_.program();
  ASSERT_TRUE(program->Start());
  const UINT_PTR probe = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK {
    MainWindow& main = program->frmMain;
    if (deleted || main.RowCount() < 1 || main.Row(0)->Bounds().left != main.layout().rowLeft) return;
    deleted = true;
    program->mnuItems.actID = 0;
    program->mnuItems.DeleteClick();  // runs inside the load's wait between two slide steps
  });
  main_->Show();
  ASSERT_TRUE(test::PumpUntil([&] { return main_->loadDone(); }));
  KillTimer(nullptr, probe);
  ASSERT_TRUE(deleted);
  EXPECT_EQ(main_.items().All(), Numbers(2, 5));
  EXPECT_EQ(ReadFileBytes(cfg()), DataFileBytes(Numbers(2, 5)));

  main_.reset();
  Start();
  EXPECT_EQ(main_.items().All(), Numbers(2, 5));
}

TEST_F(DataFileTest, TheNewTaskButtonCountsTheTasksStillToBeAdded) {
  WriteFileBytes(cfg(), DataFileBytes(Numbers(1, 5)));
  main_ = test::MakeProgram(cfg());
  ASSERT_TRUE(main_.program().Start());
  EXPECT_EQ(main_->RowCount(), 0u);
  EXPECT_TRUE(main_.items().empty());
  EXPECT_FALSE(main_.items().HasRoom());  // the list is full before a row has slid in
}

// Another program reads the file over and over while the program saves two lists in turn:
// the file is never missing and never holds anything but one of the two lists whole. A read
// now and then (a virus scanner, a backup) does not make a save fail.
TEST_F(DataFileTest, AReaderNeverFindsTheFileMissingOrTornDuringSaves) {
  std::vector<Task> a = Numbers(1, 5), b = Numbers(1, 5);
  for (Task& t : b) t.info += u" 改过了";
  WriteFileBytes(cfg(), DataFileBytes(a));
  Start();
  for (const DWORD pauseMs : {0, 2}) {
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0}, missing{0}, torn{0};
    std::thread reader([&] {
      while (!stop) {
        std::string bytes;
        const ReadResult r = ReadWholeFile(cfg(), bytes);
        ++reads;
        if (r == ReadResult::Missing) ++missing;
        else if (r == ReadResult::Read && bytes != DataFileBytes(a) && bytes != DataFileBytes(b)) ++torn;
        if (pauseMs) Sleep(pauseMs);
      }
    });
    // The saves go on until the reader has had its share of turns: how many it gets in a
    // given number of saves is up to the scheduler of a busy machine.
    int failedSaves = 0;
    for (int i = 0; i < 5000 && (i < 120 || reads < 100); ++i) {
      const std::vector<Task>& list = i % 2 ? a : b;
      for (size_t at = 0; at < 5; ++at) main_.items().EditItem(at, list[at].time, list[at].cycle, list[at].info);
      failedSaves += !main_->SaveData();
    }
    stop = true;
    reader.join();
    EXPECT_GE(reads.load(), 100) << pauseMs;
    EXPECT_EQ(missing.load(), 0) << pauseMs;
    EXPECT_EQ(torn.load(), 0) << pauseMs;
    if (pauseMs) {
      EXPECT_EQ(failedSaves, 0);
    }
  }
  EXPECT_FALSE(FileExists(cfg() + L".new"));
}

// A save's copy is sealed until it is whole on disk; the start takes it, when the file is
// gone, only with its seal, and the file then holds the copy without it.
TEST_F(DataFileTest, TheCopyOfAnInterruptedSwapIsTakenWhenTheFileIsGone) {
  const std::string whole = DataFileBytes(Numbers(1, 3)) + "[Other]\r\nk=1\r\n";
  struct Case {
    const char* name;
    std::string pending;
    std::vector<Task> rows;
    bool taken;
  } cases[] = {
      {"a sealed copy", whole + SealOf(whole), Numbers(1, 3), true},
      {"a whole copy without its seal", whole, {}, false},
      {"a copy cut inside a later section", whole.substr(0, whole.size() - 5), {}, false},
  };
  for (const auto& c : cases) {
    DeleteFileW(cfg().c_str());
    WriteFileBytes(cfg() + L".new", c.pending);
    Start();
    EXPECT_EQ(main_.items().All(), c.rows) << c.name;
    EXPECT_EQ(FileExists(cfg()), c.taken) << c.name;
    if (c.taken) {
      EXPECT_EQ(ReadFileBytes(cfg()), whole) << c.name;  // the seal is cut off
    }
    EXPECT_EQ(FileExists(cfg() + L".new"), !c.taken) << c.name;  // a torn copy is left for the user
    main_.reset();
    DeleteFileW((cfg() + L".new").c_str());
  }
}

// Every cut a crash can make of a save's copy, at any byte, is refused; only the whole is
// taken. Through the real file layer, as the start reads it.
TEST(DataFileRecovery, NoCutOfASavedCopyIsTaken) {
  test::TempDir dir;
  const std::wstring cfg = dir.File(L"Tavik.cfg");
  const std::string whole = "; mine\r\n" + DataFileBytes(Numbers(1, 2)) + "[Other]\r\nk=1\r\n[Last]\r\nx=2\r\n";
  const std::string copy = whole + SealOf(whole);
  for (size_t cut = 0; cut <= copy.size(); ++cut) {
    DeleteFileW(cfg.c_str());
    WriteFileBytes(cfg + L".new", copy.substr(0, cut));
    tavik::DataFile file(cfg);
    const std::vector<Task> tasks = file.Open();
    if (cut == copy.size()) {
      EXPECT_EQ(tasks, Numbers(1, 2));
      EXPECT_EQ(ReadFileBytes(cfg), whole);
    } else {
      EXPECT_FALSE(FileExists(cfg)) << cut;
      EXPECT_TRUE(tasks.empty()) << cut;
    }
  }
}

// A copy left beside a file is older than the file's last save, or never finished: the start
// removes it, so deleting the file later on purpose revives nothing.
TEST(DataFileRecovery, ACopyOlderThanTheFileIsNeverRevived) {
  test::TempDir dir;
  const std::wstring cfg = dir.File(L"Tavik.cfg");
  const std::string older = DataFileBytes(Numbers(1, 4));
  WriteFileBytes(cfg, DataFileBytes(Numbers(1, 1)));
  WriteFileBytes(cfg + L".new", older + SealOf(older));
  EXPECT_EQ(tavik::DataFile(cfg).Open(), Numbers(1, 1));
  EXPECT_FALSE(FileExists(cfg + L".new"));
  DeleteFileW(cfg.c_str());
  EXPECT_TRUE(tavik::DataFile(cfg).Open().empty());
  EXPECT_FALSE(FileExists(cfg));
}

// Every line the program does not own stays, the user's keys of "[Data]" too; a file an
// editor saved as "Unicode" is read, and saved whole in UTF-16; attributes stay.
TEST_F(DataFileTest, ASaveKeepsWhatIsTheUsers) {
  auto utf16 = [](const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
  };
  const std::u16string list = Ascii(ToAnsi(SerializeTasks(Numbers(1, 2))));
  const std::u16string listAfter = Ascii(ToAnsi(SerializeTasks(Numbers(1, 3))));
  struct Case {
    const char* name;
    std::string file, want;
  } cases[] = {
      {"another key of [Data]", "[Data]\r\nData=" + ToAnsi(SerializeTasks(Numbers(1, 2))) + "\r\nNote=keep me\r\n",
       "[Data]\r\nData=" + ToAnsi(SerializeTasks(Numbers(1, 3))) + "\r\nNote=keep me\r\n"},
      {"UTF-16", utf16(u"[备注]\r\n文字=你好\r\n[Data]\r\nData=" + list + u"\r\n"),
       utf16(u"[备注]\r\n文字=你好\r\n[Data]\r\nData=" + listAfter + u"\r\n")},
  };
  for (const auto& c : cases) {
    WriteFileBytes(cfg(), c.file);
    ASSERT_TRUE(SetFileAttributesW(cfg().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    Start();
    EXPECT_EQ(main_.items().All(), Numbers(1, 2)) << c.name;
    main_.items().AddItem(u"03:00", u"不循环", u"任务3");
    EXPECT_TRUE(main_->SaveData()) << c.name;
    EXPECT_EQ(ReadFileBytes(cfg()), c.want) << c.name;
    EXPECT_TRUE(GetFileAttributesW(cfg().c_str()) & FILE_ATTRIBUTE_HIDDEN) << c.name;
    main_.reset();
    SetFileAttributesW(cfg().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(DataFileTest, AReadOnlyFileIsNeverWrittenAndTheFailureIsToldOnce) {
  const std::string stored = DataFileBytes(Numbers(1, 2)) + "[Config]\r\nx=1\r\n";
  WriteFileBytes(cfg(), stored);
  ASSERT_TRUE(SetFileAttributesW(cfg().c_str(), FILE_ATTRIBUTE_READONLY));
  Start();
  EXPECT_EQ(main_.items().All(), Numbers(1, 2));
  main_.items().AddItem(u"12:00", u"不循环", u"新的");
  EXPECT_FALSE(main_->SaveData());
  main_.items().EditItem(0, u"13:00", u"周1", u"又改了");
  EXPECT_FALSE(main_->SaveData());
  test::PumpMessages();
  ASSERT_EQ(test::ShownBoxes().size(), 1u);  // once a run
  const test::ShownBox& box = test::ShownBoxes()[0];
  EXPECT_EQ(box.owner, main_->hwnd());
  EXPECT_NE(box.text.find(cfg()), std::wstring::npos);
  EXPECT_NE(box.text.find(L"只读"), std::wstring::npos);
  EXPECT_EQ(main_->Row(0)->SetTime(), u"13:00");  // the rows keep what the user did
  EXPECT_EQ(main_->RowCount(), 3u);
  EXPECT_EQ(ReadFileBytes(cfg()), stored);        // not even the "Config" section went
  EXPECT_TRUE(IsReadOnlyFile(cfg()));
  SetFileAttributesW(cfg().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// What stands in the temporary file's way is named, not the program's folder; a leftover copy
// of the program's own is simply replaced.
TEST_F(DataFileTest, SomethingInTheTemporaryFilesWayIsToldOnceAndNamed) {
  const std::wstring temp = cfg() + L".new";
  struct Case {
    const char* name;
    std::function<void()> plant, clear;
  } cases[] = {
      {"a folder", [&] { CreateDirectoryW(temp.c_str(), nullptr); }, [&] { RemoveDirectoryW(temp.c_str()); }},
      {"a read-only file",
       [&] {
         WriteFileBytes(temp, "mine");
         SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_READONLY);
       },
       [&] {
         SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
         EXPECT_EQ(ReadFileBytes(temp), "mine");
         DeleteFileW(temp.c_str());
       }},
  };
  for (const auto& c : cases) {
    test::ShownBoxes().clear();
    Start();
    c.plant();
    main_.items().AddItem(u"12:00", u"不循环", u"x");
    EXPECT_FALSE(main_->SaveData()) << c.name;
    EXPECT_FALSE(main_->SaveData()) << c.name;
    test::PumpMessages();
    ASSERT_EQ(test::ShownBoxes().size(), 1u) << c.name;
    EXPECT_NE(test::ShownBoxes()[0].text.find(temp), std::wstring::npos) << c.name;
    EXPECT_EQ(test::ShownBoxes()[0].text.find(L"可以写入的文件夹"), std::wstring::npos) << c.name;
    c.clear();
    EXPECT_TRUE(main_->SaveData()) << c.name;
    main_.reset();
  }
  WriteFileBytes(temp, "a leftover copy");
  Start();
  EXPECT_FALSE(FileExists(temp));  // the file is there: the leftover goes at the start
  WriteFileBytes(temp, "a leftover copy");
  main_.items().AddItem(u"12:00", u"不循环", u"y");
  EXPECT_TRUE(main_->SaveData());
  EXPECT_FALSE(FileExists(temp));
}

TEST_F(DataFileTest, AFileTooLargeToReadIsToldAndNeverWrittenOver) {
  {
    HANDLE f = CreateFileW(cfg().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    const std::string head = DataFileBytes(Numbers(1, 1));
    WriteFile(f, head.data(), static_cast<DWORD>(head.size()), &n, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kMaxDataFileBytes) + 1;
    SetFilePointerEx(f, size, nullptr, FILE_BEGIN);
    SetEndOfFile(f);
    CloseHandle(f);
  }
  Start();
  EXPECT_EQ(main_->RowCount(), 0u);
  ASSERT_EQ(test::ShownBoxes().size(), 1u);
  EXPECT_NE(test::ShownBoxes()[0].text.find(L"无法读取"), std::wstring::npos);
  main_.items().AddItem(u"12:00", u"不循环", u"x");
  EXPECT_FALSE(main_->SaveData());
  test::PumpMessages();
  EXPECT_EQ(test::ShownBoxes().size(), 1u);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(cfg().c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, static_cast<DWORD>(kMaxDataFileBytes) + 1);
  EXPECT_EQ(ReadFileBytes(cfg()).substr(0, 8), "[Data]\r\n");
}

// A file that can no longer be read when the list is saved (another program made it larger
// than the program reads) is left as it is, and the box says it could not be read rather
// than naming a cause it cannot know.
TEST_F(DataFileTest, AFileThatGrewTooLargeSinceTheStartIsLeftAloneAndToldSo) {
  WriteFileBytes(cfg(), DataFileBytes(Numbers(1, 1)));
  Start();
  test::ShownBoxes().clear();
  {
    HANDLE f = CreateFileW(cfg().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kMaxDataFileBytes) + 1;
    SetFilePointerEx(f, size, nullptr, FILE_BEGIN);
    SetEndOfFile(f);
    CloseHandle(f);
  }
  main_.items().AddItem(u"12:00", u"不循环", u"x");
  EXPECT_FALSE(main_->SaveData());
  test::PumpMessages();
  ASSERT_EQ(test::ShownBoxes().size(), 1u);
  const std::wstring& text = test::ShownBoxes()[0].text;
  EXPECT_NE(text.find(cfg()), std::wstring::npos);
  EXPECT_NE(text.find(L"读不出来"), std::wstring::npos) << text;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(cfg().c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, static_cast<DWORD>(kMaxDataFileBytes) + 1);
}

// The same folder reached by another path is the same data file: one program for it.
TEST(SingleInstance, TheSameFolderByAnotherPathIsTheSameDataFile) {
  test::TempDir dir;
  const std::wstring folder = dir.File(L"有空格的 long folder name");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring cfg = folder + L"\\Tavik.cfg";
  const std::wstring name = InstanceName(cfg);

  wchar_t shortFolder[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(folder.c_str(), shortFolder, MAX_PATH), 0u);
  ASSERT_NE(std::wstring(shortFolder), folder);
  EXPECT_EQ(InstanceName(std::wstring(shortFolder) + L"\\Tavik.cfg"), name);
  EXPECT_EQ(InstanceName(folder + L"\\.\\..\\" + (folder.substr(folder.rfind(L'\\') + 1)) + L"\\Tavik.cfg"), name);

  // Another drive letter onto the same folder, as a mapped drive or "subst" gives: under wine
  // Z: is the whole file system, the prefix's C: drive inside it.
  wchar_t prefix[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH) > 0 && folder.compare(0, 2, L"C:") == 0) {
    std::wstring mapped = L"Z:" + std::wstring(prefix) + L"\\drive_c" + folder.substr(2) + L"\\Tavik.cfg";
    for (wchar_t& c : mapped) c = c == L'/' ? L'\\' : c;
    ASSERT_TRUE(FileExists(mapped.substr(0, mapped.rfind(L'\\'))));
    EXPECT_EQ(InstanceName(mapped), name);
  }

  EXPECT_NE(InstanceName(folder + L"\\Other.cfg"), name);        // another program's file
  EXPECT_NE(InstanceName(dir.File(L"Tavik.cfg")), name);          // another folder
  EXPECT_NE(InstanceName(dir.File(L"missing\\Tavik.cfg")), InstanceName(dir.File(L"gone\\Tavik.cfg")));
}

// The claim on disk: a lock file held open without sharing, which a program of another logon
// or another computer meets as the second start of this logon meets the mutex.
TEST(SingleInstance, TheLockFileKeepsASecondProgramOutWhereverItRuns) {
  test::TempDir dir;
  const std::wstring cfg = dir.File(L"Tavik.cfg");
  const HANDLE first = LockDataFile(cfg);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(GetFileAttributesW(LockFilePath(cfg).c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(LockDataFile(cfg), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  const HANDLE other = LockDataFile(dir.File(L"Other.cfg"));  // another data file
  EXPECT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_NE(RunningElsewhereMessage(cfg).find(U16(cfg)), std::u16string::npos);
  CloseHandle(first);
  CloseHandle(other);
  const HANDLE again = LockDataFile(cfg);  // a lock file a run left behind locks nothing
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  CloseHandle(again);
}

// Loading a large file costs a small multiple of its size, measured as the heap's peak.
TEST(DataFileMemory, LoadingCostsASmallMultipleOfTheFile) {
  test::TempDir dir;
  const std::wstring cfg = dir.File(L"Tavik.cfg");
  constexpr size_t kInfoChars = 8u << 20;
  {
    // One record of a long ASCII text, written in pieces: "08:00;不循环;aa" is 15 GBK bytes, so
    // the Base64 of every further "aaa" is "YWFh", "ywfH" with the case swapped.
    const std::string prefix = ToAnsi(Base64(1, u"08:00;不循环;aa"));
    ASSERT_EQ(ToAnsi(u"08:00;不循环;aa").size(), 15u);
    std::string chunk;
    for (int i = 0; i < 16384; ++i) chunk += "ywfH";
    HANDLE f = CreateFileW(cfg.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    WriteFile(f, "[Data]\r\nData=", 13, &n, nullptr);
    WriteFile(f, prefix.data(), static_cast<DWORD>(prefix.size()), &n, nullptr);
    for (size_t written = 0; written < kInfoChars / 3 * 4; written += chunk.size())
      WriteFile(f, chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr);
    WriteFile(f, ",\r\n", 3, &n, nullptr);
    CloseHandle(f);
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(cfg.c_str(), GetFileExInfoStandard, &data));
  const double fileBytes = data.nFileSizeLow;
  // The heap's own high-water mark: wine's process counters give no peak of their own.
  const std::size_t before = test::HeapBytes();
  test::ResetHeapPeak();
  std::vector<Task> tasks = tavik::DataFile(cfg).Open();
  const double peak = static_cast<double>(test::HeapPeak() - before);
  ASSERT_EQ(tasks.size(), 1u);
  EXPECT_GE(tasks[0].info.size(), kInfoChars);
  std::printf("file %.1f MB, peak %.1f MB more: %.2f times the file\n", fileBytes / 1e6, peak / 1e6, peak / fileBytes);
  EXPECT_GT(peak, 2.0 * static_cast<double>(tasks[0].info.size()));  // at least what it keeps
  EXPECT_LT(peak, 4 * fileBytes);
}

}  // namespace
}  // namespace tavik
