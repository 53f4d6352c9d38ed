#include "tests/win/test_util.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/app.h"
#include "core/window.h"

namespace tavik::test {
namespace {

class RecordBoxes : public ::testing::Environment {
 public:
  void SetUp() override {
    App().messageBox = [](HWND owner, const std::wstring& text, UINT type) {
      ShownBoxes().push_back({owner, text, type});
      return IDOK;
    };
  }
};
::testing::Environment* const kRecordBoxes = ::testing::AddGlobalTestEnvironment(new RecordBoxes);

}  // namespace

std::vector<ShownBox>& ShownBoxes() {
  static std::vector<ShownBox> boxes;
  return boxes;
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

std::unique_ptr<MainWindow> StartMainWindow(const std::wstring& cfgPath, bool show) {
  auto main = std::make_unique<MainWindow>(cfgPath);
  main->quitOnDestroy = false;
  if (!main->Create()) return nullptr;
  if (show) {
    main->Show();
    if (!PumpUntil([&] { return main->loadDone(); })) return nullptr;
  }
  return main;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace tavik::test
