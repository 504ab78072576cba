#pragma once

#include <QString>
#include <QStringView>

namespace tallymere::import {

/// A payee or memo as the import keeps it: trimmed, and every inner run of blanks (spaces, tabs,
/// line breaks, no-break spaces) made one space.
QString cleanText(QStringView text);

/// Resolves the character references ("&#228;", "&#xE4;") and the five predefined entities
/// ("&amp;" ...) of SGML text such as OFX 1.x writes; anything else after "&" stays as written.
QString resolveEntities(QStringView text);

} // namespace tallymere::import
