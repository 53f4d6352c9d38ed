#include "online/update_script.h"

#include <algorithm>
#include <string>

#include "core/ansi.h"

namespace tavik {
namespace {

bool IsDigits(std::u16string_view s, std::size_t maxLen) noexcept {
  if (s.empty() || s.size() > maxLen) return false;
  for (const char16_t c : s) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

// 127.a.b.c in plain decimal, every part 0..255.
bool IsLoopbackIPv4(std::u16string_view host) noexcept {
  int parts = 0;
  while (true) {
    const std::size_t dot = host.find(u'.');
    const std::u16string_view part = host.substr(0, dot);
    if (!IsDigits(part, 3)) return false;
    int value = 0;
    for (const char16_t c : part) value = value * 10 + (c - u'0');
    if (value > 255 || (parts == 0 && part != u"127")) return false;
    ++parts;
    if (dot == std::u16string_view::npos) break;
    host.remove_prefix(dot + 1);
  }
  return parts == 4;
}

bool IsLoopbackAuthority(std::u16string_view authority) noexcept {
  std::u16string_view host = authority;
  std::u16string_view rest;
  if (!authority.empty() && authority.front() == u'[') {
    const std::size_t close = authority.find(u']');
    if (close == std::u16string_view::npos) return false;
    host = authority.substr(0, close + 1);
    rest = authority.substr(close + 1);
  } else {
    const std::size_t colon = authority.find(u':');
    host = authority.substr(0, colon);
    if (colon != std::u16string_view::npos) rest = authority.substr(colon);
  }
  if (!rest.empty() && !(rest.front() == u':' && IsDigits(rest.substr(1), 5))) return false;
  if (host == u"[::1]") return true;
  if (host.size() == 9 && StartsWithNoCase(host, u"localhost")) return true;
  return IsLoopbackIPv4(host);
}

// Characters no Windows file name holds; a control character could also end a script line.
bool IsFileNameChar(char16_t c) noexcept {
  if (c < 0x20 || c == 0x7F) return false;
  return std::u16string_view(u"\"*/:<>?\\|").find(c) == std::u16string_view::npos;
}

// The script is read in the GBK code page: a character outside it would reach the command
// interpreter as a different name.
bool FitsScriptCodePage(char16_t c) {
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  const std::u16string one(1, c);
  const std::string bytes = ToAnsi(one);
  return !bytes.empty() && bytes.size() <= 2 && FromAnsi(bytes) == one;
}

}  // namespace

bool IsProgramAddress(std::u16string_view url) noexcept {
  return url.size() >= 4 && StartsWithNoCase(url.substr(url.size() - 4), u".exe");
}

bool IsOnThisMachine(std::u16string_view url) noexcept {
  std::u16string_view rest;
  if (StartsWithNoCase(url, u"https://")) {
    rest = url.substr(8);
  } else if (StartsWithNoCase(url, u"http://")) {
    rest = url.substr(7);
  } else {
    return false;
  }
  // Some clients read "\" as "/"; a backslash or user-info ("127.0.0.1@elsewhere") could
  // make the request go to a host other than the one checked here.
  if (url.find(u'\\') != std::u16string_view::npos) return false;
  const std::u16string_view authority = rest.substr(0, rest.find_first_of(u"/?#"));
  if (authority.find(u'@') != std::u16string_view::npos) return false;
  return IsLoopbackAuthority(authority);
}

bool IsTrustedReleaseAddress(std::u16string_view url, std::u16string_view homeUrl) noexcept {
  if (StartsWithNoCase(url, u"https://")) {
    const std::u16string_view rest = url.substr(8);
    return !rest.empty() && rest.front() != u'/';
  }
  return StartsWithNoCase(url, u"http://") && IsOnThisMachine(url) && IsOnThisMachine(homeUrl);
}

bool MayInstall(std::u16string_view downUrl, std::u16string_view homeUrl) noexcept {
  return IsProgramAddress(downUrl) && IsTrustedReleaseAddress(downUrl, homeUrl);
}

std::u16string InProgramFolder(std::u16string_view folder, std::u16string_view name) {
  std::u16string path(folder);
  if (path.empty() || path.back() != u'\\') path += u'\\';
  path += name;
  return path;
}

bool GoodDownload(bool downloadSucceeded, std::uintmax_t fileSize, std::u16string_view crcText,
                  std::u16string_view expectedHash) noexcept {
  return downloadSucceeded && fileSize > 0 && !crcText.empty() && crcText == expectedHash;
}

std::u16string UpdateScript(std::u16string_view stem, std::uint32_t processId) {
  if (stem.empty() || processId == 0) return {};
  std::u16string program = u"\"";
  for (const char16_t c : stem) {
    if (!IsFileNameChar(c) || !FitsScriptCodePage(c)) return {};
    program += c;
    if (c == u'%') program += c;  // "%%" is one "%" in a script, quoted or not
  }
  program += u".exe\"";
  const std::u16string pid = Ascii(std::to_string(processId));
  const std::u16string download = kDownloadName, old = kOldProgramName;

  // The system's own tools, never a ping.bat or taskkill.exe beside the program: the script
  // runs in the program's folder, which the command interpreter searches first.
  const std::u16string system = u"\"%SystemRoot%\\System32\\";
  // ping sends one echo a second: two of them wait about a second (a count of 0 is
  // rejected at once and waits for nothing).
  // A blank before each ">": a digit right before one could be read as a handle number.
  const std::u16string pause = system + u"ping.exe\" -n 2 127.0.0.1 >nul";
  // Every step is checked by the files it leaves ("ren" does not say when it fails). The old
  // program is deleted only once the new one is in place; when the new one cannot be put
  // there (a download an antivirus holds or took away), the old one goes back and runs again.
  const std::u16string lines[] = {
      u"@echo off",
      u"echo 正在更新程序文件...",
      // This one program, by its process id: another copy of it elsewhere runs on.
      system + u"taskkill.exe\" /f /pid " + pid + u" >nul 2>nul",
      u"if errorlevel 128 goto swap",  // ended already
      u"if errorlevel 1 goto done",     // it could not be ended: nothing is swapped
      u":swap",
      pause,
      u"ren " + program + u" " + old,
      u"if exist " + program + u" goto start",  // the old file could not be moved
      u"set tries=0",
      u":place",
      u"ren " + download + u" " + program,
      u"if exist " + program + u" goto placed",
      u"set /a tries+=1",
      pause,
      u"if %tries% lss 3 goto place",
      u"ren " + old + u" " + program,
      u"goto start",
      u":placed",
      u"del /f " + old,
      u":start",
      u"start \"\" " + program,  // start takes a first quoted argument as the window title
      u":done",
      u"if exist " + download + u" del /f " + download,
      // The script runs in the program's folder; "%~f0" would bring the folder's name into
      // the line, where a "%" in it is lost. Deleting itself ends the script: the last line.
      u"del " + std::u16string(kScriptName),
  };
  std::u16string script;
  for (const std::u16string& line : lines) script += line + u"\r\n";
  return script;
}

}  // namespace tavik
