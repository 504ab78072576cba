#include "core/export/spreadsheetapplication.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include <xlsxwriter.h>

#include "core/errors/error.h"
#include "core/export/spreadsheetlaunch.h"
#include "core/text/codepoint.h"
#include "core/text/numerictext.h"

namespace tallymere {
namespace {

const QString kLibreOffice = QStringLiteral("soffice");
// Each workbook's private folder under the temporary folder: this prefix and six letters or
// digits, as QTemporaryDir makes them.
const QString kWorkbookFolderPrefix = QStringLiteral("tallymere-");
constexpr qsizetype kWorkbookFolderRandomLength = 6;
// The first line of the marker file, for whoever finds it.
constexpr char kMarkerHeading[] = "Tallymere wrote this folder for the spreadsheet program: its workbooks as written.";
constexpr qint64 kOldWorkbookSeconds = 24 * 60 * 60;
const QString kXlsxMimeType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

// Dates are shown as the lists show them, so the sheet reads the same as the window.
constexpr const char *kDateFormat = "yyyy-mm-dd";
constexpr int kDateWidth = 10;
// The widest column a sheet allows, in character widths.
constexpr double kMaxColumnWidth = 255;

bool realProbe()
{
    if (!QStandardPaths::findExecutable(kLibreOffice).isEmpty())
        return true;
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), kXlsxMimeType});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished();
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0
        && !query.readAllStandardOutput().trimmed().isEmpty();
}

bool realLauncher(const QString &workbookPath)
{
    // "-n" opens the file as a template: the user gets a new, untitled document from it, as a
    // spreadsheet program gives a workbook that has never been saved.
    const QString soffice = QStandardPaths::findExecutable(kLibreOffice);
    if (!soffice.isEmpty())
        return startWatchedSpreadsheet(soffice, {QStringLiteral("--calc"), QStringLiteral("-n"), workbookPath},
                                       workbookPath);
    // The desktop's default program for the file, as its file manager would open it.
    return startWatchedSpreadsheet(QStringLiteral("xdg-open"), {workbookPath}, workbookPath);
}

struct Seams {
    SpreadsheetLauncher launcher;
    SpreadsheetProbe probe;
};

Seams &seams()
{
    static Seams s;
    return s;
}

void check(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw Error(QString::fromUtf8(lxw_strerror(error)));
}

/// The failure to save a workbook as the file the user chose: it says so and names the file.
Error workbookNotSaved(const QString &path, const QString &reason)
{
    return Error(QStringLiteral("The workbook could not be saved as:\r\n%1\r\n%2").arg(QDir::toNativeSeparators(path), reason));
}

/// A file's size and modification time (in nanoseconds), as one text; empty when it is no file.
QString fileStamp(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    return QStringLiteral("%1\t%2").arg(qint64(info.st_size)).arg(qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec);
}

// The start of a later run removes a workbook folder only when this marker says the export made
// it, and only with workbooks still as the export wrote them: a workbook that the spreadsheet
// program opened in place and the user saved is the user's. The marker is written as soon as the
// folder exists, so a folder whose export was cut short is known as well. When it cannot be
// written the folder is simply never removed.
void writeMarker(const QString &folder, const QString &workbook = {})
{
    QSaveFile marker(QDir(folder).filePath(QLatin1String(kWorkbookFolderMarker)));
    if (!marker.open(QIODevice::WriteOnly))
        return;
    QByteArray text = QByteArray(kMarkerHeading) + '\n';
    if (!workbook.isEmpty())
        text += (QFileInfo(workbook).fileName() + u'\t' + fileStamp(workbook) + u'\n').toUtf8();
    marker.write(text);
    marker.commit();
}

