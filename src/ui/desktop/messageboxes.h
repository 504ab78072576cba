#pragma once

namespace tallymere {

/// Makes every message box of the program a real modal box of the window system.
void installMessageBoxes();

} // namespace tallymere
