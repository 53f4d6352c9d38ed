#include "core/ini_file.h"

#include <cctype>

namespace tavik {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
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

bool SameSectionName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

IniLines::IniLines(std::string_view file) : rest_(file) {
  if (rest_.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    bom_ = rest_.substr(0, kUtf8Bom.size());
    rest_.remove_prefix(kUtf8Bom.size());
  }
}

bool IniLines::Next() {
  if (rest_.empty()) return false;
  const size_t lf = rest_.find('\n');
  const size_t end = lf == std::string_view::npos ? rest_.size() : lf + 1;
  raw_ = rest_.substr(0, end);
  rest_.remove_prefix(end);
  text_ = raw_;
  if (!text_.empty() && text_.back() == '\n') {
    text_.remove_suffix(1);
    if (!text_.empty() && text_.back() == '\r') text_.remove_suffix(1);
  }
  const auto name = HeaderName(text_);
  header_ = name.has_value();
  if (header_) {
    section_ = *name;
    inSection_ = true;
  }
  return true;
}

std::string ReplaceSection(std::string_view file, std::string_view name,
                           std::optional<std::string_view> body) {
  if (!body && !HasSection(file, name)) return std::string(file);
  std::string out;
  out.reserve(file.size() + (body ? body->size() + name.size() + 4 : 0));
  IniLines lines(file);
  out.append(lines.bom());
  bool placed = false;
  while (lines.Next()) {
    if (!lines.InSection(name)) {
      out.append(lines.raw());
      continue;
    }
    if (lines.header() && body && !placed) {
      out.append("[").append(name).append("]\r\n").append(*body);
      placed = true;
    }
  }
  if (body && !placed) {
    if (out.size() > lines.bom().size() && out.back() != '\n') out.append("\r\n");
    out.append("[").append(name).append("]\r\n").append(*body);
  }
  return out;
}

bool IsListLine(std::string_view text) {
  if (!text.empty() && text.back() == ',') return true;
  const size_t equals = text.find('=');
  return equals != std::string_view::npos && SameSectionName(Trim(text.substr(0, equals)), "Data");
}

std::string WithDataValue(std::string_view file, std::string_view value) {
  std::string line(kDataKey);
  line.append(value).append("\r\n");
  std::string out;
  out.reserve(file.size() + line.size() + kDataSection.size() + 4);
  IniLines lines(file);
  out.append(lines.bom());
  size_t underHeader = std::string::npos;  // where the line goes when the first section has none
  bool lineOut = false, inFirst = false;
  std::string_view heldHeader;  // of a later "Data" section, until a line of the user's needs it
  while (lines.Next()) {
    if (!lines.InSection(kDataSection)) {
      if (inFirst && !lineOut) {
        out.insert(underHeader, line);
        lineOut = true;
      }
      inFirst = false;
      out.append(lines.raw());
      continue;
    }
    if (lines.header()) {
      if (underHeader == std::string::npos) {
        out.append("[").append(kDataSection).append("]\r\n");
        underHeader = out.size();
        inFirst = true;
      } else {
        if (inFirst && !lineOut) {
          out.insert(underHeader, line);
          lineOut = true;
        }
        inFirst = false;
        heldHeader = lines.raw();
      }
      continue;
    }
    if (IsListLine(lines.text())) {
      if (inFirst && !lineOut) {
        out.append(line);
        lineOut = true;
      }
      continue;
    }
    if (!heldHeader.empty()) {
      out.append(heldHeader);
      heldHeader = {};
    }
    out.append(lines.raw());
  }
  if (underHeader == std::string::npos) {
    if (out.size() > lines.bom().size() && out.back() != '\n') out.append("\r\n");
    out.append("[").append(kDataSection).append("]\r\n").append(line);
  } else if (!lineOut) {
    out.insert(underHeader, line);
  }
  return out;
}

bool HasSection(std::string_view file, std::string_view name) {
  IniLines lines(file);
  while (lines.Next())
    if (lines.header() && SameSectionName(lines.section(), name)) return true;
  return false;
}

}  // namespace tavik
