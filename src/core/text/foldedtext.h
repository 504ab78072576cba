#pragma once

#include <string>
#include <string_view>

#include <QStringView>

namespace tallymere {

/// Text as Find Entries and the editor's suggestions compare it: letter case and accents do not
/// count ("Café" and "CAFE" both read "cafe"). Compatibility forms are read as what they stand
/// for (a ligature "ﬁ" as "fi"), and control characters (tabs, line breaks) as blanks, so a
/// folded text never holds a byte below 0x20: those are free to mark where a text ends.
namespace foldedText {

/// Appends the folded form of UTF-8 `text` to `out`, as UTF-8.
void append(std::string_view utf8, std::string &out);
/// The folded form of UTF-8 `text`.
std::string of(std::string_view utf8);
/// The folded form of `text`, as UTF-8.
std::string of(QStringView text);

} // namespace foldedText
} // namespace tallymere
