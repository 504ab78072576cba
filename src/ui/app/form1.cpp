#include "ui/app/form1.h"

#include <array>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>

#include "config.h"
#include "ui/controls/listview.h"
#include "ui/controls/pointerfeedback.h"
#include "ui/desktop/twips.h"
#include "core/errors/errorreport.h"
#include "core/db/ledgerschema.h"
#include "core/ledger/modexpense.h"
#include "core/platform/messagebox.h"
#include "core/platform/program.h"
#include "ui/windows/icons.h"
#include "ui/windows/mainmodule.h"

namespace tallymere {
namespace {

struct ColumnHeading {
    const char *income;
    const char *expense;
    int width; // twips
};

// The two record-number columns are 1 twip wide: practically invisible, while every item keeps
// its number for the commands.
constexpr std::array<ColumnHeading, 6> kColumns{{
    {"ID", "ID", 1},
    {"SR No", "SR No", 1},
    {"Date", "Date", 1700},
    {"Source", "Category", 2000},
    {"Amount", "Amount", 1000},
    {"Particulars", "Particulars", 2300},
}};

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent)
    , m_ui(Form1Layout::build(this))
    , m_pointer(this)
    , m_ledger(this)
    , m_incomeSuggestions(m_ledger.incomeList())
    , m_expenseSuggestions(m_ledger.expenseList())
{
    m_ui.ListView1->setItems(m_ledger.incomeList());
    m_ui.ListView2->setItems(m_ledger.expenseList());
    const std::array<QLabel *, 3> totals{m_ui.lblTotalIncome, m_ui.lblTotalExpenses, m_ui.lblAvailableBalance};
    for (std::size_t i = 0; i < totals.size(); ++i) {
        m_totalsLeft[i] = totals[i]->x();
        m_totalsWidth[i] = totals[i]->width();
    }
    connect(m_ui.PushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    connect(m_ui.PushButton10, &QPushButton::clicked, this, &Form1::PushButton10_Click);
    connectPointerProcedures(m_pointer,
                             {m_ui.PushButton1, m_ui.PushButton2, m_ui.PushButton3, m_ui.PushButton4,
                              m_ui.PushButton5, m_ui.PushButton6, m_ui.PushButton7, m_ui.PushButton8,
                              m_ui.PushButton9, m_ui.PushButton10},
                             {this, m_ui.Frame1, m_ui.Frame2, m_ui.Frame3}, {m_ui.ListView1, m_ui.ListView2});
    connect(m_ui.PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_ui.PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_ui.PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(m_ui.PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(m_ui.PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(m_ui.PushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    connect(m_ui.PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(m_ui.PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connectFeatures();
    connectUndo();
    // Coming back to the program in any of its windows counts as the main window getting the
    // focus back: the lists behind an open editor are as fresh as the window's own.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && isVisible())
            Form_Activate();
    });
}

Form1::~Form1()
{
    // The editor, the dialog, the summary and the Find window go before the ledger they work on.
    delete m_editor.open();
    delete m_dateFormat.open();
    delete m_summary.open();
    delete m_import.open();
    delete m_find.open();
    m_ledger.attach(nullptr);
}

namespace {

/// Closes the editor when its owner window is closed or hidden by the program; a hide that the
/// window system makes (minimising) leaves it alone.
class CloseWithOwner : public QObject
{
public:
    explicit CloseWithOwner(Form2 *editor) : QObject(editor), m_editor(editor) {}

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && !event->spontaneous() && m_editor->isVisible())
            m_editor->close();
        return false;
    }

private:
    Form2 *m_editor;
};

} // namespace

Form2 &Form1::form2()
{
    return m_editor.get([this] { return new Form2(m_ledger, this); },
                        [this](Form2 *editor) {
                            installEventFilter(new CloseWithOwner(editor));
                            editor->setSuggestions(&m_incomeSuggestions, &m_expenseSuggestions);
                        });
}

Form3 &Form1::form3()
{
    return m_dateFormat.get([this] { return new Form3(m_ledger, this); },
                            [this](Form3 *dialog) {
                                // An open editor's date is written again in the order chosen.
                                connect(dialog, &Form3::dateOrderChanged, this, [this](bool from, bool to) {
                                    if (Form2 *editor = openForm2())
                                        editor->rewriteDateOrder(from, to);
                                });
                            });
}

namespace {

/// Runs `action` on a click (press and release of the left button) on the watched widget.
class ClickOpens : public QObject
{
public:
    ClickOpens(QObject *parent, std::function<void()> action) : QObject(parent), m_action(std::move(action)) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const auto *widget = qobject_cast<QWidget *>(watched);
            if (mouse->button() == Qt::LeftButton && widget && widget->rect().contains(mouse->position().toPoint()))
                m_action();
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

} // namespace

void Form1::connectFeatures()
{
    auto *summaryKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this);
    connect(summaryKey, &QShortcut::activated, this, &Form1::showMonthlySummary);
    auto *importKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), this);
    connect(importKey, &QShortcut::activated, this, &Form1::importStatement);

    auto *findKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(findKey, &QShortcut::activated, this, &Form1::showFindEntries);
    auto *likeKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    connect(likeKey, &QShortcut::activated, this, qOverload<>(&Form1::newEntryLikeThis));
    // Ctrl+D acts on the list that has the focus, or on the one that had it last when the focus
    // has moved on to a button.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now == m_ui.ListView1 || now == m_ui.ListView2)
            m_lastList = static_cast<ListView *>(now);
    });

