// The mouse button codes that controls report in their events; a move carries the sum of
// those held.
#pragma once

namespace tavik {

inline constexpr short kLeftButton = 1;
inline constexpr short kRightButton = 2;
inline constexpr short kMiddleButton = 4;

}  // namespace tavik
