#pragma once

class QWidget;

namespace tallymere {

/// Twips (1/1440 inch) to pixels at the logical DPI of the screen that shows `widget`
/// (15 twips are one pixel at 96 DPI), rounded to the nearest pixel.
int twipsToPixels(int twips, const QWidget *widget);

} // namespace tallymere