    for (QWidget *over : std::initializer_list<QWidget *>{m_ui.ListView1, m_ui.ListView2, m_ui.Frame1}) {
        over->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(over, &QWidget::customContextMenuRequested, this, [this, over](const QPoint &at) {
            // A list reports the place in its viewport, the frame in itself.
            auto *list = qobject_cast<ListView *>(over);
            contextMenu(list)->popup((list ? list->viewport() : over)->mapToGlobal(at));
        });
    }

    for (QLabel *total : {m_ui.lblTotalIncome, m_ui.lblTotalExpenses, m_ui.lblAvailableBalance}) {
        total->setToolTip(QStringLiteral("Click to see the Monthly Summary (Ctrl+M)"));
        total->installEventFilter(new ClickOpens(total, [this] { showMonthlySummary(); }));
    }
}

QMenu *Form1::contextMenu(ListView *list)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addUndoItems(menu);
    menu->addSeparator();
    if (list) {
        QAction *like = menu->addAction(QStringLiteral("New Entry Like This"));
        like->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
        like->setShortcutVisibleInContextMenu(true);
        like->setEnabled(list->items().itemCount() > 0);
        connect(like, &QAction::triggered, this, [this, list] { newEntryLikeThis(list); });
    }
    QAction *find = menu->addAction(QStringLiteral("Find Entries..."));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutVisibleInContextMenu(true);
    connect(find, &QAction::triggered, this, &Form1::showFindEntries);
    QAction *summary = menu->addAction(QStringLiteral("Monthly Summary..."));
    summary->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    summary->setShortcutVisibleInContextMenu(true);
    connect(summary, &QAction::triggered, this, &Form1::showMonthlySummary);
    QAction *import = menu->addAction(QStringLiteral("Import Statement..."));
    import->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    import->setShortcutVisibleInContextMenu(true);
    connect(import, &QAction::triggered, this, &Form1::importStatement);
    return menu;
}

void Form1::Form_Load()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.Form_Load "));
    const QString folder = platform::programFolder();

    on.step(100, [&] { Main::loadSkin(*this, *m_ui.SkinFramework1); });
    on.step(104, [&] {
        setWindowTitle(QLatin1String(kProductTitle));
        setWindowIcon(programIcon());
        Main::setAppTitle();
    });
    if (on.test(106, [&] { return !Main::ordinaryFileExists(folder, QStringLiteral("dbExpense.mdb")); })) {
        on.step(108, [&] { platform::msgBox(folder + QStringLiteral("/dbExpense.mdb not found."), platform::MessageStyle::OkOnly); });
        on.step(110, [&] { platform::endProgram(); });
        return;
    }
    if (on.test(112, [&] { return Main::fileExists(folder + QStringLiteral("/HAND-M.CUR")); }))
        on.step(114, [&] {
            m_pointer.setCustomImage(loadPointerFile(folder + QStringLiteral("/HAND-M.CUR"), devicePixelRatioF()));
        });
    on.step(116, [&] { Main::visitHomePage(); });

    RowStore &income = m_ledger.incomeList();
    RowStore &expenses = m_ledger.expenseList();
    for (int i = 0; i < 6; ++i)
        on.step(136 + 2 * i, [&] { income.addColumnHeader(QLatin1String(kColumns[std::size_t(i)].income)); });
    for (int i = 0; i < 6; ++i)
        on.step(148 + 2 * i, [&] { income.setColumnHeaderWidth(i + 1, kColumns[std::size_t(i)].width); });
    for (int i = 0; i < 6; ++i)
        on.step(160 + 2 * i, [&] { expenses.addColumnHeader(QLatin1String(kColumns[std::size_t(i)].expense)); });
    for (int i = 0; i < 6; ++i)
        on.step(172 + 2 * i, [&] { expenses.setColumnHeaderWidth(i + 1, kColumns[std::size_t(i)].width); });

    on.step(184, [&] { m_ledger.createConnection(); });
    on.step(186, [&] { m_ledger.openConnection(connectionStringFor(folder)); });
    on.step(188, [&] { modExpense::listIncome(m_ledger); });
    on.step(190, [&] { modExpense::listExpenses(m_ledger); });
    on.step(192, [&] { modExpense::showTotals(m_ledger); });
}

