#pragma once

#include <exception>
#include <utility>

#include <QString>

namespace tallymere {

/// The text of the common error report, to the character.
QString errorReportText(const QString &description, const QString &errorLocation, int line);

/// Shows the common "Application Error" box for a failure of `line` in the procedure whose
/// location text is `errorLocation`.
void showErrorReport(const QString &description, const QString &errorLocation, int line);

/// The description of a caught exception, as the error report shows it.
QString describeError(std::exception_ptr error);

/// The error handler of one procedure. Each numbered statement runs through it: a statement that
/// fails is reported with the procedure's location and the statement's line, and the procedure
/// goes on with its next statement. Nothing ever escapes into the event loop.
class ErrorHandler
{
public:
    explicit ErrorHandler(QString errorLocation) : m_location(std::move(errorLocation)) {}

    /// Runs a plain statement (or a call of a procedure without a handler of its own).
    template<class Statement>
    void step(int line, Statement &&statement) noexcept
    {
        try {
            std::forward<Statement>(statement)();
        } catch (...) {
            report(line, std::current_exception());
        }
    }

    /// Evaluates a condition. A condition that fails is reported and counts as held, so the
    /// statements it governs run.
    template<class Condition>
    bool test(int line, Condition &&condition) noexcept
    {
        try {
            return static_cast<bool>(std::forward<Condition>(condition)());
        } catch (...) {
            report(line, std::current_exception());
            return true;
        }
    }

    /// Reads a value such as a loop bound; a read that fails is reported and yields `fallback`.
    template<class T, class Read>
    T value(int line, Read &&read, T fallback) noexcept
    {
        try {
            return std::forward<Read>(read)();
        } catch (...) {
            report(line, std::current_exception());
            return fallback;
        }
    }

    const QString &location() const noexcept { return m_location; }
    /// How many statements have failed (and been reported) so far.
    int failures() const noexcept { return m_failures; }

private:
    void report(int line, std::exception_ptr error) noexcept;

    QString m_location;
    int m_failures = 0;
};

} // namespace tallymere
