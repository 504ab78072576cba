#pragma once

#include <functional>

#include <QString>
#include <QUrl>

class QWidget;

namespace tallymere {

class SkinFramework;

/// The product title: the main window's caption and the settings section.
inline constexpr const char *kProductTitle = "Tallymere";

/// The module Main: start of the program and the small procedures the windows share. None of
/// them reports failures itself: they throw, and the caller's error handler reports.
namespace Main {

/// True when the file's date can be read, that is when something exists at `path`. Never throws.
bool fileExists(const QString &path);

/// True when the program folder holds an ordinary file (not a folder, hidden or special file)
/// at `relativePath`, matched with case.
bool ordinaryFileExists(const QString &folder, const QString &relativePath);

/// When the skin file "x/o.cjs" lies in the program folder: the main window and its labels,
/// frames, option buttons and check boxes take the button-face colour, then the skin is loaded
/// and applied to the main window. Without the file nothing changes.
void loadSkin(QWidget &mainWindow, SkinFramework &skin);

/// Gives a window and its labels, frames, option buttons and check boxes the button-face colour.
void applySystemColors(QWidget *window);

/// Sets the application title from the product title: the last word goes, and further words
/// while the rest is longer than 40 characters. A title without a blank stays whole.
void setAppTitle();
/// The application title made from `productTitle` by the rule above.
QString appTitleFor(const QString &productTitle);

/// Opens the maker's home page on one start in a hundred (a draw of 7 from 1 to 100).
void visitHomePage();

/// Seams for tests: the draw from 1 to 100 and what opens a page. Empty handlers restore the
/// real ones.
void setHomePageSeams(std::function<int()> draw, std::function<void(const QUrl &)> open);

} // namespace Main
} // namespace tallymere
