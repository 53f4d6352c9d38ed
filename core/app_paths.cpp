#include "core/app_paths.h"

namespace tavik {

std::u16string FolderOf(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"\\/");
  if (slash == std::u16string_view::npos) return {};
  return std::u16string(path.substr(0, slash));
}

std::u16string CfgPathFor(std::u16string_view exePath) {
  const size_t slash = exePath.find_last_of(u"\\/");
  std::u16string_view name = slash == std::u16string_view::npos ? exePath : exePath.substr(slash + 1);
  const size_t dot = name.rfind(u'.');
  if (dot != std::u16string_view::npos && dot > 0) name = name.substr(0, dot);
  std::u16string path = FolderOf(exePath);
  path += u'\\';
  path += name;
  path += u".cfg";
  return path;
}

}  // namespace tavik
