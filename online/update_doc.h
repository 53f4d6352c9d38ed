// The update document the project site serves at the home URL + "?type=update", and what
// the program decides from it. Pure functions: the window side sends the request, shows the
// outcome and makes the statistics visit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavik {

// A response longer than this is not an update document; it is treated as no answer.
inline constexpr std::size_t kMaxUpdateDocument = 64 * 1024;

inline constexpr char16_t kUpdateQuery[] = u"?type=update";
inline constexpr char16_t kStatisticQuery[] = u"?ver=";
inline constexpr char16_t kTooOldMessage[] =
    u"当前版本过旧已经停止支持，请访问官方网站下载最新版本！";

// The update results the hidden window keeps for the rest of the run (its public strings).
struct UpdateInfo {
  std::u16string Home;
  std::u16string Statistic;
  std::u16string Feedback;
  std::u16string Donate;
  std::u16string DownUrl;  // release address read by the installer
  std::u16string Hash;     // its CRC-32, 8 upper-case hex digits
  std::u16string Tips;     // shown when the bar is clicked
  std::u16string Version;    // the release's version, which its signature covers
  std::u16string Signature;  // StableSig; checked only by a program built with a key

  bool operator==(const UpdateInfo& o) const {
    return Home == o.Home && Statistic == o.Statistic && Feedback == o.Feedback &&
           Donate == o.Donate && DownUrl == o.DownUrl && Hash == o.Hash && Tips == o.Tips &&
           Version == o.Version && Signature == o.Signature;
  }
};

// Everything one evaluated response asks for, in the order the window side acts on it:
//   1. tooOld: message box (kTooOldMessage, critical icon), then open the built-in home URL,
//      visit statisticUrl, end the program; nothing else.
//   2. otherwise clear the bar; if announce, draw barText and show the bar;
//   3. visit statisticUrl unless it is empty.
struct UpdateOutcome {
  UpdateInfo info;              // the strings to keep from now on
  bool tooOld = false;          // the running version is below the supported minimum
  bool announce = false;        // a different release is offered
  std::u16string barText;       // "发现新版本 " + version, when announce
  std::u16string statisticUrl;  // Statistic + "?ver=" + version, or "" for no visit
};

// The request address: homeUrl + "?type=update".
std::u16string UpdateRequestUrl(std::u16string_view homeUrl);

// The decoded document: Base64 mode 0, then every CR LF pair removed (lone CR or LF stay).
std::u16string DecodeUpdateDocument(std::u16string_view responseText);

// Evaluates one response (the body as received, still encoded; "" after a time-out).
// previous supplies DownUrl, Hash, Tips, Version and Signature, which only a new
// announcement replaces.
// An empty or missing release version announces nothing, and a response longer than
// kMaxUpdateDocument counts as "".
UpdateOutcome EvaluateUpdate(std::u16string_view responseText, std::u16string_view homeUrl,
                             std::u16string_view runningVersion, const UpdateInfo& previous);

// The release notes as the box shows them: a box taller than the screen would hide its own
// button, so at most kNotesLines lines and kNotesCharacters characters, cut with "…".
inline constexpr std::size_t kNotesLines = 15;
inline constexpr std::size_t kNotesCharacters = 600;
std::u16string NotesForBox(std::u16string_view tips);

// What the site owner publishes; the publisher tool fills it in.
struct UpdateDocument {
  std::u16string home, statistic, feedback, donate;
  std::u16string minVer, stableVer, stableUrl, stableHash;
  std::u16string stableTips;  // release notes; line breaks (CR LF, LF or CR) become "/"
  std::u16string stableSig;   // written only when given, so an unsigned document is as before
};

// The plain document text, one "Key=value;" entry after another. Returns "" and sets *why
// when a value cannot be stored so that the program reads it back unchanged (it holds ";",
// a key, or a CR LF pair).
std::u16string BuildUpdateDocument(const UpdateDocument& doc, std::string* why);

}  // namespace tavik
