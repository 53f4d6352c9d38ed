#pragma once

namespace tavik {

// Waits at least `ms` milliseconds (a 16-bit count; the tick difference is taken modulo 2^32)
// while running every pending window event; the events run at least once, also for 0 or a
// negative count. Any handler can therefore run in the middle of the caller's work.
void Delay(short ms);

}  // namespace tavik
