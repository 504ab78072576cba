#pragma once

#include <deque>
#include <vector>

#include <QStringList>

namespace tallymere::test {

/// Replaces the search for a spreadsheet program and its launch for one test: the search answers
/// from a script, the launch records the workbook it gets. Removes every workbook folder that
/// was opened, and restores the real search and launch, when it goes out of scope.
class ScriptedSpreadsheet
{
public:
    ScriptedSpreadsheet();
    ~ScriptedSpreadsheet();

    bool installed = true;
    std::deque<bool> answers; // the next answers of the search, before `installed`
    bool starts = true;       // whether a launch succeeds
    int probes = 0;
    QStringList opened;
    std::vector<bool> openedFileExisted; // whether each workbook was a file when it was opened
};

} // namespace tallymere::test
