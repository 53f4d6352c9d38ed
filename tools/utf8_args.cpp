#include "tools/utf8_args.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>
#endif

namespace tavik {

#ifdef _WIN32
char** Utf8Arguments(int& argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return argv;
  static std::vector<std::string> texts;
  static std::vector<char*> pointers;
  texts.assign(static_cast<std::size_t>(count), std::string());
  for (int i = 0; i < count; ++i) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string& text = texts[static_cast<std::size_t>(i)];
    if (bytes > 1) {
      text.resize(static_cast<std::size_t>(bytes));
      WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), bytes, nullptr, nullptr);
      text.resize(static_cast<std::size_t>(bytes - 1));  // the terminating zero
    }
  }
  LocalFree(wide);
  pointers.clear();
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  argc = count;
  return pointers.data();
}
#else
char** Utf8Arguments(int&, char** argv) { return argv; }
#endif

}  // namespace tavik
