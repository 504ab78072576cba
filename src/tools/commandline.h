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
/// `count` of them and none looks like an option; otherwise says "usage: " followed by `usage`
/// and gives nothing (the command then exits with 1).
inline std::optional<QStringList> commandArguments(int argc, char *argv[], int count, const QString &usage)
{
    // "--help" or "-o" is no file name: a file of that name is reached as "./--help".
    const auto looksLikeOption = [&](int i) { return argv[i][0] == '-'; };
    bool usable = argc == count + 1;
    for (int i = 1; usable && i < argc; ++i)
        usable = !looksLikeOption(i);
    if (!usable) {
        say(QStringLiteral("usage: ") + usage);
        return std::nullopt;
    }
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(QFile::decodeName(argv[i]));
    return arguments;
}

} // namespace tallymere::tools
