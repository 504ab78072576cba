#include "core/platform/savedialog.h"

namespace tallymere::platform {
namespace {

SaveFileHandler &handler()
{
    static SaveFileHandler h;
    return h;
}

SaveFileHandler &presenter()
{
    static SaveFileHandler p;
    return p;
}

} // namespace

QString saveFileName(const QString &caption, const QString &suggestedPath, const QString &filter)
{
    if (handler())
        return handler()(caption, suggestedPath, filter);
    if (presenter())
        return presenter()(caption, suggestedPath, filter);
    return {};
}

void setSaveFileHandler(SaveFileHandler h)
{
    handler() = std::move(h);
}

void setSaveFilePresenter(SaveFileHandler p)
{
    presenter() = std::move(p);
}

} // namespace tallymere::platform
