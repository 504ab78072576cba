#pragma once

#include <stdexcept>

#include <QString>

class QXmlStreamReader;

namespace tallymere::import {

/// A file that is no statement, or one the reading cannot go on with: the file, the 1-based line
/// (0 for the file as a whole) and what is wrong, in words for the user.
class ReadError : public std::runtime_error
{
public:
    ReadError(QString file, int line, QString what);
    /// The error of an XML statement file (`format` names its kind, "OFX") that `xml` found not
    /// well-formed, at the line where it stopped.
    static ReadError notWellFormed(const QString &file, QStringView format, const QXmlStreamReader &xml);
    const QString &file() const noexcept { return m_file; }
    int line() const noexcept { return m_line; }
    const QString &what_() const noexcept { return m_what; }
    /// "statement.csv, line 12: the amount "12,3,4" is no number".
    QString message() const;

private:
    QString m_file;
    int m_line;
    QString m_what;
};

} // namespace tallymere::import
