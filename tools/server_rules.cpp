#include "tools/server_rules.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "tools/atomic_file.h"

namespace tavik {
namespace {

bool IsPlainChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// nginx matches the rewrite's pattern as a regular expression; "." is the only taken
// character that means something there.
std::string RegexOf(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '.') out += '\\';
    out += c;
  }
  return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::optional<std::string> HomePath(std::string_view homeUrl) {
  std::string_view rest;
  if (StartsWith(homeUrl, "https://"))
    rest = homeUrl.substr(8);
  else if (StartsWith(homeUrl, "http://"))
    rest = homeUrl.substr(7);
  else
    return std::nullopt;
  const std::size_t slash = rest.find('/');
  if (slash == 0 || slash == std::string_view::npos) return std::nullopt;  // no host, or no path
  const std::string_view path = rest.substr(slash);
  if (path.back() != '/' || path.find("//") != std::string_view::npos) return std::nullopt;
  for (const char c : path) {
    if (c != '/' && !IsPlainChar(c)) return std::nullopt;
  }
  for (std::size_t start = 1; start < path.size();) {  // no "." or ".." steps
    const std::size_t end = path.find('/', start);
    const std::string_view step = path.substr(start, end - start);
    if (step == "." || step == "..") return std::nullopt;
    start = end + 1;
  }
  return std::string(path);
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (!IsPlainChar(c)) return false;
  }
  return true;
}

std::string NginxRules(std::string_view homePath, std::string_view document) {
  const std::string home(homePath);
  const std::string target = home + std::string(document);
  return "# Tavik's update check, for nginx: include this file in the site's server block\n"
         "# (include /path/to/" + std::string(kNginxRulesFile) + ";), then check with nginx -t and reload.\n"
         "# GET " + home + "?type=update is answered with " + target + "; the home page stays as it is.\n"
         "if ($arg_type = \"update\") {\n"
         "    rewrite ^" + RegexOf(home) + "$ " + target + " last;\n"
         "}\n"
         "location = " + target + " {\n"
         "    types { }\n"
         "    default_type text/plain;\n"
         "    add_header Cache-Control \"no-cache\" always;\n"
         "}\n";
}

std::string HtaccessBlock(std::string_view homePath, std::string_view document) {
  const std::string home(homePath);
  const std::string name(document);
  return std::string(kHtaccessBegin) + "\n"
         "# Written by tavik-publish, which replaces only what stands between these two lines.\n"
         "# GET " + home + "?type=update is answered with " + name + "; the home page stays as it is.\n"
         "<IfModule mod_rewrite.c>\n"
         "RewriteEngine On\n"
         "RewriteCond %{QUERY_STRING} (^|&)type=update(&|$)\n"
         "RewriteRule ^$ " + home + name + " [L]\n"
         "</IfModule>\n"
         "<Files \"" + name + "\">\n"
         "ForceType text/plain\n"
         "<IfModule mod_headers.c>\n"
         "Header set Cache-Control \"no-cache\"\n"
         "</IfModule>\n"
         "</Files>\n" +
         kHtaccessEnd + "\n";
}

std::optional<std::string> MergeHtaccess(std::string_view existing, std::string_view block) {
  // The markers count only as whole lines.
  const auto lineAt = [&](std::string_view marker) -> std::size_t {
    for (std::size_t at = existing.find(marker); at != std::string_view::npos;
         at = existing.find(marker, at + 1)) {
      const std::size_t after = at + std::string_view(marker).size();
      const bool startsLine = at == 0 || existing[at - 1] == '\n';
      const bool endsLine = after == existing.size() || existing[after] == '\n' ||
                            existing[after] == '\r';
      if (startsLine && endsLine) return at;
    }
    return std::string_view::npos;
  };
  const std::size_t begin = lineAt(kHtaccessBegin);
  if (begin == std::string_view::npos) {
    std::string out(existing);
    if (!out.empty() && out.back() != '\n') out += '\n';
    if (!out.empty()) out += '\n';
    return out + std::string(block);
  }
  const std::size_t endMarker = lineAt(kHtaccessEnd);
  if (endMarker == std::string_view::npos || endMarker < begin) return std::nullopt;
  std::size_t end = existing.find('\n', endMarker);
  end = end == std::string_view::npos ? existing.size() : end + 1;
  return std::string(existing.substr(0, begin)) + std::string(block) +
         std::string(existing.substr(end));
}

bool WriteServerRules(const std::string& documentPath, const std::string& homeUrl) {
  namespace fs = std::filesystem;
  const fs::path document = fs::u8path(documentPath);
  const std::string name = document.filename().u8string();
  if (homeUrl.empty()) {
    std::cerr << "tavik-publish: no server rules written: they need --home, the program's home address\n";
    return true;
  }
  const std::optional<std::string> home = HomePath(homeUrl);
  if (!home || !IsPlainFileName(name)) {
    std::cerr << "tavik-publish: warning: no server rules written: the home address's path and the "
                 "document's name may hold only letters, digits and \"-._~\" (and \"/\" in the path)\n";
    return true;
  }
  const fs::path folder = document.parent_path();
  const fs::path htaccess = folder / ".htaccess";
  std::string existing;
  {
    std::error_code ec;
    if (fs::exists(htaccess, ec)) {
      std::ifstream in(htaccess, std::ios::binary);
      existing.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      if (!in.is_open() || in.bad()) {
        std::cerr << "tavik-publish: cannot read " << htaccess.u8string() << "\n";
        return false;
      }
    }
  }
  const std::optional<std::string> merged = MergeHtaccess(existing, HtaccessBlock(*home, name));
  if (!merged) {
    std::cerr << "tavik-publish: " << htaccess.u8string() << " has \"" << kHtaccessBegin
              << "\" without \"" << kHtaccessEnd << "\"; mend it by hand, nothing written there\n";
    return false;
  }
  const std::pair<fs::path, std::string> files[] = {
      {htaccess, *merged},
      {folder / kNginxRulesFile, NginxRules(*home, name)},
  };
  for (const auto& [path, text] : files) {
    std::string why;
    if (!WriteFileAtomically(path.u8string(), text, &why)) {
      std::cerr << "tavik-publish: " << why << "\n";
      return false;
    }
  }
  std::cerr << "tavik-publish: server rules for " << homeUrl << "?type=update written beside "
            << name << ": .htaccess (Apache) and " << kNginxRulesFile << " (nginx)\n";
  return true;
}

}  // namespace tavik
