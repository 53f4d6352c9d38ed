// A stand-in for the program that does nothing but save: it opens the data file the way the
// program starts (taking the copy of an interrupted save), says whether the list it found is
// one of the two it saves, then saves the two in turn until it is killed.
//   tavik_save_loop <data file>    prints "start: A", "start: B" or "start: LOST n", then "saving"
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/ansi.h"
#include "core/data_file.h"

namespace {

std::vector<tavik::Task> List(int count, const char16_t* text) {
  std::vector<tavik::Task> tasks;
  for (int i = 0; i < count; ++i)
    tasks.push_back({u"0" + tavik::Ascii(std::to_string(i)) + u":30", u"周135", text + tavik::Ascii(std::to_string(i))});
  return tasks;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  const std::vector<tavik::Task> a = List(5, u"任务 A "), b = List(4, u"任务 B ");
  tavik::DataFile file(argv[1]);
  const std::vector<tavik::Task> found = file.Open();
  if (found == a)
    std::printf("start: A\n");
  else if (found == b)
    std::printf("start: B\n");
  else
    std::printf("start: LOST %zu\n", found.size());
  std::printf("saving\n");
  std::fflush(stdout);
  for (unsigned i = 0;; ++i) file.Save(i % 2 ? a : b);
}
