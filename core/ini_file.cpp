#include "core/ini_file.h"

#include <cctype>

namespace tavik {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The section name of a header line, or nullopt for any other line.
std::optional<std::string_view> HeaderName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

}  // namespace

std::string ReplaceSection(std::string_view file, std::string_view name,
                           std::optional<std::string_view> body) {
  std::string out;
  out.reserve(file.size() + (body ? body->size() + name.size() + 4 : 0));
  bool inTarget = false;
  bool placed = false;
  size_t pos = 0;
  while (pos < file.size()) {
    size_t end = file.find('\n', pos);
    end = end == std::string_view::npos ? file.size() : end + 1;
    const std::string_view raw = file.substr(pos, end - pos);  // with its line ending
    pos = end;
    std::string_view text = raw;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);

    if (const auto header = HeaderName(text)) {
      inTarget = SameName(*header, name);
      if (inTarget) {
        if (body && !placed) {
          out.append("[").append(name).append("]\r\n").append(*body);
          placed = true;
        }
        continue;
      }
    }
    if (!inTarget) out.append(raw);
  }
  if (body && !placed) {
    if (!out.empty() && out.back() != '\n') out.append("\r\n");
    out.append("[").append(name).append("]\r\n").append(*body);
  }
  return out;
}

std::string WithDataValue(std::string_view file, std::string_view value) {
  std::string body = "Data=";
  body.append(value).append("\r\n");
  return ReplaceSection(file, "Data", body);
}

}  // namespace tavik
