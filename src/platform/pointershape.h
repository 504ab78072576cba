#pragma once

namespace tallymere {

/// Pointer shapes of a window (its MousePointer): the ordinary pointer, the hourglass, and the
/// window's own pointer image.
inline constexpr int vbDefault = 0;
inline constexpr int vbHourglass = 11;
inline constexpr int vbCustom = 99;

} // namespace tallymere
