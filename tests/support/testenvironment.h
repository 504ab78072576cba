#pragma once

#include <vector>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/platform/messagebox.h"

namespace tallymere::test {

/// One message box that the program showed.
struct ShownBox {
    QString text;
    int style = 0;
    QString caption;
};

/// The program's seams replaced for a test or a benchmark: message boxes and save dialogs are
/// recorded and answered from a script, the end of the program is recorded, the maker's page is
/// never opened. Everything is restored when it goes out of scope.
class QuietProgram
{
public:
    /// A box with no scripted answer gets OK, or `unscriptedQuestion` when it asks Yes or No.
    explicit QuietProgram(int unscriptedQuestion = platform::MessageResult::No);
    ~QuietProgram();
    QuietProgram(const QuietProgram &) = delete;
    QuietProgram &operator=(const QuietProgram &) = delete;

    /// The boxes shown so far, in order.
    const std::vector<ShownBox> &boxes() const { return m_boxes; }
    void clearBoxes() { m_boxes.clear(); }
    /// The answers of the next boxes, in order.
    void answerNext(int button) { m_answers.push_back(button); }
    /// How often the program was ended.
    int endCount() const { return m_ends; }

    /// The path each save dialog shown so far suggested, in order.
    const QStringList &saveDialogs() const { return m_saveDialogs; }
    /// The path the next save dialog is answered with; a dialog with no scripted answer is
    /// cancelled.
    void saveAsNext(const QString &path) { m_savePaths.push_back(path); }

private:
    std::vector<ShownBox> m_boxes;
    std::vector<int> m_answers;
    QStringList m_saveDialogs;
    QStringList m_savePaths;
    int m_ends = 0;
};

/// A private program folder and settings store for one test, with the program kept quiet.
/// Everything is restored when it goes out of scope.
class TestEnvironment : public QuietProgram
{
public:
    TestEnvironment();
    ~TestEnvironment();

    /// The program folder (a fresh temporary folder).
    QString folder() const;
    /// A path inside the program folder.
    QString path(const QString &relative) const;
    /// The folder that holds the per-user settings store.
    QString settingsFolder() const;

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_settingsDir;
};

} // namespace tallymere::test
