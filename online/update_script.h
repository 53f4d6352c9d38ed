// The installer's rules: which release address may be installed, where its files go, when
// a download is good, and the text of the script that swaps the program files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/address.h"    // ResolveAddress
#include "core/app_paths.h"  // ProgramStem, FolderOf

namespace tavik {

inline constexpr char16_t kDownloadName[] = u"Tavik.tmp";
inline constexpr char16_t kOldProgramName[] = u"Tavik.old";
inline constexpr char16_t kScriptName[] = u"Update.bat";
inline constexpr char16_t kDownloadingText[] = u"正在下载更新文件...";
inline constexpr char16_t kDownloadFailedMessage[] =
    u"更新文件下载失败，请在弹出的页面中手动下载！";

// The last four characters, in any letter case, are ".exe".
bool IsProgramAddress(std::u16string_view url) noexcept;

// The address is http or https on this machine (127.a.b.c, localhost, [::1]; an optional
// port), such as a test site.
bool IsOnThisMachine(std::u16string_view url) noexcept;

// A release may only be fetched over https, or over plain http from this machine by a
// program whose own site (homeUrl) is on this machine too, as a test build's is. The CRC-32
// in the update document guards against a damaged download, not against one altered on the
// way.
bool IsTrustedReleaseAddress(std::u16string_view url, std::u16string_view homeUrl) noexcept;

// The install path is taken only for both; any other address opens the home page instead.
bool MayInstall(std::u16string_view downUrl, std::u16string_view homeUrl) noexcept;

// folder + "\" + name with exactly one backslash between them (a drive root "C:\" already
// ends in one).
std::u16string InProgramFolder(std::u16string_view folder, std::u16string_view name);


// The three conditions of a good download: the download call succeeded, the file is there
// and not empty, and its CRC text equals the expected one exactly (so a lower-case hash
// never matches). An unreadable file has crcText "" and never matches.
bool GoodDownload(bool downloadSucceeded, std::uintmax_t fileSize, std::u16string_view crcText,
                  std::u16string_view expectedHash) noexcept;

// The update script for the program file stem + ".exe" running as process `processId`, each
// line ended by CR LF; the caller writes it as GBK bytes (ToAnsi) to kScriptName and runs it
// hidden in the program's folder. It ends that one process (not every program of the name),
// puts the download in the program's place and starts it; when the download cannot be put
// there it puts the old program back and starts that again, and removes the download. The
// old file is deleted only once the new one is in place. System tools are called by their
// full path in the system folder. The name is quoted and its "%" doubled, so blanks, "&",
// "^" or "%" in it neither break a line nor run anything. Returns "" when the name cannot be
// written safely (empty, a character no file name holds, or one the script's code page
// lacks) or there is no process id; the caller then takes the failure path.
std::u16string UpdateScript(std::u16string_view stem, std::uint32_t processId);

}  // namespace tavik