/// The workbooks that the marker in `folder` lists, with their stamps as written; nothing when
/// there is no marker of the export's own.
std::optional<QHash<QString, QString>> markedWorkbooks(const QString &folder)
{
    const QString path = QDir(folder).filePath(QLatin1String(kWorkbookFolderMarker));
    QFile marker(path);
    if (QFileInfo(path).isSymLink() || !marker.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = marker.readAll().split('\n');
    if (lines.size() < 2 || lines.front() != kMarkerHeading || !lines.back().isEmpty())
        return std::nullopt;
    QHash<QString, QString> workbooks;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]);
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0)
            return std::nullopt;
        workbooks.insert(line.left(tab), line.mid(tab + 1));
    }
    return workbooks;
}

Error closedWorkbookError()
{
    return Error(QStringLiteral("The workbook has been handed to the spreadsheet program and can no longer be changed."));
}

// Text "yyyy-mm-dd" naming a real date that a sheet can hold (sheet dates begin in 1900).
bool isoDate(QStringView text, lxw_datetime &date)
{
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-')
        return false;
    const auto number = [text](qsizetype from, qsizetype count) {
        int value = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    if (year < 1900 || month < 0 || day < 0 || !QDate::isValid(year, month, day))
        return false;
    date = {year, month, day, 0, 0, 0.0};
    return true;
}

// East Asian wide characters and emoji take about two character widths.
bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
        || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// Marks that combine with the character before them, and format characters, take no room.
bool takesNoRoom(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return true;
    default:
        return false;
    }
}

// The width of text in character widths, the unit of column widths; of several lines the
// longest counts.
int shownWidth(QStringView text)
{
    int widest = 0;
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x300) {
            if (unit == u'\n' || unit == u'\r') {
                widest = std::max(widest, width);
                width = 0;
            } else {
                ++width;
            }
            continue;
        }
        const char32_t c = codePointAt(text, i);
        if (!takesNoRoom(c))
            width += isWide(c) ? 2 : 1;
    }
    return std::max(widest, width);
}

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A workbook reads "_xHHHH_" in a text as one escaped character. The library escapes control
// characters that way, but leaves such a sequence alone when it is part of the text itself, so
// its underscore is escaped here ("_x005F_") and the text arrives as it stands.
QString keepEscapeLookalikes(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString kept;
    kept.reserve(text.size() + 6);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && isHex(text[i + 2])
            && isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5]) && text[i + 6] == u'_')
            kept += QLatin1String("_x005F");
        kept += text[i];
    }
    return kept;
}

/// `text` as a cell can hold it: at most SpreadsheetWorksheet::kMaxCellText characters (UTF-16
/// units, as spreadsheet programs count them, and never half of a pair), in the form the library
/// is given. The library counts an escaped lookalike as the characters it is written with, so a
/// text with many of them keeps a little less.
QByteArray cellUtf8(const QString &text, bool &cut)
{
    constexpr qsizetype limit = SpreadsheetWorksheet::kMaxCellText;
    cut = text.size() > limit;
    if (!cut)
        return keepEscapeLookalikes(text).toUtf8();
    QString kept = text.left(limit);
    for (;;) {
        if (kept.back().isHighSurrogate())
            kept.chop(1);
        const QString stored = keepEscapeLookalikes(kept);
        if (stored.size() <= limit)
            return stored.toUtf8();
        kept.chop(stored.size() - limit);
    }
}

struct CellAddress {
    lxw_row_t row;
    lxw_col_t column;
};

CellAddress address(int row, int column)
{
    if (row < 1 || column < 1 || row > LXW_ROW_MAX || column > LXW_COL_MAX)
        throw Error(QStringLiteral("Cell row %1, column %2 lies outside the sheet.").arg(row).arg(column));
    return {lxw_row_t(row - 1), lxw_col_t(column - 1)};
}

} // namespace

void SpreadsheetRange::setValue(const QString &value)
{
    m_sheet->writeValue(m_row, m_column, value);
}

void SpreadsheetColumns::AutoFit()
{
    m_sheet->autoFit();
}

