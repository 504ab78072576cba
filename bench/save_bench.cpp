// A save from the entry editor of a loaded main window (the statement, the refresh of both lists
// and the totals) at 1k, 100k and 1M entries in each table, beside the bare commit of the same
// statement on a connection of its own, in the same run.

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>

#include "ui/app/form1.h"
#include "benchledger.h"
#include "ui/controls/listview.h"
#include "ui/entries/form2.h"
#include "core/db/connection.h"
#include "core/ledger/ledger.h"
#include "core/ledger/statements.h"
#include "core/platform/program.h"

namespace tallymere {
namespace {

enum class Kind { Insert, Update, Delete };

// The entry typed for an insert; an update types the amount only, over the loaded entry.
const QString kSource = QStringLiteral("Salary");
const QString kParticulars = QStringLiteral("December");

/// The amount of save `i`: a different one each time, since the engine writes nothing for an
/// update that leaves a row as it was.
QString amount(int i)
{
    return QString::number(1500 + i);
}

/// Makes row `row` (0-based) of a list the selected item, as a click on it does.
void selectRow(ListView *list, int row)
{
    const QModelIndex index = list->items().index(row, 0);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

/// One click on Save (insert, update) or one confirmed delete of the income list, each
/// iteration, in a shown main window over a private copy of the ledger. Timed: the click and the
/// events it leaves waiting (the lists and totals drawn again). Untimed: opening the editor
/// through the main window's own command and typing, and deleting the closed editor.
void saveAndRefresh(benchmark::State &state, Kind kind)
{
    const int rows = int(state.range(0));
    bench::LedgerCopy copy(rows);
    platform::setProgramFolder(copy.folder());
    bench::quietProgram().clearBoxes();

    Form1 form;
    form.Form_Load();
    form.show();
    QApplication::processEvents();
    ListView *list = form.ui().ListView1;

    int saves = 0;
    const auto prepare = [&] {
        // The middle of the list: an update or a delete finds its row by halving, and a delete
        // moves the half of the rows after it.
        const int middle = list->items().itemCount() / 2;
        if (kind == Kind::Delete) {
            selectRow(list, middle);
            return;
        }
        if (kind == Kind::Insert) {
            form.PushButton1_Click();
        } else {
            selectRow(list, middle);
            form.PushButton2_Click();
        }
        Form2 *editor = form.openForm2();
        if (!editor)
            throw std::runtime_error("the editor did not open");
        if (kind == Kind::Insert) {
            editor->ui().Text1[2]->setText(kSource);
            editor->ui().Text1[4]->setText(kParticulars);
        }
        editor->ui().Text1[3]->setText(amount(saves++));
    };
    const auto act = [&] {
        if (kind == Kind::Delete)
            form.PushButton3_Click();
        else
            form.openForm2()->PushButton1_Click();
        QApplication::processEvents();
    };
    const auto tidy = [&] {
        if (form.openForm2())
            throw std::runtime_error("the save did not close the editor");
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };

    // One save before the timed ones: the first flush of the file and the first editor's
    // resources are not what a save costs.
    prepare();
    act();
    tidy();
    bench::quietProgram().clearBoxes();
    const int before = list->items().itemCount();

    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        state.ResumeTiming();
        act();
        state.PauseTiming();
        tidy();
        state.ResumeTiming();
    }

    const int expected = kind == Kind::Insert ? before + int(state.iterations())
        : kind == Kind::Delete                ? before - int(state.iterations())
                                              : before;
    const int boxes = int(bench::quietProgram().boxes().size());
    if (list->items().itemCount() != expected)
        state.SkipWithError("the list does not hold the rows the saves leave");
    else if (boxes != (kind == Kind::Delete ? int(state.iterations()) : 0))
        state.SkipWithError(bench::quietProgram().boxes().back().text.toUtf8().constData());
    form.Form_QueryUnload();
}

/// The floor: the statement a save sends, run on a connection opened with the program's own
/// settings (Connection::openFile) over a private copy of the ledger, and nothing else.
void bareCommit(benchmark::State &state, Kind kind)
{
    const int rows = int(state.range(0));
    bench::LedgerCopy copy(rows);
    Connection connection;
    connection.openFile(copy.path());

    const QString date = QStringLiteral("2021-12-05");
    const QStringList labels{QStringLiteral("Date:"), QStringLiteral("Source:"), QStringLiteral("Amount:"),
                             QStringLiteral("Particulars:")};
    const auto insert = [&](int i) {
        return entrySql::SaveStatement::of(QStringLiteral("Add New Income"), {}, labels,
                                           {date, kSource, amount(i), kParticulars});
    };
    const auto update = [&](int i) {
        return entrySql::SaveStatement::of(QStringLiteral("Update Income"), QString::number(rows / 2), labels,
                                           {date, QStringLiteral("Household 7"), amount(i), kParticulars});
    };

    const auto statement = [&](int i) {
        switch (kind) {
        case Kind::Insert:
            return insert(i);
        case Kind::Update:
            return update(i);
        case Kind::Delete:
            return entrySql::deleteStatement(true, QString::number(rows / 2 + i));
        }
        return QString();
    };

    int i = 0;
    int changed = connection.Execute(statement(i++)); // the first flush of the file, untimed
    for (auto _ : state) {
        state.PauseTiming();
        const QString text = statement(i++);
        state.ResumeTiming();
        changed += connection.Execute(text);
    }
    if (changed != i)
        state.SkipWithError("a statement changed no row");
    connection.Close();
}

constexpr int kSaves = 30;

// Registered side by side, so one run gives each save beside its floor: BM_CommitInsert,
// BM_SaveInsert, BM_CommitUpdate and so on.
[[maybe_unused]] const bool kRegistered = [] {
    for (const auto &[name, kind] : {std::pair{"Insert", Kind::Insert}, {"Update", Kind::Update}, {"Delete", Kind::Delete}}) {
        for (const auto &[prefix, run] : {std::pair{"BM_Commit", &bareCommit}, {"BM_Save", &saveAndRefresh}}) {
            benchmark::RegisterBenchmark((std::string(prefix) + name).c_str(), run, kind)
                ->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(kSaves);
        }
    }
    return true;
}();

} // namespace
} // namespace tallymere
