// Placeholder until the statement readers are merged: the error type, and a reading that says
// it cannot read yet. The readers' own bankstatement.cpp replaces this file.

#include "core/import/bankstatement.h"

namespace tallymere::import {

ReadError::ReadError(QString file, int line, QString what)
    : std::runtime_error(what.toStdString()), m_file(std::move(file)), m_line(line), m_what(std::move(what))
{
}

QString ReadError::message() const
{
    return m_line > 0 ? QStringLiteral("%1, line %2: %3").arg(m_file).arg(m_line).arg(m_what)
                      : QStringLiteral("%1: %2").arg(m_file, m_what);
}

BankStatement readStatement(const QByteArray &, const QString &fileName, const ReadOptions &)
{
    throw ReadError(fileName, 0, QStringLiteral("statement files cannot be read by this build"));
}

} // namespace tallymere::import
