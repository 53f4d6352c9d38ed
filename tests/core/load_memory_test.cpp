// What the start-up load of a large data file costs at its peak, counted allocation by
// allocation through the address sanitizer's hooks (the native build always has it).
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>

#include "core/ansi.h"
#include "core/codec.h"
#include "core/data_file_text.h"
#include "core/task_data.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                        void (*)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void*);
#endif

namespace tavik {
namespace {

std::atomic<long long> live{0}, peak{0};

#if defined(__SANITIZE_ADDRESS__)
void Allocated(const volatile void*, size_t size) {
  const long long now = live += static_cast<long long>(size);
  for (long long p = peak; now > p && !peak.compare_exchange_weak(p, now);) {
  }
}
void Freed(const volatile void* p) { live -= static_cast<long long>(__sanitizer_get_allocated_size(p)); }

// A data file of one record whose text is `chars` ASCII letters, as the save writes it.
std::string LargeFile(size_t chars) {
  std::string file = "[Other]\r\nk=1\r\n[Data]\r\nData=";
  file += ToAnsi(Base64(1, u"08:00;不循环;" + std::u16string(chars, u'a')));
  file += ",\r\n";
  return file;
}
#endif

TEST(LoadMemory, ALargeFileCostsASmallMultipleOfItsSize) {
#if !defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "needs the address sanitizer's allocation hooks";
#else
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(Allocated, Freed) != 0;
  ASSERT_TRUE(installed);
  struct Case {
    const char* name;
    bool utf16;
  } cases[] = {{"ANSI", false}, {"UTF-16", true}};
  for (const auto& c : cases) {
    std::string file = LargeFile(6u << 20);
    if (c.utf16) file = EncodeFileText(FileEncoding::Utf16Le, file, "");
    file.shrink_to_fit();  // as the file is read: its size, no more
    const double size = static_cast<double>(file.size());
    const long long before = live - static_cast<long long>(file.capacity());
    peak = live.load();
    // As the start reads it: the file's bytes are handed over, and gone when the tasks stand.
    std::vector<Task> tasks;
    {
      const FileText text = DecodeFileText(std::move(file));
      tasks = ReadTasks(text.text);
    }
    ASSERT_EQ(tasks.size(), 1u) << c.name;
    EXPECT_EQ(tasks[0].info.size(), 6u << 20) << c.name;
    const double cost = static_cast<double>(peak - before) / size;
    std::printf("%s: %.1f MB file, peak %.2f times its size\n", c.name, size / 1e6, cost);
    EXPECT_LT(cost, 3.5) << c.name;
  }
#endif
}

}  // namespace
}  // namespace tavik
