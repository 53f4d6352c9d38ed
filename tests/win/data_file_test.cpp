// The data file under what really happens to it: saves while the load is still adding rows,
// saves read by another process at any moment, a swap a crash interrupted, files the user
// made read-only or that are too large, failures told once, and the one program per file.
#include "core/data_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/ansi.h"
#include "core/instance.h"
#include "core/messages.h"
#include "widget/tray.h"
#include "core/file_io.h"
#include "core/ini_file.h"
#include "editing/item_menu.h"
#include "tests/win/clock_util.h"
#include "tests/win/test_util.h"

namespace tavik {
namespace {

using test::DataFile;
using test::FileExists;
using test::ReadFileBytes;
using test::WriteFileBytes;

Task Numbered(int n) {
  const std::u16string digits = Ascii(std::to_string(n));
  return {u"0" + digits + u":00", u"不循环", u"任务" + digits};
}

std::vector<Task> Numbers(int from, int to) {
  std::vector<Task> tasks;
  for (int i = from; i <= to; ++i) tasks.push_back(Numbered(i));
  return tasks;
}

std::string FileOf(const std::vector<Task>& tasks) {
  return "[Data]\r\nData=" + ToAnsi(SerializeTasks(tasks)) + "\r\n";
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
  WriteFileBytes(cfg(), FileOf(Numbers(1, 5)));
  static Program* program;
  static bool deleted;
  deleted = false;
  main_ = test::MakeProgram(cfg());
  program = &main_.program();
  ASSERT_TRUE(program->Start());
  const UINT_PTR probe = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK {
    MainWindow& main = program->frmMain;
    if (deleted || main.HighestIndex() < 1 || main.Row(1)->Bounds().left != 1) return;
    deleted = true;
    program->mnuItems.actID = 1;
    program->mnuItems.DeleteClick();  // runs inside the load's wait between two slide steps
  });
  main_->Show();
  ASSERT_TRUE(test::PumpUntil([&] { return main_->loadDone(); }));
  KillTimer(nullptr, probe);
  ASSERT_TRUE(deleted);
  EXPECT_EQ(main_->Tasks(), Numbers(2, 5));
  EXPECT_EQ(ReadFileBytes(cfg()), FileOf(Numbers(2, 5)));

