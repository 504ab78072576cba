#include "support/testenvironment.h"

#include "windows/main.h"
#include "platform/messagebox.h"
#include "platform/program.h"
#include "settings/settings.h"

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
        return (style & 7) == platform::vbYesNo ? int(platform::vbNo) : int(platform::vbOK);
    });
    platform::setEndProgramHandler([this] { ++m_ends; });
    // The home page is never opened from a test.
    Main::setHomePageSeams([] { return 1; }, [](const QUrl &) {});
}

TestEnvironment::~TestEnvironment()
{
    platform::setMessageBoxHandler({});
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
