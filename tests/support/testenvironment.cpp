#include "support/testenvironment.h"

#include "ui/windows/mainmodule.h"
#include "core/platform/messagebox.h"
#include "core/platform/program.h"
#include "core/platform/savedialog.h"
#include "core/settings/settings.h"

namespace tallymere::test {

TestEnvironment::TestEnvironment()
{
    platform::setProgramFolder(m_dir.path());
    settings::setStoreFolder(m_settingsDir.path());
    platform::setMessageBoxHandler([this](const QString &text, int style, const QString &caption) {
        m_boxes.push_back({text, style, caption});
        if (!m_answers.empty()) {
            const int answer = m_answers.front();
            m_answers.erase(m_answers.begin());
            return answer;
        }
        return (style & 7) == platform::MessageStyle::YesNo ? int(platform::MessageResult::No) : int(platform::MessageResult::Ok);
    });
    platform::setSaveFileHandler([this](const QString &, const QString &suggestedPath, const QString &) {
        m_saveDialogs.append(suggestedPath);
        return m_savePaths.isEmpty() ? QString() : m_savePaths.takeFirst();
    });
    platform::setEndProgramHandler([this] { ++m_ends; });
    // The home page is never opened from a test.
    Main::setHomePageSeams([] { return 1; }, [](const QUrl &) {});
}

TestEnvironment::~TestEnvironment()
{
    platform::setMessageBoxHandler({});
    platform::setSaveFileHandler({});
    platform::setEndProgramHandler([] {});
    Main::setHomePageSeams({}, {});
    platform::setProgramFolder(QString());
}

QString TestEnvironment::folder() const
{
    return m_dir.path();
}

QString TestEnvironment::path(const QString &relative) const
{
    return m_dir.path() + QLatin1Char('/') + relative;
}

QString TestEnvironment::settingsFolder() const
{
    return m_settingsDir.path();
}

} // namespace tallymere::test
