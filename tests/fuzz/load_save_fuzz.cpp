// libFuzzer: any bytes as the data file, and as the content and the leftover of a save's
// temporary copy; the load and the save must agree, and the recovery must take no copy but a
// whole one (see tests/core/load_save_property.h). Built and run by tests/fuzz/run.sh.
#include <cstdio>
#include <cstdlib>

#include "tests/core/load_save_property.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const std::string& why : {tavik::test::LoadSaveBreaks(bytes), tavik::test::RecoveryBreaks(bytes)}) {
    if (!why.empty()) {
      std::fprintf(stderr, "%s\n", why.c_str());
      std::abort();
    }
  }
  return 0;
}
