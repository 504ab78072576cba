#include "core/settings/settings.h"

#include <QSettings>

#include "core/errors/error.h"

namespace tallymere::settings {

QString GetSetting(const QString &appName, const QString &section, const QString &key)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, appName);
    if (store.status() != QSettings::NoError)
        throw Error(QStringLiteral("The settings could not be read from %1.").arg(store.fileName()));
    return store.value(section + QLatin1Char('/') + key).toString();
}

void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, appName);
    store.setValue(section + QLatin1Char('/') + key, value);
    store.sync();
    if (store.status() != QSettings::NoError)
        throw Error(QStringLiteral("The settings could not be written to %1.").arg(store.fileName()));
}

bool europeanDate()
{
    return GetSetting(QLatin1String(kAppName), QLatin1String(kSection), QLatin1String(kEuropeanDate))
        == QLatin1String("True");
}

void setStoreFolder(const QString &folder)
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

QString storeFile(const QString &appName)
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, appName).fileName();
}

} // namespace tallymere::settings
