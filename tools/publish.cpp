// tavik-publish: writes the update document for a release, so the site owner never encodes
// it by hand. The output goes at the site's home address + "?type=update".
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

#include "core/ansi.h"
#include "core/codec.h"
#include "online/crc32.h"
#include "online/update_doc.h"
#include "online/update_script.h"
#include "online/version.h"
#include "tools/atomic_file.h"
#include "tools/pe_version.h"
#include "tools/server_rules.h"
#include "tools/utf8_args.h"
#ifdef TAVIK_PUBLISH_SIGNS
#include "tools/release_keys.h"
#endif

namespace {

constexpr char kUsage[] =
    "usage: tavik-publish --release FILE --version VER --min-version VER\n"
    "                     [--notes TEXT | --notes-file FILE]\n"
    "                     [--url URL] [--home URL] [--statistic URL]\n"
    "                     [--feedback URL] [--donate URL] [--output FILE]\n"
    "                     [--sign-key FILE] [--allow-older]\n"
    "       tavik-publish keygen --private FILE --public FILE\n"
    "\n"
    "  --release      the new program file; its CRC-32 goes into the document\n"
    "  --version      its version, exactly as the file's version resource states it;\n"
    "                 programs with a key are offered only a later release, others\n"
    "                 any release of another version\n"
    "  --min-version  the lowest version still allowed to run (\"\" for none);\n"
    "                 versions compare as plain text: 0.5.10 is above 0.5.1, 0.10 below\n"
    "  --notes        release notes; each line break (or \"/\") shows as a new line\n"
    "  --url          where the release is downloaded (https, ending in .exe);\n"
    "                 default: the home address followed by the release's file name\n"
    "  --home         the site's home address, ending in \"/\"\n"
    "  --statistic    page visited after every check with \"?ver=\" and the version\n"
    "  --output       file to write (default: standard output); no line break is added;\n"
    "                 beside it go server rules that answer the home address + \"?type=update\"\n"
    "                 with it: .htaccess (Apache) and tavik-nginx.conf (nginx); every file\n"
    "                 is replaced whole or not at all\n"
    "  --sign-key     the private key file (from keygen): signs the release for its version\n"
    "                 and the whole document; a program built with the public key acts only\n"
    "                 on documents and installs only releases signed with it\n"
    "  --allow-older  publish a version that does not sort after the one in --output\n"
    "  keygen         writes a new key pair; never overwrites a file\n"
    "\n"
    "Texts are UTF-8 and may not hold \";\" or any key of the document (\"Home=\", ...).\n";

// UTF-8 -> UTF-16; nothing on malformed input.
std::optional<std::u16string> FromUtf8(const std::string& s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    int extra = 0;
    char32_t cp = 0;
    if (b < 0x80) {
      cp = b;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07;
      extra = 3;
    } else {
      return std::nullopt;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) return std::nullopt;  // cut short
    for (int k = 1; k <= extra; ++k) {
      const unsigned char c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((c & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += 1 + static_cast<std::size_t>(extra);
  }
  return out;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

#ifndef TAVIK_PUBLISH_SIGNS
constexpr char kNoSigning[] =
    "this publisher was built without signing (it needs OpenSSL); sign with the native one (Linux or WSL)";
#endif

int Fail(const std::string& message) {
  std::cerr << "tavik-publish: " << message << "\n";
  return 1;
}

std::string Narrow(const std::u16string& text) { return tavik::ToAnsi(text); }

// Plain http that leaves this machine can be read and changed by anyone on the way.
void WarnIfPlainHttp(const char* option, const std::u16string& url) {
  if (tavik::StartsWithNoCase(url, u"http://") && !tavik::IsOnThisMachine(url)) {
    std::cerr << "tavik-publish: warning: " << option << " is plain http: anyone on the network between "
                 "the users and the site can read and change what goes there; use https\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  argv = tavik::Utf8Arguments(argc, argv);
  static const char* const kOptions[] = {"--release", "--version",  "--min-version",
                                         "--notes",   "--notes-file", "--url",
                                         "--home",    "--statistic", "--feedback",
                                         "--donate",  "--output",   "--sign-key"};
#ifdef TAVIK_PUBLISH_SIGNS
  if (argc > 1 && std::string(argv[1]) == "keygen") return tavik::publish::RunKeygen(argc - 1, argv + 1);
#else
  if (argc > 1 && std::string(argv[1]) == "keygen") return Fail(kNoSigning);
#endif
  std::map<std::string, std::string> args;
  bool allowOlder = false;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (name == "--allow-older") {
      allowOlder = true;
      continue;
    }
    bool known = false;
    for (const char* option : kOptions) known = known || name == option;
    if (!known) return Fail("unknown option " + name + "\n" + kUsage);
    if (i + 1 >= argc) return Fail(name + " needs a value");
    if (args.count(name)) return Fail(name + " given twice");
    args[name] = argv[++i];
  }
  for (const char* required : {"--release", "--version", "--min-version"}) {
    if (!args.count(required)) return Fail(std::string(required) + " is required\n" + kUsage);
  }
  if (args.count("--notes") && args.count("--notes-file")) {
    return Fail("give either --notes or --notes-file");
  }

  const std::string releasePath = args["--release"];
  const std::optional<std::string> release = ReadFile(releasePath);
  if (!release) return Fail("cannot read " + releasePath);
  if (release->empty()) return Fail(releasePath + " is empty; the program never installs an empty file");

  std::string notes = args["--notes"];
  if (args.count("--notes-file")) {
    const std::optional<std::string> text = ReadFile(args["--notes-file"]);
    if (!text) return Fail("cannot read " + args["--notes-file"]);
    notes = text->compare(0, 3, "\xEF\xBB\xBF") == 0 ? text->substr(3) : *text;
    while (!notes.empty() && (notes.back() == '\n' || notes.back() == '\r')) notes.pop_back();
  }

  std::string url = args["--url"];
  if (url.empty()) {
    if (args["--home"].empty()) return Fail("give --url, or --home to place the release under it");
    const std::size_t slash = releasePath.find_last_of('/');
    url = args["--home"] + releasePath.substr(slash == std::string::npos ? 0 : slash + 1);
  }

  tavik::UpdateDocument doc;
  const std::pair<std::string, std::u16string*> texts[] = {
      {args["--home"], &doc.home},         {args["--statistic"], &doc.statistic},
      {args["--feedback"], &doc.feedback}, {args["--donate"], &doc.donate},
      {args["--min-version"], &doc.minVer}, {args["--version"], &doc.stableVer},
      {url, &doc.stableUrl},                {notes, &doc.stableTips},
  };
  for (const auto& [utf8, target] : texts) {
    const std::optional<std::u16string> text = FromUtf8(utf8);
    if (!text) return Fail("not UTF-8: " + utf8);
    *target = *text;
  }
  doc.stableHash = tavik::Crc32Text(tavik::Crc32Buffer(*release));

  if (doc.stableVer.empty()) return Fail("--version is empty; an empty version announces nothing");
  // The wrong file, or the right file under the wrong number, would be offered to every user.
  const std::optional<std::u16string> stated = tavik::ProgramVersionOf(*release);
  if (!stated) {
    return Fail(releasePath + " has no version resource: it is not a build of the program");
  }
  if (*stated != doc.stableVer) {
    return Fail("--version " + args["--version"] + " differs from the version " + Narrow(*stated) + " that " +
                releasePath + " states of itself; publish it under its own version, or build it with "
                "the version you mean");
  }
  // Never older than what the site offers now: programs with a key would never install it,
  // programs without one would go back to it.
  if (args.count("--output")) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::u8path(args["--output"]), ec)) {
      const std::optional<std::string> published = ReadFile(args["--output"]);
      if (!published) return Fail("cannot read " + args["--output"] + ", the document to be replaced");
      const std::u16string text = tavik::DecodeUpdateDocument(std::u16string(published->begin(), published->end()));
      const std::u16string before = tavik::GetKeyValue(text, u"StableVer=", u";");
      if (!before.empty() && !tavik::VersionBefore(before, doc.stableVer) && !allowOlder) {
        return Fail("--version " + args["--version"] + " does not sort after " + Narrow(before) +
                    ", the version published in " + args["--output"] + " (versions compare as text: 0.10 "
                    "sorts before 0.9); programs built with a key would never install it. Give "
                    "--allow-older to publish it all the same");
      }
    }
  }
  if (tavik::VersionBefore(doc.stableVer, doc.minVer)) {
    return Fail("--version sorts before --min-version: the new release itself would be "
                "told it is too old");
  }
  if (!doc.home.empty() && doc.home.back() != u'/') {
    std::cerr << "tavik-publish: warning: --home does not end in \"/\"\n";
  }
  if (!tavik::IsProgramAddress(doc.stableUrl)) {
    std::cerr << "tavik-publish: warning: the release address does not end in .exe; "
                 "users will be sent to the home page instead\n";
  } else if (!tavik::IsTrustedReleaseAddress(doc.stableUrl, doc.home.empty() ? doc.stableUrl : doc.home)) {
    std::cerr << "tavik-publish: warning: the release address is neither https nor on this "
                 "machine (where only a program whose site is on this machine takes it); users "
                 "will be sent to the home page instead\n";
  }
  for (const auto& [option, address] : {std::pair<const char*, const std::u16string*>{"--home", &doc.home},
                                    {"--url", &doc.stableUrl},
                                    {"--statistic", &doc.statistic}}) {
    WarnIfPlainHttp(option, *address);
  }

  {
    // What the bar's box shows: the program cuts longer notes so that its button stays on screen.
    std::u16string tips = u"发现新版本：" + doc.stableVer + u"\r\n";
    for (const char16_t c : doc.stableTips) {
      if (c == u'/' || c == u'\n')
        tips += u"\r\n";
      else if (c != u'\r')
        tips += c;
    }
    if (tavik::NotesForBox(tips) != tips) {
      std::cerr << "tavik-publish: warning: the release notes are longer than the program shows; it shows "
                << tavik::kNotesLines << " lines or " << tavik::kNotesCharacters
                << " characters of them, then \"...\"\n";
    }
  }

  std::string why;
#ifdef TAVIK_PUBLISH_SIGNS
  if (args.count("--sign-key") &&
      !tavik::publish::SignReleaseWithKeyFile(args["--sign-key"], doc.stableVer, *release, &doc.stableSig, &why)) {
    return Fail(why);
  }
#else
  if (args.count("--sign-key")) return Fail(kNoSigning);
#endif
  std::u16string plain = tavik::BuildUpdateDocument(doc, &why);
  if (plain.empty()) return Fail(why);
#ifdef TAVIK_PUBLISH_SIGNS
  if (args.count("--sign-key")) {
    // Every entry as the program will read it back from what is published.
    const std::u16string readBack = tavik::DecodeUpdateDocument(tavik::Base64(1, plain));
    if (!tavik::publish::SignDocumentWithKeyFile(args["--sign-key"], tavik::DocumentSignedBytes(readBack),
                                                 &doc.docSig, &why)) {
      return Fail(why);
    }
    plain = tavik::BuildUpdateDocument(doc, &why);
    if (plain.empty()) return Fail(why);
    if (tavik::DocumentSignedBytes(tavik::DecodeUpdateDocument(tavik::Base64(1, plain))) !=
        tavik::DocumentSignedBytes(readBack)) {
      return Fail("the document's signature would not cover what the program reads");
    }
  }
#endif
  const std::string encoded = tavik::ToAnsi(tavik::Base64(1, plain));
  if (encoded.size() > tavik::kMaxUpdateDocument) {
    return Fail("the document is longer than the program reads (64 KiB); shorten the notes");
  }

  if (args.count("--output")) {
    if (!tavik::WriteFileAtomically(args["--output"], encoded, &why)) return Fail(why);
    if (!tavik::WriteServerRules(args["--output"], args["--home"])) return 1;
  } else {
    std::cout << encoded;
    std::cout.flush();
    if (!std::cout) return Fail("cannot write the document");
  }
  std::cerr << "tavik-publish: release " << args["--version"] << ", CRC-32 "
            << tavik::ToAnsi(doc.stableHash) << (doc.stableSig.empty() ? ", " : ", signed, ") << encoded.size() << " characters\n";
  return 0;
}
