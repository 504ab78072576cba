#include "ui/controls/skin.h"

#include <QFile>
#include <QWidget>

#include "core/errors/error.h"

namespace tallymere {

SkinFramework::SkinFramework(QObject *parent) : QObject(parent) {}

void SkinFramework::LoadSkin(const QString &path, const QString &iniFileName)
{
    Q_UNUSED(iniFileName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Error(QStringLiteral("Cannot load the skin %1: %2").arg(path, file.errorString()));
    m_styleSheet = QString::fromUtf8(file.readAll());
}

void SkinFramework::ApplyWindow(QWidget *window) const
{
    if (window && !m_styleSheet.isEmpty())
        window->setStyleSheet(m_styleSheet);
}

} // namespace tallymere