SpreadsheetWorksheet::SpreadsheetWorksheet(lxw_worksheet *sheet, lxw_format *dateFormat)
    : m_sheet(sheet), m_dateFormat(dateFormat), m_numbers()
{
}

void SpreadsheetWorksheet::setCells(int row, int column, const QString &text)
{
    writeText(row, column, text);
}

void SpreadsheetWorksheet::writeText(int row, int column, const QString &text)
{
    if (!m_sheet)
        throw closedWorkbookError();
    const CellAddress at = address(row, column);
    if (text.isEmpty())
        return;
    bool cut = false;
    const QByteArray utf8 = cellUtf8(text, cut);
    check(worksheet_write_string(m_sheet, at.row, at.column, utf8.constData(), nullptr));
    m_cutCells += cut ? 1 : 0;
    noteWidth(column, shownWidth(QStringView(text).left(kMaxCellText)));
}

void SpreadsheetWorksheet::writeValue(int row, int column, const QString &text)
{
    if (!m_sheet)
        throw closedWorkbookError();
    const CellAddress at = address(row, column);
    lxw_datetime date{};
    if (isoDate(text, date)) {
        check(worksheet_write_datetime(m_sheet, at.row, at.column, &date, m_dateFormat));
        noteWidth(column, kDateWidth);
        return;
    }
    // A number the totals cannot hold is not counted as one here either: it stays text, digit
    // for digit, as the ledger keeps it.
    const std::optional<Amount> number = m_numbers.read(QStringView(text));
    if (number) {
        check(worksheet_write_number(m_sheet, at.row, at.column, number->toDouble(), nullptr));
        // The shown number is about as wide as the text it came from, and finding its exact
        // shown form would cost more than writing it.
        noteWidth(column, int(QStringView(text).trimmed().size()));
        return;
    }
    writeText(row, column, text);
}

void SpreadsheetWorksheet::noteWidth(int column, int width)
{
    const auto index = std::size_t(column - 1);
    if (index >= m_widths.size())
        m_widths.resize(index + 1, 0);
    m_widths[index] = std::max(m_widths[index], width);
}

void SpreadsheetWorksheet::autoFit()
{
    if (!m_sheet)
        throw closedWorkbookError();
    // One character width of margin, so the widest text does not touch the next column.
    for (std::size_t i = 0; i < m_widths.size(); ++i) {
        if (m_widths[i] > 0) {
            const double width = std::min(kMaxColumnWidth, m_widths[i] + 1.0);
            check(worksheet_set_column(m_sheet, lxw_col_t(i), lxw_col_t(i), width, nullptr));
        }
    }
}

