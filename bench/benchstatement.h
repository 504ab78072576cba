#pragma once

#include <QByteArray>
#include <QString>

namespace tallymere::bench {

/// A German bank's CSV export of `rows` transactions, made once under the temporary folder and
/// reused: a preamble, ";" between fields, day-first dates, decimal commas and a euro sign, a
/// balance column, about two hundred payees. Returns its path.
QString statementFile(int rows);

/// The whole content of a file; throws when it cannot be read.
QByteArray contentOf(const QString &path);

} // namespace tallymere::bench
