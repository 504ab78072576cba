#include "core/ledger/undohistory.h"

#include "core/db/statement.h"

namespace tallymere {
namespace {

QString tableOf(bool income)
{
    return income ? QStringLiteral("[income]") : QStringLiteral("[expenses]");
}

/// "and "c1" is ? and "c2" is ? ...": the entry is exactly as the program left it.
QString sameAs(const QStringList &columns)
{
    QString condition;
    for (const QString &column : columns)
        condition += QLatin1String(" and ") + quotedName(column) + QLatin1String(" is ?");
    return condition;
}

QString kindText(ChangeKind change)
{
    switch (change) {
    case ChangeKind::Insert: return QStringLiteral("add");
    case ChangeKind::Update: return QStringLiteral("change");
    case ChangeKind::Delete: return QStringLiteral("delete");
    }
    return {};
}

/// "income entry 12".
QString entryText(const EntryChange &c)
{
    return QStringLiteral("%1 entry %2").arg(c.income ? QStringLiteral("income") : QStringLiteral("expense")).arg(c.srNo);
}

} // namespace

QString EntryChange::what() const
{
    return kindText(change) + QLatin1String(" of ") + entryText(*this);
}

QString refusalText(const UndoStep &step, const EntryChange &refused, bool undoing)
{
    const QString verb = undoing ? QStringLiteral("undo") : QStringLiteral("redo");
    if (step.changes.size() <= 1)
        return QStringLiteral("Cannot %1 the %2: the entry was changed by another program since. Nothing was written.")
            .arg(verb, step.text);
    // Taking back only the entries still as they were would leave half an import behind.
    return QStringLiteral("Cannot %1 the %2: it is %3 only as a whole, and its %4 was changed by another "
                          "program since. Nothing was written.")
        .arg(verb, step.text, undoing ? QStringLiteral("undone") : QStringLiteral("redone"), entryText(refused));
}

Replay replayOf(const EntryChange &c, bool undoing)
{
    // Undoing goes from the entry as it is after the change back to before it; redoing the
    // other way. Each is one statement that finds the entry only when it is exactly as the
    // program left it, so a change by another program meanwhile is never overwritten.
    const Parameters &now = undoing ? c.after : c.before;
    const Parameters &then = undoing ? c.before : c.after;
    const FieldValue number = FieldValue::ofInteger(c.srNo);
    Replay replay;
    if (then.empty()) { // the entry goes
        replay.statement = QStringLiteral("delete from %1 where sr_no=?").arg(tableOf(c.income)) + sameAs(c.columns);
        replay.parameters.push_back(number);
        replay.parameters.insert(replay.parameters.end(), now.begin(), now.end());
        replay.noted = ChangeKind::Delete;
    } else if (now.empty()) { // the entry comes back, with its own number
        QStringList names;
        QStringList marks;
        for (const QString &column : c.columns) {
            names.append(quotedName(column));
            marks.append(QStringLiteral("?"));
        }
        replay.statement = QStringLiteral("insert into %1 (%2) values (%3)")
                               .arg(tableOf(c.income), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        replay.parameters = then;
        replay.noted = ChangeKind::Insert;
    } else {
        QStringList assignments;
        for (const QString &column : c.columns)
            assignments.append(quotedName(column) + QLatin1String("=?"));
        replay.statement = QStringLiteral("update %1 set %2 where sr_no=?")
                               .arg(tableOf(c.income), assignments.join(QLatin1Char(',')))
            + sameAs(c.columns);
        replay.parameters = then;
        replay.parameters.push_back(number);
        replay.parameters.insert(replay.parameters.end(), now.begin(), now.end());
    }
    return replay;
}

void UndoHistory::add(UndoStep step)
{
    m_done.push_back(std::move(step));
    m_undone.clear();
}

QString UndoHistory::undoText() const
{
    return m_done.empty() ? QString() : m_done.back().text;
}

QString UndoHistory::redoText() const
{
    return m_undone.empty() ? QString() : m_undone.back().text;
}

const UndoStep *UndoHistory::next(bool undoing) const noexcept
{
    const std::vector<UndoStep> &from = undoing ? m_done : m_undone;
    return from.empty() ? nullptr : &from.back();
}

void UndoHistory::replayed(bool undoing)
{
    std::vector<UndoStep> &from = undoing ? m_done : m_undone;
    std::vector<UndoStep> &to = undoing ? m_undone : m_done;
    if (from.empty())
        return;
    to.push_back(std::move(from.back()));
    from.pop_back();
}

void UndoHistory::drop(bool undoing)
{
    std::vector<UndoStep> &from = undoing ? m_done : m_undone;
    if (!from.empty())
        from.pop_back();
}

} // namespace tallymere
