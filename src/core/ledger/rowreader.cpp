#include "core/ledger/rowreader.h"

namespace tallymere {
namespace {

const std::array<QString, 5> kIncomeColumns{QStringLiteral("sr_no"), QStringLiteral("date"),
    QStringLiteral("source"), QStringLiteral("amount"), QStringLiteral("particulars")};
const std::array<QString, 5> kExpenseColumns{QStringLiteral("sr_no"), QStringLiteral("date"),
    QStringLiteral("category"), QStringLiteral("amount"), QStringLiteral("particulars")};

} // namespace

const std::array<QString, 5> &fillColumnsOf(bool income)
{
    return income ? kIncomeColumns : kExpenseColumns;
}

} // namespace tallymere
