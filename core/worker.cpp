#include "core/worker.h"

#include "core/scoped.h"

#include <memory>

namespace tavik {
namespace {

DWORD WINAPI RunWork(void* param) {
  const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(param));
  (*work)();
  return 0;
}

}  // namespace

ScopedHandle StartWorker(std::function<void()> work) {
  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  ScopedHandle thread(CreateThread(nullptr, 0, &RunWork, owned.get(), 0, nullptr));
  if (thread) owned.release();  // the thread's now
  return thread;
}

}  // namespace tavik
