// The Find window's export: the results, in the order shown, into a new workbook.

#include "ui/find/findentries.h"

#include <vector>

#include "core/export/listexport.h"
#include "ui/controls/sortedrows.h"

namespace tallymere {

void FindEntries::sendResultsToExcel()
{
    std::vector<int> shownRows(std::size_t(m_shown->rowCount()));
    for (std::size_t row = 0; row < shownRows.size(); ++row)
        shownRows[row] = m_shown->listRow(int(row));
    exportList(m_found, QStringLiteral("in Tallymere.FindEntries.sendResultsToExcel "), *this, shownRows,
               QStringLiteral("Find.xlsx"));
}

} // namespace tallymere
