#include "ui/app/form1.h"

#include "core/errors/errorreport.h"

namespace tallymere {

void Form1::PushButton10_Click()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.PushButton10_Click "));
    on.step(100, [&] {
        // The dialog is loaded only when none is open; an open one just comes to the front.
        Form3 &dialog = form3();
        dialog.show();
        dialog.raise();
        dialog.activateWindow();
    });
}

} // namespace tallymere
