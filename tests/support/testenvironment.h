#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tallymere::test {

/// One message box that the program showed.
struct ShownBox {
    QString text;
    int style = 0;
    QString caption;
};

/// A private program folder and settings store for one test, with the program's seams replaced:
/// message boxes and save dialogs are recorded (and answered from a script), the end of the
/// program is recorded.
/// Everything is restored when it goes out of scope.
class TestEnvironment
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

    /// The boxes shown so far, in order.
    const std::vector<ShownBox> &boxes() const { return m_boxes; }
    void clearBoxes() { m_boxes.clear(); }
    /// The answers of the next boxes, in order; a box with no scripted answer gets OK
    /// (or No, for a Yes/No box).
    void answerNext(int button) { m_answers.push_back(button); }
    /// How often the program was ended.
    int endCount() const { return m_ends; }

    /// The path each save dialog shown so far suggested, in order.
    const QStringList &saveDialogs() const { return m_saveDialogs; }
    /// The path the next save dialog is answered with; a dialog with no scripted answer is
    /// cancelled.
    void saveAsNext(const QString &path) { m_savePaths.push_back(path); }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_settingsDir;
    std::vector<ShownBox> m_boxes;
    std::vector<int> m_answers;
    QStringList m_saveDialogs;
    QStringList m_savePaths;
    int m_ends = 0;
};

} // namespace tallymere::test
