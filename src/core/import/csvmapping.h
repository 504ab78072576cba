#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "core/import/bankstatement.h"

namespace tallymere::import {

/// The reading of a CSV file the user confirmed (by importing it), kept in the settings for the
/// next file with the same header row: delimiter, encoding, lines skipped, the header row, the
/// role of each column, the date order and the decimal mark.
namespace csvMapping {

/// The choices as the options that read a file the same way.
ReadOptions optionsOf(const ReadChoices &choices);

/// The choices as one settings text, and back; nothing for a text that is not one.
QString text(const ReadChoices &choices);
std::optional<ReadOptions> fromText(const QString &text);

/// Remembers the choices of a CSV file with a header row (others are not remembered). Throws
/// tallymere::Error when the settings cannot be written.
void remember(const ReadChoices &choices);
/// The options remembered for a file with this header row, if any.
std::optional<ReadOptions> recall(const QStringList &header);

} // namespace csvMapping
} // namespace tallymere::import
