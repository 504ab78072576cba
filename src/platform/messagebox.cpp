#include "platform/messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace tallymere::platform {
namespace {

MessageBoxHandler &handler()
{
    static MessageBoxHandler h;
    return h;
}

QString &title()
{
    static QString t = QStringLiteral("Tallymere");
    return t;
}

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
    box.setIcon((style & vbExclamation) == vbExclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    if ((style & 7) == vbYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? vbYes : vbNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return vbOK;
}

} // namespace

int msgBox(const QString &text, int style, const QString &caption)
{
    const QString shownCaption = caption.isEmpty() ? title() : caption;
    if (handler())
        return handler()(text, style, shownCaption);
    return showRealBox(text, style, shownCaption);
}

void setMessageBoxHandler(MessageBoxHandler h)
{
    handler() = std::move(h);
}

QString applicationTitle()
{
    return title();
}

void setApplicationTitle(const QString &t)
{
    title() = t;
}

} // namespace tallymere::platform
