#pragma once

#include <initializer_list>

class QWidget;

namespace tallymere {

class ListView;
class PushButton;
class WindowPointer;

/// What every pointer procedure does on each move of the mouse over its surface: unless the
/// window shows the hourglass (11), it sets the window's pointer shape to `shape` (99 over a push
/// button, 0 over the other surfaces), even when that shape is set already.
void pointerMoved(WindowPointer &pointer, int shape);

/// Connects the pointer procedures of one window to its surfaces, once, when the window is
/// built: the custom shape over each of `buttons`, the default shape over each of `surfaces` (the
/// window background, a frame, a text field) and `lists`. A surface counts only where the mouse
/// is on the surface itself, not on a control inside it; a list counts everywhere on it, its
/// header and scroll bars included. Every other control leaves the shape as it was last set.
void connectPointerProcedures(WindowPointer &pointer, std::initializer_list<PushButton *> buttons,
                              std::initializer_list<QWidget *> surfaces,
                              std::initializer_list<ListView *> lists = {});

} // namespace tallymere
