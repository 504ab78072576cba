#pragma once

namespace tallymere {

/// Makes every save dialog of the program a real modal file dialog of the window system.
void installSaveDialog();

} // namespace tallymere
