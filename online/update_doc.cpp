#include "online/update_doc.h"

#include <initializer_list>
#include <utility>

#include "core/codec.h"
#include "core/title.h"
#include "online/release_sign.h"
#include "online/version.h"

namespace tavik {
namespace {

constexpr char16_t kSeparator[] = u";";
constexpr char16_t kCrLf[] = u"\r\n";

// One left-to-right pass, like a plain text replace: "\r\r\n\n" leaves "\r\n".
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from,
                          std::u16string_view to) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = text.find(from, pos);
    if (hit == std::u16string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::u16string Value(std::u16string_view doc, std::u16string_view key) {
  return GetKeyValue(doc, key, kSeparator);
}

// The entries a document signature covers, in the order they are signed.
constexpr const char16_t* kSignedKeys[] = {u"Home=",      u"Statistic=", u"Feedback=",  u"Donate=",
                                           u"MinVer=",    u"StableVer=", u"StableUrl=", u"StableHash=",
                                           kStableSigKey, u"StableTips="};

void AppendCounted(std::string* out, std::u16string_view text) {
  const std::size_t length = text.size() * 2;
  for (int i = 0; i < 4; ++i) *out += static_cast<char>(length >> (8 * i) & 0xFF);
  for (const char16_t c : text) {
    *out += static_cast<char>(c & 0xFF);
    *out += static_cast<char>(c >> 8);
  }
}

}  // namespace

std::u16string UpdateRequestUrl(std::u16string_view homeUrl) {
  return std::u16string(homeUrl) + kUpdateQuery;
}

std::u16string DecodeUpdateDocument(std::u16string_view responseText) {
  return ReplaceAll(Base64(0, responseText), kCrLf, u"");
}

std::string DocumentSignedBytes(std::u16string_view decodedDocument) {
  std::string bytes;
  for (const char16_t* c = kProgramTitle; *c; ++c) bytes += static_cast<char>(*c);  // ASCII
  bytes.append(kDocumentSignatureContext, sizeof kDocumentSignatureContext);  // with its NUL
  for (const char16_t* key : kSignedKeys) AppendCounted(&bytes, Value(decodedDocument, key));
  return bytes;
}

bool OffersRelease(std::u16string_view runningVersion, std::u16string_view releaseVersion, bool withKey) noexcept {
  if (releaseVersion.empty()) return false;  // no key, no answer, undecodable: no news
  return withKey ? VersionBefore(runningVersion, releaseVersion) : releaseVersion != runningVersion;
}

UpdateOutcome EvaluateUpdate(std::u16string_view responseText, std::u16string_view homeUrl,
                             std::u16string_view runningVersion, const UpdateInfo& previous,
                             const DocumentCheck& check) {
  // Anything this large is not our document (a captive portal, an error page, an attack).
  if (responseText.size() > kMaxUpdateDocument) responseText = {};
  std::u16string doc = DecodeUpdateDocument(responseText);
  // With a key, a document the owner did not sign as it stands is no answer at all.
  if (check && !check(DocumentSignedBytes(doc), Value(doc, kDocSigKey))) doc.clear();

  UpdateOutcome out;
  UpdateInfo& info = out.info;
  info = previous;
  info.Home = Value(doc, u"Home=");
  info.Statistic = Value(doc, u"Statistic=");
  info.Feedback = Value(doc, u"Feedback=");
  info.Donate = Value(doc, u"Donate=");
  const std::u16string minVer = Value(doc, u"MinVer=");
  if (info.Home.empty()) info.Home = homeUrl;

  const std::u16string stableVer = Value(doc, u"StableVer=");
  std::u16string stableUrl = Value(doc, u"StableUrl=");
  const std::u16string stableHash = Value(doc, u"StableHash=");
  const std::u16string stableSig = Value(doc, kStableSigKey);
  const std::u16string notes = ReplaceAll(Value(doc, u"StableTips="), u"/", kCrLf);
  if (stableUrl.empty()) stableUrl = info.Home;

  if (!info.Statistic.empty()) {
    out.statisticUrl = info.Statistic + kStatisticQuery + std::u16string(runningVersion);
  }

  if (VersionBefore(runningVersion, minVer)) {
    out.tooOld = true;
    return out;
  }

  if (OffersRelease(runningVersion, stableVer, static_cast<bool>(check))) {
    out.announce = true;
    info.DownUrl = stableUrl;
    info.Hash = stableHash;
    info.Version = stableVer;
    info.Signature = stableSig;
    info.Tips = u"发现新版本：" + stableVer + kCrLf + notes;
    out.barText = u"发现新版本 " + stableVer;
  }
  return out;
}

std::u16string NotesForBox(std::u16string_view tips) {
  std::size_t lines = 1, end = 0;
  for (; end < tips.size(); ++end) {
    const char16_t c = tips[end];
    if (c == u'\n') ++lines;
    if (c == u'\r' || c == u'\n') continue;
    if (lines > kNotesLines || end >= kNotesCharacters) break;
  }
  if (end >= tips.size()) return std::u16string(tips);
  std::u16string_view kept = tips.substr(0, end);
  // Never half a line break or half a surrogate pair.
  while (!kept.empty() && (kept.back() == u'\r' || kept.back() == u'\n' || (kept.back() >= 0xD800 && kept.back() <= 0xDBFF)))
    kept.remove_suffix(1);
  return std::u16string(kept) + kCrLf + u"…";
}

std::u16string BuildUpdateDocument(const UpdateDocument& doc, std::string* why) {
  std::u16string notes = ReplaceAll(doc.stableTips, kCrLf, u"/");
  notes = ReplaceAll(notes, u"\n", u"/");
  notes = ReplaceAll(notes, u"\r", u"/");

  const std::u16string* const signature = doc.stableSig.empty() ? nullptr : &doc.stableSig;
  const std::u16string* const docSignature = doc.docSig.empty() ? nullptr : &doc.docSig;
  const std::initializer_list<std::pair<const char16_t*, const std::u16string*>> entries = {
      {u"Home=", &doc.home},           {u"Statistic=", &doc.statistic},
      {u"Feedback=", &doc.feedback},   {u"Donate=", &doc.donate},
      {u"MinVer=", &doc.minVer},       {u"StableVer=", &doc.stableVer},
      {u"StableUrl=", &doc.stableUrl}, {u"StableHash=", &doc.stableHash},
      {kStableSigKey, signature},      {u"StableTips=", &notes},
      {kDocSigKey, docSignature},
  };
  std::u16string text;
  for (const auto& [key, value] : entries) {
    if (!value) continue;
    text += key;
    text += *value;
    text += kSeparator;
  }
  // Proof by reading it back the way the program does: a value holding ";", a key of its
  // own or of a later entry, or a CR LF pair would come back different.
  const std::u16string readBack = ReplaceAll(text, kCrLf, u"");
  for (const auto& [key, value] : entries) {
    if (value && Value(readBack, key) != *value) {
      if (why) {
        *why = "the value of ";
        for (const char16_t* k = key; *k; ++k) why->push_back(static_cast<char>(*k));
        *why += " would not read back unchanged (it may not hold \";\", a key name or CR LF)";
      }
      return {};
    }
  }
  return text;
}

}  // namespace tavik
