#pragma once

#include <QIcon>

namespace tallymere {

/// The icon the window layouts carry: 32 x 32 and transparent everywhere, so a title bar shows
/// no picture.
QIcon layoutIcon();

/// The program's icon, a ledger book, in the icon theme's sizes from 16 to 256 pixels.
QIcon programIcon();

} // namespace tallymere
