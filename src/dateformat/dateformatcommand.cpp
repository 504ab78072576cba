#include "app/form1.h"

#include "dateformat/form3.h"
#include "entries/form2.h"
#include "entries/forms.h"
#include "errors/errorreport.h"

namespace tallymere {

void Form1::PushButton10_Click()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.PushButton10_Click "));
    on.step(100, [&] {
        // The dialog is loaded only when none is open; an open one just comes to the front.
        const bool fresh = openForm3() == nullptr;
        Form3 &dialog = form3(this);
        if (fresh) {
            connect(&dialog, &Form3::dateOrderChanged, this, [](bool fromDayFirst, bool toDayFirst) {
                if (Form2 *editor = openForm2())
                    editor->rewriteDateOrder(fromDayFirst, toDayFirst);
            });
        }
        dialog.show();
        dialog.raise();
        dialog.activateWindow();
    });
}

} // namespace tallymere
