// Undo and redo of the main window: the adds, updates and deletes made in this run.

#include "ui/app/form1.h"

#include <QKeySequence>
#include <QMenu>
#include <QShortcut>

#include "core/errors/errorreport.h"
#include "core/ledger/modexpense.h"
#include "core/platform/messagebox.h"

namespace tallymere {

void Form1::mnuUndo_Click()
{
    replayChange(true);
}

void Form1::mnuRedo_Click()
{
    replayChange(false);
}

void Form1::replayChange(bool undoing)
{
    ErrorHandler on(undoing ? QStringLiteral("in Coinfold2021/08/31.Form1.mnuUndo_Click ")
                            : QStringLiteral("in Coinfold2021/08/31.Form1.mnuRedo_Click "));
    Ledger::Outcome outcome = Ledger::Outcome::Nothing;
    on.step(100, [&] { outcome = undoing ? m_ledger.undo() : m_ledger.redo(); });
    if (outcome == Ledger::Outcome::Nothing)
        return;
    if (outcome == Ledger::Outcome::Refused) {
        on.step(102, [&] {
            platform::msgBox(m_ledger.refusalText(), platform::MessageStyle::OkOnly | platform::MessageStyle::Exclamation);
        });
    }
    on.step(104, [&] { modExpense::listIncome(m_ledger); });
    on.step(106, [&] { modExpense::listExpenses(m_ledger); });
    on.step(108, [&] { modExpense::showTotals(m_ledger); });
}

void Form1::addUndoItems(QMenu *menu)
{
    QAction *undo = menu->addAction(m_ledger.canUndo() ? QStringLiteral("Undo ") + m_ledger.undoText()
                                                       : QStringLiteral("Undo"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setShortcutVisibleInContextMenu(true);
    undo->setEnabled(m_ledger.canUndo());
    connect(undo, &QAction::triggered, this, &Form1::mnuUndo_Click);
    QAction *redo = menu->addAction(m_ledger.canRedo() ? QStringLiteral("Redo ") + m_ledger.redoText()
                                                       : QStringLiteral("Redo"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    redo->setShortcutVisibleInContextMenu(true);
    redo->setEnabled(m_ledger.canRedo());
    connect(redo, &QAction::triggered, this, &Form1::mnuRedo_Click);
}

void Form1::connectUndo()
{
    auto *undo = new QShortcut(QKeySequence::Undo, this);
    connect(undo, &QShortcut::activated, this, &Form1::mnuUndo_Click);
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
        auto *redo = new QShortcut(keys, this);
        connect(redo, &QShortcut::activated, this, &Form1::mnuRedo_Click);
    }
}

} // namespace tallymere
