// A worker thread that runs one piece of work and ends; the window thread never waits on it
// unless it asks to (through the handle).
#pragma once

#include <functional>

#include "core/scoped.h"

namespace tavik {

// Starts `work` on a thread of its own, which owns it (and whatever it holds) until it ends.
// The handle is empty, and the work never runs, when no thread could be started.
ScopedHandle StartWorker(std::function<void()> work);

}  // namespace tavik
