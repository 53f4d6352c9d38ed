#include "core/app_paths.h"

namespace tavik {

std::u16string FolderOf(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"\\/");
  if (slash == std::u16string_view::npos) return {};
  return std::u16string(path.substr(0, slash));
}

std::u16string ProgramStem(std::u16string_view fileName) {
  const size_t slash = fileName.find_last_of(u"\\/");
  if (slash != std::u16string_view::npos) fileName.remove_prefix(slash + 1);
  return std::u16string(fileName.substr(0, fileName.rfind(u'.')));
}

std::u16string CfgPathFor(std::u16string_view exePath) {
  return FolderOf(exePath) + u'\\' + ProgramStem(exePath) + u".cfg";
}

}  // namespace tavik
