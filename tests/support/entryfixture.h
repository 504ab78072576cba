#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include <sqlite3.h>

#include "ui/app/form1.h"
#include "ui/controls/listview.h"
#include "ui/entries/form2.h"
#include "core/ledger/modexpense.h"
#include "core/settings/settings.h"
#include "support/ledgerfile.h"
#include "support/testenvironment.h"

/// Texts print readably in failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace tallymere::test {

/// A loaded main window over a real ledger file in a temporary program folder, with the
/// statements that reach the ledger recorded as the engine receives them.
class EntryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ledger = env.path(QStringLiteral("dbExpense.mdb"));
        makeLedger(ledger);
    }

    void TearDown() override
    {
        main.reset(); // the editor goes with its owner
        settle();
        QLocale::setDefault(QLocale::c());
    }

    /// Loads the main window (after the test has put its rows into the ledger).
    Form1 &start()
    {
        main = std::make_unique<Form1>();
        main->Form_Load();
        if (main->ledger().hasConnection() && main->ledger().connection().handle())
            sqlite3_trace_v2(main->ledger().connection().handle(), SQLITE_TRACE_STMT, &EntryTest::trace, &sent);
        return *main;
    }

    /// Loads the main window as start() does, shows it and makes it the active window, as the
    /// user meets it.
    Form1 &startShown()
    {
        Form1 &w = start();
        w.show();
        QApplication::setActiveWindow(&w);
        return w;
    }

    static void setEuropeanDate(const QString &value)
    {
        settings::SaveSetting(QLatin1String(settings::kAppName), QLatin1String(settings::kSection),
                              QLatin1String(settings::kEuropeanDate), value);
    }

    /// The statements sent that change the ledger, in order (selects, the data version's reads
    /// and the engine's notes of triggers left out).
    std::vector<QString> writes() const
    {
        std::vector<QString> result;
        for (const QString &statement : sent) {
            if (!statement.startsWith(QLatin1String("select"), Qt::CaseInsensitive)
                && !statement.startsWith(QLatin1String("--"))
                && statement.compare(QLatin1String("PRAGMA data_version"), Qt::CaseInsensitive) != 0)
                result.push_back(statement);
        }
        return result;
    }

    Form2 &editor() { return *main->openForm2(); }
    QLineEdit *field(int i) { return editor().ui().Text1[std::size_t(i)]; }

    /// Types the four fields of the open editor.
    void type(const QString &date, const QString &text, const QString &amount, const QString &particulars)
    {
        field(1)->setText(date);
        field(2)->setText(text);
        field(3)->setText(amount);
        field(4)->setText(particulars);
    }

    /// Selects item `item` (1-based) of a list as a click would.
    static void select(ListView *list, int item)
    {
        list->setCurrentIndex(list->model()->index(item - 1, 0));
    }

    /// Deferred deletes of closed editors run, as the event loop would run them.
    static void settle() { QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    /// Whether an error report of `location` at `line` was shown.
    bool reported(const QString &location, int line) const
    {
        const QString where = QLatin1String("\r\n") + location + QLatin1String("at line ") + QString::number(line)
            + QLatin1Char('\r');
        for (const auto &box : env.boxes()) {
            if (box.caption == QLatin1String("Application Error") && box.text.contains(where))
                return true;
        }
        return false;
    }

    TestEnvironment env;
    QString ledger;
    std::unique_ptr<Form1> main;
    std::vector<QString> sent;

private:
    static int trace(unsigned, void *context, void *, void *sql)
    {
        static_cast<std::vector<QString> *>(context)->push_back(QString::fromUtf8(static_cast<const char *>(sql)));
        return 0;
    }
};

/// EntryTest over a ledger that holds one income entry ("Salary", 1500) and one expense entry
/// ("Rent", 700), both of December 2021.
class SalaryAndRentTest : public EntryTest
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        insertSalaryAndRent(ledger);
    }
};

} // namespace tallymere::test
