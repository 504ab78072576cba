#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace tallymere::import {

/// The text of a statement file and the charset its bytes were decoded with.
struct DecodedText {
    QString text;     ///< without a byte order mark
    QString encoding; ///< "UTF-8", "UTF-16LE", "windows-1252", "ISO-8859-15", ...
};

/// The charset a file names for itself: an OFX 1.x header's CHARSET (or ENCODING UTF-8), an XML
/// declaration's encoding; empty when it names none.
QString declaredCharset(const QByteArray &bytes);

/// Decodes a statement file. `forced` (a charset name the user chose) decodes whatever the bytes
/// say. Otherwise: a byte order mark (UTF-8, UTF-16 LE/BE) decides; bytes that are valid UTF-8
/// beyond ASCII are UTF-8 whatever the file declares; a declared charset is believed when it
/// decodes the bytes; bytes 0x80-0x9F mean Windows-1252, not ISO-8859-1; else uchardet's guess
/// within the Western single-byte charsets. Nothing when `forced` names no known charset.
std::optional<DecodedText> decodeStatement(const QByteArray &bytes, const QString &forced = {});

} // namespace tallymere::import
