// The data file layer on its own, for the tests that set files up from outside the program
// (symbolic links, permissions):
//   tavik_data_file <data file> open       prints "tasks N"
//   tavik_data_file <data file> save N     saves N numbered tasks; prints "saved" or "failed N"
//                                          and the message's first two lines
//   tavik_data_file <data file> target     prints the file a save writes
//   tavik_data_file <data file> access     prints the file's access list as hex
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/ansi.h"
#include "core/data_file.h"
#include "core/file_io.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  tavik::DataFile file(argv[1]);
  const std::wstring command = argv[2];
  if (command == L"open") {
    std::printf("tasks %zu\n", file.Open().size());
  } else if (command == L"save" && argc == 4) {
    std::vector<tavik::Task> tasks;
    for (int i = 0; i < _wtoi(argv[3]); ++i)
      tasks.push_back({u"08:00", u"不循环", u"任务" + tavik::Ascii(std::to_string(i))});
    const tavik::DataFile::Failure failure = file.Save(tasks);
    if (failure == tavik::DataFile::Failure::None) {
      std::printf("saved\n");
    } else {
      const std::string message = tavik::ToAnsi(tavik::SaveFailureMessage(failure, file.path()));
      std::printf("failed %d\n%s\n", static_cast<int>(failure), message.c_str());
    }
  } else if (command == L"target") {
    std::printf("%s\n", tavik::ToAnsi(std::u16string(reinterpret_cast<const char16_t*>(
                                          tavik::LinkTarget(file.path()).c_str()))).c_str());
  } else if (command == L"access") {
    char descriptor[4096];
    DWORD needed = 0;
    if (!GetFileSecurityW(argv[1], DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor, &needed)) return 1;
    for (DWORD i = 0; i < GetSecurityDescriptorLength(descriptor); ++i)
      std::printf("%02X", static_cast<unsigned char>(descriptor[i]));
    std::printf("\n");
  } else {
    return 2;
  }
  return 0;
}
