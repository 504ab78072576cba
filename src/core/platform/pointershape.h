#pragma once

namespace tallymere {

/// Pointer shapes of a window (its MousePointer): the ordinary pointer, the hourglass, and the
/// window's own pointer image.
namespace PointerShape {
enum : int { Default = 0, Hourglass = 11, Custom = 99 };
} // namespace PointerShape

} // namespace tallymere
