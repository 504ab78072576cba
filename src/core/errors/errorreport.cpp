#include "core/errors/errorreport.h"

#include <new>

#include "config.h"
#include "core/errors/error.h"
#include "core/platform/messagebox.h"

namespace tallymere {

QString errorReportText(const QString &description, const QString &errorLocation, int line)
{
    return description + QLatin1String("\r\n") + errorLocation + QLatin1String("at line ")
        + QString::number(line) + QLatin1String("\r\r")
        + QLatin1String("Please email screenshot of this message to ")
        + QLatin1String(TALLYMERE_SUPPORT_EMAIL);
}

void showErrorReport(const QString &description, const QString &errorLocation, int line)
{
    platform::msgBox(errorReportText(description, errorLocation, line), platform::MessageStyle::Exclamation,
                     QStringLiteral("Application Error"));
}

QString describeError(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Error &e) {
        return e.description();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void ErrorHandler::report(int line, std::exception_ptr error) noexcept
{
    ++m_failures;
    try {
        showErrorReport(describeError(error), m_location, line);
    } catch (...) {
        // The report itself could not be shown (no memory left); the procedure still goes on.
    }
}

} // namespace tallymere