SpreadsheetWorkbook::SpreadsheetWorkbook(const QString &name, const QString &savePath) : m_savePath(savePath)
{
    if (!savePath.isEmpty()) {
        // The workbook is written beside the chosen file under a hidden name of its own and
        // takes the chosen name only when whole: a failed export never leaves half a workbook
        // there, nor destroys a file the user chose to replace.
        const QFileInfo target(savePath);
        QFile file(target.dir().filePath(QStringLiteral(".%1.%2.part")
                                             .arg(target.fileName())
                                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw workbookNotSaved(savePath, file.errorString());
        file.close();
        m_fileName = file.fileName();
    } else {
        // Each workbook gets a private folder (mode 0700) of its own under the temporary folder,
        // never among the user's documents. The spreadsheet program reads the file after this
        // program has let go of it, perhaps after this program has ended, so a shown workbook is
        // left where it is; a start of this program a day later removes it (removeOldWorkbooks),
        // as does the system's cleaning of the temporary folder. A workbook that is never shown
        // is removed with its folder at once.
        QTemporaryDir folder(QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                                 .filePath(kWorkbookFolderPrefix + QString(kWorkbookFolderRandomLength, u'X')));
        folder.setAutoRemove(false);
        if (!folder.isValid())
            throw Error(QStringLiteral("No folder could be made for the new workbook: %1").arg(folder.errorString()));
        m_folder = folder.path();
        m_fileName = folder.filePath(name);
        writeMarker(m_folder);
    }

    // Constant-memory mode writes each row to disk when the next one starts, so the workbook
    // costs about the same little memory for ten rows or a million.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    m_book = workbook_new_opt(QFile::encodeName(m_fileName).constData(), &options);
    lxw_worksheet *sheet = m_book ? workbook_add_worksheet(m_book, nullptr) : nullptr;
    lxw_format *dateFormat = m_book ? workbook_add_format(m_book) : nullptr;
    if (!sheet || !dateFormat) {
        if (m_book)
            workbook_close(std::exchange(m_book, nullptr));
        if (m_savePath.isEmpty())
            QDir(m_folder).removeRecursively();
        else
            QFile::remove(m_fileName);
        throw Error(QStringLiteral("The new workbook could not be made."));
    }
    format_set_num_format(dateFormat, kDateFormat);
    m_sheet.reset(new SpreadsheetWorksheet(sheet, dateFormat));
}

SpreadsheetWorkbook::~SpreadsheetWorkbook()
{
    if (m_shown)
        return;
    // Closing is the only way the library lets go of the sheet's own temporary file; the file it
    // writes goes with the folder.
    if (m_book) {
        m_sheet->detach();
        workbook_close(std::exchange(m_book, nullptr));
    }
    if (m_savePath.isEmpty())
        QDir(m_folder).removeRecursively();
    else
        QFile::remove(m_fileName);
}

SpreadsheetWorksheet &SpreadsheetWorkbook::ActiveSheet()
{
    return *m_sheet;
}

void SpreadsheetWorkbook::close()
{
    if (!m_book)
        return;
    m_sheet->detach();
    // Closing writes the file and frees the workbook whether or not the writing succeeds.
    const lxw_error error = workbook_close(std::exchange(m_book, nullptr));
    if (error != LXW_NO_ERROR && !m_savePath.isEmpty()) {
        QFile::remove(m_fileName);
        throw workbookNotSaved(m_savePath, QString::fromUtf8(lxw_strerror(error)));
    }
    if (error != LXW_NO_ERROR)
        throw Error(QStringLiteral("The workbook %1 could not be written: %2")
                        .arg(QDir::toNativeSeparators(m_fileName), QString::fromUtf8(lxw_strerror(error))));
    if (m_savePath.isEmpty())
        writeMarker(m_folder, m_fileName);
}

void SpreadsheetWorkbook::moveToSavePath()
{
    // rename() puts the new file in the old one's place in one step: the chosen name always
    // names a whole workbook, the old or the new.
    if (::rename(QFile::encodeName(m_fileName).constData(), QFile::encodeName(m_savePath).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(m_fileName);
        throw workbookNotSaved(m_savePath, reason);
    }
    m_fileName = m_savePath;
}

SpreadsheetWorkbook &SpreadsheetWorkbooks::Add()
{
    if (!m_savePath.isEmpty()) {
        if (!m_books.empty())
            throw Error(QStringLiteral("Only one workbook can be saved as a file."));
        m_books.push_back(std::unique_ptr<SpreadsheetWorkbook>(new SpreadsheetWorkbook({}, m_savePath)));
        return *m_books.back();
    }
    // Numbered as a spreadsheet program names its new workbooks, so the window title reads
    // naturally where the program shows the file name.
    const QString name = QStringLiteral("Book%1.xlsx").arg(m_books.size() + 1);
    m_books.push_back(std::unique_ptr<SpreadsheetWorkbook>(new SpreadsheetWorkbook(name, {})));
    return *m_books.back();
}

std::unique_ptr<SpreadsheetApplication> SpreadsheetApplication::create()
{
    if (!spreadsheetProgramInstalled())
        throw Error(QStringLiteral("No spreadsheet program can be found on this computer."));
    return std::unique_ptr<SpreadsheetApplication>(new SpreadsheetApplication);
}

std::unique_ptr<SpreadsheetApplication> SpreadsheetApplication::createSaving(const QString &path)
{
    std::unique_ptr<SpreadsheetApplication> application(new SpreadsheetApplication);
    application->m_workbooks.m_savePath = path;
    return application;
}

void SpreadsheetApplication::setVisible(bool visible)
{
    if (!visible) {
        m_visible = false;
        return;
    }
    const SpreadsheetLauncher launch = seams().launcher ? seams().launcher : SpreadsheetLauncher(realLauncher);
    for (const auto &book : m_workbooks.m_books) {
        if (book->m_shown)
            continue;
        if (!book->m_savePath.isEmpty()) {
            book->close();
            book->moveToSavePath();
            book->m_shown = true;
            continue;
        }
        book->close();
        if (!launch(book->fileName()))
            throw Error(QStringLiteral("The spreadsheet program could not be started to open %1.")
                            .arg(QDir::toNativeSeparators(book->fileName())));
        book->m_shown = true;
    }
    m_visible = true;
}

namespace {

/// The files to remove with `folder` when it is a workbook folder of an earlier run that nothing
/// has touched for a day; nothing when it is anything else.
std::optional<QStringList> oldWorkbookFolderFiles(const QFileInfo &folder, const QDateTime &now)
{
    static const QRegularExpression exportName(QStringLiteral("^%1[A-Za-z0-9]{%2}$")
                                                   .arg(QRegularExpression::escape(kWorkbookFolderPrefix))
                                                   .arg(kWorkbookFolderRandomLength));
    if (!exportName.match(folder.fileName()).hasMatch() || folder.isSymLink() || !folder.isDir()
        || folder.ownerId() != ::getuid())
        return std::nullopt;
    const QDateTime dayAgo = now.addSecs(-kOldWorkbookSeconds);
    if (folder.lastModified() > dayAgo)
        return std::nullopt;
    const std::optional<QHash<QString, QString>> workbooks = markedWorkbooks(folder.filePath());
    if (!workbooks)
        return std::nullopt;
    const QFileInfoList entries = QDir(folder.filePath()).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QStringList files;
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        // Only the marker, the exit status of the program that showed the workbook and the
        // workbooks the export wrote, unchanged since, are ours. Anything else keeps the folder:
        // a lock file beside the workbook, for one, says that a spreadsheet program still holds
        // it open.
        const bool ours = name == QLatin1String(kWorkbookFolderMarker) || name.startsWith(QLatin1String(kExitStatusFile))
            || (workbooks->contains(name) && workbooks->value(name) == fileStamp(entry.filePath()));
        if (!ours || entry.isSymLink() || !entry.isFile() || entry.lastModified() > dayAgo)
            return std::nullopt;
        files << entry.filePath();
    }
    return files;
}

} // namespace

void removeOldWorkbooks(const QString &temporaryFolder, const QDateTime &now)
{
    const QFileInfoList folders = QDir(temporaryFolder).entryInfoList(
        {kWorkbookFolderPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::CaseSensitive);
    for (const QFileInfo &folder : folders) {
        // File by file, so that whatever appears in the folder meanwhile keeps it.
        if (const std::optional<QStringList> files = oldWorkbookFolderFiles(folder, now)) {
            for (const QString &file : *files)
                QFile::remove(file);
            QDir().rmdir(folder.filePath());
        }
    }
}

void removeOldWorkbooks()
{
    removeOldWorkbooks(QStandardPaths::writableLocation(QStandardPaths::TempLocation), QDateTime::currentDateTime());
}

bool spreadsheetProgramInstalled()
{
    return seams().probe ? seams().probe() : realProbe();
}

void setSpreadsheetLauncher(SpreadsheetLauncher launcher)
{
    seams().launcher = std::move(launcher);
}

void setSpreadsheetProbe(SpreadsheetProbe probe)
{
    seams().probe = std::move(probe);
}

} // namespace tallymere
