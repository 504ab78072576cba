#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "core/db/statement.h"

namespace tallymere {

/// A write's kind.
enum class ChangeKind { Insert, Update, Delete };

/// One change the program made to an entry: the entry's values in the table's columns before
/// and after it (none before an add, none after a delete).
struct EntryChange {
    bool income = true;
    ChangeKind change = ChangeKind::Update;
    long long srNo = 0;
    QStringList columns;
    Parameters before;
    Parameters after;

    /// "delete of income entry 12".
    QString what() const;
};

/// The one statement that takes an entry back to before a change (or forward to after it), and
/// finds the entry only when it is exactly as the change left it (or found it).
struct Replay {
    QString statement;
    Parameters parameters;
    ChangeKind noted = ChangeKind::Update; ///< what the statement does to the entry
};

/// The replay of `change`: undoing it when `undoing`, else doing it again.
Replay replayOf(const EntryChange &change, bool undoing);

/// What one undo or redo does: the entry changes of one save or delete (one change), or of one
/// batch of writes (an import: many), with the text the menus show.
struct UndoStep {
    QString text;
    std::vector<EntryChange> changes;
};

/// The message that an undo (or redo) of `step` was refused because the entry of `refused`, one
/// of its changes, is no longer as the program left it; nothing was written. A step of several
/// changes (an import) says that it goes back only as a whole.
QString refusalText(const UndoStep &step, const EntryChange &refused, bool undoing);

/// The changes of this run that can be undone, the last one first, and those undone that can
/// be done again.
class UndoHistory
{
public:
    /// A new step: what was undone can no longer be redone.
    void add(UndoStep step);

    bool canUndo() const noexcept { return !m_done.empty(); }
    bool canRedo() const noexcept { return !m_undone.empty(); }
    /// What the next undo or redo would do, or empty.
    QString undoText() const;
    QString redoText() const;

    /// The step the next undo (or redo) replays; null when there is none.
    const UndoStep *next(bool undoing) const noexcept;
    /// The step of next(undoing) was replayed: it moves to the other side.
    void replayed(bool undoing);
    /// The step of next(undoing) can never apply again: it is dropped.
    void drop(bool undoing);

private:
    std::vector<UndoStep> m_done;
    std::vector<UndoStep> m_undone;
};

} // namespace tallymere
