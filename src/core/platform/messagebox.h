#pragma once

#include <functional>

#include <QString>

namespace tallymere::platform {

/// Style values of a message box, as the program passes them: the buttons (OK only, Yes and No)
/// added to the icon (the exclamation mark, or none).
namespace MessageStyle {
enum : int { OkOnly = 0, YesNo = 4, Exclamation = 48 };
} // namespace MessageStyle

/// The button that closed a message box.
namespace MessageResult {
enum : int { Ok = 1, Yes = 6, No = 7 };
} // namespace MessageResult

/// Shows one modal message box and returns the button pressed. An empty caption shows the
/// application title. Texts keep their CR/LF exactly as given; the box shows each as a line break.
int msgBox(const QString &text, int style = MessageStyle::OkOnly, const QString &caption = {});

/// What a message box call receives; tests replace the real box with a handler of this type.
using MessageBoxHandler = std::function<int(const QString &text, int style, const QString &caption)>;

/// Replaces how boxes are shown (tests script the answers); an empty handler restores the real box.
void setMessageBoxHandler(MessageBoxHandler handler);

/// The real box, installed by the windows at start. Without one a box is written to stderr and
/// answered OK (No for a Yes/No box).
void setMessageBoxPresenter(MessageBoxHandler presenter);

/// The application title: the caption of every box that names none.
QString applicationTitle();
void setApplicationTitle(const QString &title);

} // namespace tallymere::platform
