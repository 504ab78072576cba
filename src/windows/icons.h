#pragma once

#include <QIcon>

namespace tallymere {

/// The icon the window layouts carry: 32 x 32 and transparent everywhere, so a title bar shows
/// no picture.
QIcon layoutIcon();

/// The program's icon, a ledger book, in 32, 48, 128 and 256 pixel sizes.
QIcon programIcon();

} // namespace tallymere
