// An invisible message-only window: a place for timers and for messages posted back by
// worker threads, owned by an object that is not a window itself.
#pragma once

#include <functional>

#include "core/window.h"

namespace tavik {

class MessageWindow : public Window {
 public:
  MessageWindow();
  ~MessageWindow() override { Destroy(); }
  // Runs on the window thread; the handler may destroy this window's owner.
  std::function<void(UINT msg, WPARAM wp, LPARAM lp)> onMessage;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept override;
};

}  // namespace tavik
