// libFuzzer: any bytes as the data file; the load and the save must agree (see
// tests/core/load_save_property.h). Built and run by tests/fuzz/run.sh.
#include <cstdio>
#include <cstdlib>

#include "tests/core/load_save_property.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  const std::string why = tavik::test::LoadSaveBreaks(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!why.empty()) {
    std::fprintf(stderr, "%s\n", why.c_str());
    std::abort();
  }
  return 0;
}
