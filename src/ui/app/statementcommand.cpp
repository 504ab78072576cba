// The main window's way into the statement import.

#include "ui/app/form1.h"

#include <QFile>
#include <QFileInfo>

#include "core/errors/errorreport.h"
#include "core/platform/messagebox.h"
#include "ui/import/statementfile.h"

namespace tallymere {

void Form1::importStatement()
{
    ErrorHandler on(QStringLiteral("in Tallymere.Form1.importStatement "));
    QString path;
    on.step(100, [&] { path = chooseStatementFile(this); });
    if (path.isEmpty())
        return;

    // A file that cannot be read, or is no statement, is said so at once; no window opens.
    QByteArray bytes;
    std::optional<ImportWindow::Reading> reading;
    on.step(102, [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            platform::msgBox(QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()),
                             platform::MessageStyle::OkOnly | platform::MessageStyle::Exclamation);
            return;
        }
        bytes = file.readAll();
        try {
            reading = ImportWindow::firstReading(bytes, QFileInfo(path).fileName());
        } catch (const import::ReadError &error) {
            platform::msgBox(error.message(), platform::MessageStyle::OkOnly | platform::MessageStyle::Exclamation);
        }
    });
    if (!reading)
        return;

    on.step(104, [&] {
        if (ImportWindow *open = m_import.open())
            open->close();
        ImportWindow &window = m_import.get(
            [&] { return new ImportWindow(m_ledger, path, std::move(bytes), std::move(*reading), this); });
        window.show();
        window.raise();
        window.activateWindow();
    });
}

} // namespace tallymere
