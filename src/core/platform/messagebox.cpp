#include "core/platform/messagebox.h"

#include <cstdio>

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

MessageBoxHandler &presenter()
{
    static MessageBoxHandler p;
    return p;
}

} // namespace

int msgBox(const QString &text, int style, const QString &caption)
{
    const QString shownCaption = caption.isEmpty() ? title() : caption;
    if (handler())
        return handler()(text, style, shownCaption);
    if (presenter())
        return presenter()(text, style, shownCaption);
    // No window system to ask (a command-line tool): the safe answer, and the text on stderr.
    std::fprintf(stderr, "%s: %s\n", qPrintable(shownCaption), qPrintable(text));
    return (style & 7) == MessageStyle::YesNo ? MessageResult::No : MessageResult::Ok;
}

void setMessageBoxHandler(MessageBoxHandler h)
{
    handler() = std::move(h);
}

void setMessageBoxPresenter(MessageBoxHandler p)
{
    presenter() = std::move(p);
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
