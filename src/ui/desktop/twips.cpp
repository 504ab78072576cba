#include "ui/desktop/twips.h"

#include <cmath>

#include <QWidget>

namespace tallymere {

int twipsToPixels(int twips, const QWidget *widget)
{
    const double dpi = widget ? widget->logicalDpiX() : 96.0;
    return int(std::lround(twips * dpi / 1440.0));
}

} // namespace tallymere
