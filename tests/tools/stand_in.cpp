// A stand-in for the program under the update script: it adds "<tag> <process id>" to
// started.log beside itself, the tag being the last three bytes of its own file ("old" or
// "new", appended by the test), then waits to be ended (two minutes at most, so that no
// test leaves one behind for long).
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  std::wstring folder(self, n);
  folder.resize(folder.rfind(L'\\') + 1);

  char tag[4] = "???";
  const HANDLE file = CreateFileW(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD got = 0;
    if (SetFilePointer(file, -3, nullptr, FILE_END) != INVALID_SET_FILE_POINTER) ReadFile(file, tag, 3, &got, nullptr);
    CloseHandle(file);
  }
  const std::string line = std::string(tag, 3) + " " + std::to_string(GetCurrentProcessId()) + "\r\n";
  const HANDLE log = CreateFileW((folder + L"started.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, 0, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(log);
  Sleep(120 * 1000);
  return 0;
}
