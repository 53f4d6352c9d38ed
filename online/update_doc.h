// The update document the project site serves at the home URL + "?type=update", and what
// the program decides from it. Pure functions: the window side sends the request, shows the
// outcome and makes the statistics visit.
#pragma once

#include <cstddef>
#include <functional>
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

// The document's own signature: the site owner's key signs every entry the program reads,
// so a document changed on the site or on the way closes, visits and announces nothing in a
// program that carries the key. Programs without a key never read this entry.
inline constexpr char16_t kDocSigKey[] = u"DocSig=";

// The bytes a document signature covers, for the decoded document: a context text naming
// this program ("Tavik update document 1", so a document signed for another product with
// the same key does not pass), a NUL, then for each entry the program reads (Home,
// Statistic, Feedback, Donate, MinVer, StableVer, StableUrl, StableHash, StableSig,
// StableTips, in that order) its value exactly as the program reads it (empty when the
// entry is missing): its length in bytes (4 bytes, little-endian) and the value as UTF-16LE.
inline constexpr char kDocumentSignatureContext[] = " update document 1";
std::string DocumentSignedBytes(std::u16string_view decodedDocument);

// A program built with a key checks the document's signature text over the signed bytes
// with it; a program without one passes no check.
using DocumentCheck = std::function<bool(std::string_view signedBytes, std::u16string_view signatureText)>;

// Evaluates one response (the body as received, still encoded; "" after a time-out).
// previous supplies DownUrl, Hash, Tips, Version and Signature, which only a new
// announcement replaces.
// An empty or missing release version announces nothing, and a response longer than
// kMaxUpdateDocument counts as "".
// Given a check (a program with a key), a document whose signature does not pass counts as
// "" too, and only a release whose version sorts after the running one is announced;
// without one, every release version other than the running one is.
UpdateOutcome EvaluateUpdate(std::u16string_view responseText, std::u16string_view homeUrl,
                             std::u16string_view runningVersion, const UpdateInfo& previous,
                             const DocumentCheck& check = {});

// Whether a program offers the release: with a key only a later version, without one any
// other version (the rule of the programs before keys, kept for them).
bool OffersRelease(std::u16string_view runningVersion, std::u16string_view releaseVersion, bool withKey) noexcept;

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
  std::u16string docSig;      // the document's signature; likewise
};

// The plain document text, one "Key=value;" entry after another (DocSig last). Returns "" and sets *why
// when a value cannot be stored so that the program reads it back unchanged (it holds ";",
// a key, or a CR LF pair).
std::u16string BuildUpdateDocument(const UpdateDocument& doc, std::string* why);

}  // namespace tavik
