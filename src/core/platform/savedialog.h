#pragma once

#include <functional>

#include <QString>

namespace tallymere::platform {

/// Asks the user where to save a file, in a modal dialog titled `caption` that suggests
/// `suggestedPath` and offers the files `filter` names ("Excel Workbook (*.xlsx)"). Returns the
/// path chosen, or an empty text when the user cancels. Without a window system it cancels.
QString saveFileName(const QString &caption, const QString &suggestedPath, const QString &filter);

/// What a save dialog call receives; tests replace the real dialog with a handler of this type.
using SaveFileHandler =
    std::function<QString(const QString &caption, const QString &suggestedPath, const QString &filter)>;

/// Replaces how the dialog is shown (tests answer it); an empty handler restores the real one.
void setSaveFileHandler(SaveFileHandler handler);
/// The real dialog, installed by the windows at start.
void setSaveFilePresenter(SaveFileHandler presenter);

} // namespace tallymere::platform