void Form1::Form_QueryUnload()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.Form_QueryUnload "));
    if (on.test(100, [&] { return m_ledger.hasConnection(); })) {
        on.step(102, [&] { m_ledger.closeConnection(); });
        on.step(104, [&] { m_ledger.releaseConnection(); });
    }
    on.step(106, [] { platform::doEvents(); });
    on.step(108, [] { platform::doEvents(); });
}

void Form1::Form_Unload()
{
    platform::endProgram();
}

void Form1::PushButton9_Click()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.PushButton9_Click "));
    on.step(100, [] {
        platform::msgBox(QStringLiteral("Questions? Please contact Team Marlowick at ")
                             + QStringLiteral(TALLYMERE_CONTACT_PAGE),
                         platform::MessageStyle::OkOnly);
    });
}

void Form1::setTotalCaptions(const QString &income, const QString &expenses, const QString &balance)
{
    m_ui.lblTotalIncome->setText(income);
    m_ui.lblTotalExpenses->setText(expenses);
    m_ui.lblAvailableBalance->setText(balance);
    arrangeTotals();
    emit totalsShown();
}

void Form1::arrangeTotals()
{
    // Each total shows whole, in its laid-out place when it fits there. A longer total pushes the
    // ones after it to the right, and when the row would run out of the Report frame the three
    // take a smaller font: a ledger never hides a digit of a total.
    const std::array<QLabel *, 3> labels{m_ui.lblTotalIncome, m_ui.lblTotalExpenses, m_ui.lblAvailableBalance};
    const int gap = twipsToPixels(120, this);
    const int room = m_ui.Frame1->width() - gap;
    QFont font = this->font();
    for (;;) {
        const QFontMetrics metrics(font);
        int right = 0;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const int left = std::max(m_totalsLeft[i], i == 0 ? 0 : right + gap);
            right = left + metrics.horizontalAdvance(labels[i]->text()) + 2;
        }
        if (right <= room || font.pointSizeF() <= 6.0)
            break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    const QFontMetrics metrics(font);
    int right = 0;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        QLabel *label = labels[i];
        label->setFont(font);
        const int left = std::max(m_totalsLeft[i], i == 0 ? 0 : right + gap);
        const int width = std::max(metrics.horizontalAdvance(label->text()) + 2, m_totalsWidth[i]);
        label->setGeometry(left, label->y(), width, label->height());
        right = left + metrics.horizontalAdvance(label->text()) + 2;
    }
}

namespace {

/// Whether this process may make files in `folder`, judged with the IDs and privileges that
/// opening a file uses (QFileInfo asks for the real user's, which root's are not always).
bool canMakeFilesIn(const QString &folder)
{
    return ::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

} // namespace

void Form1::warnIfReadOnly()
{
    // The engine opens a ledger it may not write for reading only, and it writes every change
    // through a journal that it makes beside the file: either way no save can succeed, and the
    // user is better told now than by the first save that fails.
    if (!m_ledger.hasConnection() || m_ledger.connection().State() == 0)
        return;
    const QString folder = platform::programFolder();
    if (!m_ledger.connection().readOnly() && canMakeFilesIn(folder))
        return;
    try {
        platform::msgBox(QStringLiteral("The ledger ") + ledgerPath(folder)
                             + QStringLiteral(" cannot be changed (it is read-only): you can look, but not save."),
                         platform::MessageStyle::OkOnly);
    } catch (...) {
        // A message that cannot be shown leaves the user where every save's report would.
    }
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Queued, so the window and its lists are painted before the message covers them.
    if (!m_shownOnce && !event->spontaneous()) {
        m_shownOnce = true;
        QTimer::singleShot(0, this, &Form1::warnIfReadOnly);
    }
}

void Form1::Form_Activate()
{
    // A report closing gives the window the focus back: that must not read the lists again.
    if (m_activating)
        return;
    m_activating = true;
    const auto done = qScopeGuard([this] { m_activating = false; });
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.Form_Activate "));
    // An export reads the lists while it lets events run: they stay as they are until it ends.
    if (!on.test(100, [&] { return !exportRunning() && m_ledger.changedElsewhere(); }))
        return;
    on.step(102, [&] { modExpense::listIncome(m_ledger); });
    on.step(104, [&] { modExpense::listExpenses(m_ledger); });
    on.step(106, [&] { modExpense::showTotals(m_ledger); });
}

void Form1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload();
    event->accept();
    Form_Unload();
}

} // namespace tallymere
