#include "ui/desktop/messageboxes.h"

#include <QApplication>
#include <QMessageBox>

#include "core/platform/messagebox.h"

namespace tallymere {
namespace {

int showRealBox(const QString &text, int style, const QString &caption)
{
    // The program's texts use CR LF and bare CR as line breaks; Qt breaks lines at LF only.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    box.setIcon((style & platform::MessageStyle::Exclamation) == platform::MessageStyle::Exclamation ? QMessageBox::Warning
                                                                               : QMessageBox::NoIcon);
    if ((style & 7) == platform::MessageStyle::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? platform::MessageResult::Yes : platform::MessageResult::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return platform::MessageResult::Ok;
}

} // namespace

void installMessageBoxes()
{
    platform::setMessageBoxPresenter(showRealBox);
}

} // namespace tallymere
