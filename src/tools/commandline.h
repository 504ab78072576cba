#pragma once

// What the small companion commands do alike at start-up: take their arguments and speak to
// the standard error.

#include <cstdio>
#include <optional>

#include <QFile>
#include <QString>
#include <QStringList>

namespace tallymere::tools {

/// Writes `line` and a line end to the standard error, in the local encoding.
inline void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stderr);
}

/// The arguments after the command's name, decoded as file names are, when there are exactly
/// `count` of them; otherwise says "usage: " followed by `usage` and gives nothing (the command
/// then exits with 1).
inline std::optional<QStringList> commandArguments(int argc, char *argv[], int count, const QString &usage)
{
    if (argc != count + 1) {
        say(QStringLiteral("usage: ") + usage);
        return std::nullopt;
    }
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(QFile::decodeName(argv[i]));
    return arguments;
}

} // namespace tallymere::tools
