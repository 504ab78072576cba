#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace tallymere {

/// The skin engine of the main window, an invisible control. A skin file is a Qt style sheet;
/// a window takes the loaded skin when it is applied to it. Members are listed in the order the
/// program drives them, with the number under which the program knows each.
class SkinFramework : public QObject
{
    Q_OBJECT

public:
    explicit SkinFramework(QObject *parent = nullptr);

    /// Operation 2: loads the skin file at `path`. The second argument would name a further
    /// settings file of the skin; a style sheet is complete in itself, so it is not used.
    /// Throws tallymere::Error when the file cannot be read.
    void LoadSkin(const QString &path, const QString &iniFileName);

    /// Property 1: option flags. A style sheet sets colours, fonts and metrics alike, so the
    /// flags are only kept.
    int Options() const noexcept { return m_options; }
    void setOptions(int flags) noexcept { m_options = flags; }

    /// Properties 5 and 10: two switches the program turns on before it skins its window. They
    /// are kept and change nothing about how a style sheet applies.
    bool Property5() const noexcept { return m_property5; }
    void setProperty5(bool on) noexcept { m_property5 = on; }
    bool Property10() const noexcept { return m_property10; }
    void setProperty10(bool on) noexcept { m_property10 = on; }

    /// Operation 3: gives `window` and everything in it the loaded skin. Without a loaded skin
    /// the window is left as it is.
    void ApplyWindow(QWidget *window) const;

    /// The style sheet loaded last; empty before the first load.
    const QString &styleSheet() const noexcept { return m_styleSheet; }

private:
    QString m_styleSheet;
    int m_options = 0;
    bool m_property5 = false;
    bool m_property10 = false;
};

} // namespace tallymere
