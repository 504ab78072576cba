#include "support/scriptedspreadsheet.h"

#include <QDir>
#include <QFileInfo>

#include "core/export/spreadsheetapplication.h"

namespace tallymere::test {

ScriptedSpreadsheet::ScriptedSpreadsheet()
{
    setSpreadsheetProbe([this] {
        ++probes;
        if (answers.empty())
            return installed;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    });
    setSpreadsheetLauncher([this](const QString &path) {
        opened.append(path);
        openedFileExisted.push_back(QFileInfo(path).isFile());
        return starts;
    });
}

ScriptedSpreadsheet::~ScriptedSpreadsheet()
{
    setSpreadsheetProbe({});
    setSpreadsheetLauncher({});
    for (const QString &path : opened) {
        QDir folder = QFileInfo(path).absoluteDir();
        if (folder.dirName().startsWith(QLatin1String("tallymere-")))
            folder.removeRecursively();
    }
}

} // namespace tallymere::test
