#include "ui/windows/modelesswindow.h"

namespace tallymere {

ModelessWindow::ModelessWindow(QWidget *parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

} // namespace tallymere
