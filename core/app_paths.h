#pragma once

#include <string>
#include <string_view>

namespace tavik {

// The data file beside the program: its folder, one backslash, its name without the
// extension, ".cfg". A renamed program keeps its own data file.
std::u16string CfgPathFor(std::u16string_view exePath);

// A file's name without its folder and without its extension ("Tavik" for
// "C:\\v1.2\\Tavik.exe"; a dot in the folder is no extension).
std::u16string ProgramStem(std::u16string_view fileName);

// The folder of a path, without a trailing backslash ("D:" for a program at a drive root).
std::u16string FolderOf(std::u16string_view path);

}  // namespace tavik
