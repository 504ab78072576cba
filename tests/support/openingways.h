#pragma once

#include <algorithm>
#include <functional>
#include <ostream>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLatin1StringView>
#include <QMenu>
#include <QPoint>
#include <QWidget>

#include "ui/app/form1.h"

namespace tallymere::test {

/// One way the user opens a window from the main window (a key, a context menu, a click), for
/// a test that every way opens it alike.
struct Way {
    const char *name;
    std::function<void(Form1 &)> open;
};

inline void PrintTo(const Way &way, std::ostream *os)
{
    *os << way.name;
}

/// Picks the item captioned `caption` from the context menu that `over`, a control of the main
/// window `form`, asks for; the menu belongs to the main window.
inline void pickFromMenu(Form1 &form, QWidget *over, QLatin1StringView caption)
{
    emit over->customContextMenuRequested(QPoint(5, 5));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->parent(), &form);
    const auto actions = menu->actions();
    const auto item = std::find_if(actions.begin(), actions.end(),
                                   [caption](const QAction *action) { return action->text() == caption; });
    ASSERT_NE(item, actions.end());
    (*item)->trigger();
    menu->close();
}

} // namespace tallymere::test
