#pragma once

#include <QString>

namespace tallymere::settings {

/// Where every setting of the program lives: application "Marlowick", section "Tallymere".
inline constexpr const char *kAppName = "Marlowick";
inline constexpr const char *kSection = "Tallymere";
inline constexpr const char *kEuropeanDate = "EuropeanDate";

/// Reads a setting of the per-user store; a key that is not there reads as the empty text.
/// Throws tallymere::Error when the store cannot be read.
QString GetSetting(const QString &appName, const QString &section, const QString &key);

/// Creates or replaces a setting; throws tallymere::Error when the store cannot be written.
void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value);

/// True when EuropeanDate reads exactly "True" (day-first dates); read afresh on every call.
bool europeanDate();

/// Puts the per-user store below `folder` instead of the user's configuration folder (tests).
void setStoreFolder(const QString &folder);

/// The file that holds the settings of `appName`.
QString storeFile(const QString &appName);

} // namespace tallymere::settings
