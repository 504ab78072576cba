#include "core/import/readerror.h"

#include <utility>

#include <QXmlStreamReader>

namespace tallymere::import {
namespace {

QString composed(const QString &file, int line, const QString &what)
{
    if (line > 0)
        return QStringLiteral("%1, line %2: %3").arg(file).arg(line).arg(what);
    return QStringLiteral("%1: %2").arg(file, what);
}

} // namespace

ReadError::ReadError(QString file, int line, QString what)
    : std::runtime_error(composed(file, line, what).toStdString()), m_file(std::move(file)), m_line(line),
      m_what(std::move(what))
{
}

ReadError ReadError::notWellFormed(const QString &file, QStringView format, const QXmlStreamReader &xml)
{
    return ReadError(file, int(xml.lineNumber()),
                     QStringLiteral("the %1 file is no well-formed XML: %2").arg(format, xml.errorString()));
}

QString ReadError::message() const
{
    return composed(m_file, m_line, m_what);
}

} // namespace tallymere::import