  main_.reset();
  Start();
  EXPECT_EQ(main_->Tasks(), Numbers(2, 5));
}

TEST_F(DataFileTest, TheNewTaskButtonCountsTheTasksStillToBeAdded) {
  WriteFileBytes(cfg(), FileOf(Numbers(1, 5)));
  main_ = test::MakeProgram(cfg());
  ASSERT_TRUE(main_.program().Start());
  EXPECT_EQ(main_->HighestIndex(), 0);
  EXPECT_EQ(main_->TaskCount(), 5);  // the list is full before a row has slid in
}

// Another program reads the file over and over while the program saves two lists in turn:
// the file is never missing and never holds anything but one of the two lists whole. A read
// now and then (a virus scanner, a backup) does not make a save fail.
TEST_F(DataFileTest, AReaderNeverFindsTheFileMissingOrTornDuringSaves) {
  std::vector<Task> a = Numbers(1, 5), b = Numbers(1, 5);
  for (Task& t : b) t.info += u" 改过了";
  WriteFileBytes(cfg(), FileOf(a));
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
        else if (r == ReadResult::Read && bytes != FileOf(a) && bytes != FileOf(b)) ++torn;
        if (pauseMs) Sleep(pauseMs);
      }
    });
    // The saves go on until the reader has had its share of turns: how many it gets in a
    // given number of saves is up to the scheduler of a busy machine.
    int failedSaves = 0;
    for (int i = 0; i < 5000 && (i < 120 || reads < 100); ++i) {
      const std::vector<Task>& list = i % 2 ? a : b;
      for (short row = 1; row <= 5; ++row)
        main_->EditItem(row, list[row - 1].time, list[row - 1].cycle, list[row - 1].info);
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

TEST_F(DataFileTest, TheCopyOfAnInterruptedSwapIsTakenWhenTheFileIsGone) {
  struct Case {
    const char* name;
    std::string pending;
    std::vector<Task> rows;
    bool taken;
  } cases[] = {
      {"a whole copy", FileOf(Numbers(1, 3)), Numbers(1, 3), true},
      {"a copy cut short", FileOf(Numbers(1, 3)).substr(0, 30), {}, false},
  };
  for (const auto& c : cases) {
    DeleteFileW(cfg().c_str());
    WriteFileBytes(cfg() + L".new", c.pending);
    Start();
    EXPECT_EQ(main_->Tasks(), c.rows) << c.name;
    EXPECT_EQ(FileExists(cfg()), c.taken) << c.name;
    EXPECT_EQ(FileExists(cfg() + L".new"), !c.taken) << c.name;  // a torn copy is left for the user
    main_.reset();
    DeleteFileW((cfg() + L".new").c_str());
  }
  // With the file there, a leftover copy is older than the file and is not read.
  WriteFileBytes(cfg(), FileOf(Numbers(1, 1)));
  WriteFileBytes(cfg() + L".new", FileOf(Numbers(1, 4)));
  Start();
  EXPECT_EQ(main_->Tasks(), Numbers(1, 1));
}

TEST_F(DataFileTest, AReadOnlyFileIsNeverWrittenAndTheFailureIsToldOnce) {
  const std::string stored = FileOf(Numbers(1, 2)) + "[Config]\r\nx=1\r\n";
  WriteFileBytes(cfg(), stored);
  ASSERT_TRUE(SetFileAttributesW(cfg().c_str(), FILE_ATTRIBUTE_READONLY));
  Start();
  EXPECT_EQ(main_->Tasks(), Numbers(1, 2));
  main_->AddItem(u"12:00", u"不循环", u"新的");
  EXPECT_FALSE(main_->SaveData());
  main_->EditItem(1, u"13:00", u"周1", u"又改了");
  EXPECT_FALSE(main_->SaveData());
  test::PumpMessages();
  ASSERT_EQ(test::ShownBoxes().size(), 1u);  // once a run
  const test::ShownBox& box = test::ShownBoxes()[0];
  EXPECT_EQ(box.owner, main_->hwnd());
  EXPECT_NE(box.text.find(cfg()), std::wstring::npos);
  EXPECT_NE(box.text.find(L"只读"), std::wstring::npos);
  EXPECT_EQ(main_->Row(1)->SetTime(), u"13:00");  // the rows keep what the user did
  EXPECT_EQ(main_->HighestIndex(), 3);
  EXPECT_EQ(ReadFileBytes(cfg()), stored);        // not even the "Config" section went
  EXPECT_TRUE(IsReadOnlyFile(cfg()));
  SetFileAttributesW(cfg().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DataFileTest, AFolderThatCannotBeWrittenIsToldOnceAndNamesTheFile) {
  Start();
  // The temporary file cannot be created: a folder stands in its place.
  ASSERT_TRUE(CreateDirectoryW((cfg() + L".new").c_str(), nullptr));
  main_->AddItem(u"12:00", u"不循环", u"x");
  EXPECT_FALSE(main_->SaveData());
  EXPECT_FALSE(main_->SaveData());
  test::PumpMessages();
  ASSERT_EQ(test::ShownBoxes().size(), 1u);
  EXPECT_NE(test::ShownBoxes()[0].text.find(cfg()), std::wstring::npos);
  EXPECT_NE(test::ShownBoxes()[0].text.find(L"可以写入的文件夹"), std::wstring::npos);
  RemoveDirectoryW((cfg() + L".new").c_str());
  EXPECT_TRUE(main_->SaveData());
}

TEST_F(DataFileTest, AFileTooLargeToReadIsToldAndNeverWrittenOver) {
  {
    HANDLE f = CreateFileW(cfg().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    const std::string head = FileOf(Numbers(1, 1));
    WriteFile(f, head.data(), static_cast<DWORD>(head.size()), &n, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kMaxDataFileBytes) + 1;
    SetFilePointerEx(f, size, nullptr, FILE_BEGIN);
    SetEndOfFile(f);
    CloseHandle(f);
  }
  Start();
  EXPECT_EQ(main_->HighestIndex(), 0);
  ASSERT_EQ(test::ShownBoxes().size(), 1u);
  EXPECT_NE(test::ShownBoxes()[0].text.find(L"无法读取"), std::wstring::npos);
  main_->AddItem(u"12:00", u"不循环", u"x");
  EXPECT_FALSE(main_->SaveData());
  test::PumpMessages();
  EXPECT_EQ(test::ShownBoxes().size(), 1u);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(cfg().c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, static_cast<DWORD>(kMaxDataFileBytes) + 1);
  EXPECT_EQ(ReadFileBytes(cfg()).substr(0, 8), "[Data]\r\n");
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

}  // namespace
}  // namespace tavik
