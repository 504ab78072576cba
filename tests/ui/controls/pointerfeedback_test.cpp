#include "support/entryfixture.h"

#include <memory>

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

#include "core/platform/pointershape.h"
#include "ui/app/form1.h"
#include "ui/controls/pointerfeedback.h"
#include "ui/controls/calendar.h"
#include "ui/controls/listview.h"
#include "ui/controls/pushbutton.h"
#include "ui/dateformat/form3.h"
#include "ui/entries/form2.h"
#include "core/ledger/modexpense.h"
#include "support/ledgerfile.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

/// Moves the mouse to `local` in `surface` (its middle when not given), as the window system
/// reports a move: to the window, which hands it to the control under the mouse.
void moveOver(QWidget *surface, QPoint local = QPoint(-1, -1))
{
    if (local == QPoint(-1, -1))
        local = surface->rect().center();
    QWidget *window = surface->window();
    QTest::mouseMove(window->windowHandle(), surface->mapTo(window, local));
}

/// The shown main window over a ledger with a row in each list, the hand pointer file in the
/// program folder when the test wants it.
class PointerFeedbackTest : public test::SalaryAndRentTest
{
protected:
    Form1 &start(bool withHand = true)
    {
        if (withHand) {
            EXPECT_TRUE(QFile::copy(QStringLiteral(TALLYMERE_HAND_CURSOR), env.path(QStringLiteral("HAND-M.CUR"))));
        }
        EntryTest::start().show();
        return *main;
    }

    /// The point of `window` at `local` in `surface`, checked to lie on that surface itself.
    static QPoint onSurface(QWidget *surface, QPoint local)
    {
        QWidget *window = surface->window();
        const QPoint at = surface->mapTo(window, local);
        QWidget *under = window->childAt(at);
        EXPECT_EQ(under ? under : window, surface) << "not on " << surface->objectName().toStdString();
        return local;
    }
};

TEST_F(PointerFeedbackTest, handOverEveryPushButtonOfTheMainWindowAndOrdinaryPointerOverItsSurfaces)
{
    Form1 &w = start();
    const Form1Layout &ui = w.ui();
    const PushButton *buttons[] = {ui.PushButton1, ui.PushButton2, ui.PushButton3, ui.PushButton4, ui.PushButton5,
                                   ui.PushButton6, ui.PushButton7, ui.PushButton8, ui.PushButton9, ui.PushButton10};
    // Each ordinary surface, where it is not covered by a control: the window's top-left corner, a
    // frame's caption row, the middle of a list, the header of a list.
    const struct {
        QWidget *surface;
        QPoint at;
    } ordinary[] = {
        {&w, onSurface(&w, QPoint(2, 2))},
        {ui.Frame1, onSurface(ui.Frame1, QPoint(ui.Frame1->width() - 4, 4))},
        {ui.Frame2, onSurface(ui.Frame2, QPoint(ui.Frame2->width() - 4, 4))},
        {ui.Frame3, onSurface(ui.Frame3, QPoint(ui.Frame3->width() - 4, 4))},
        {ui.ListView1->viewport(), ui.ListView1->viewport()->rect().center()},
        {ui.ListView2->viewport(), ui.ListView2->viewport()->rect().center()},
        {ui.ListView1->header(), ui.ListView1->header()->rect().center()},
    };

    for (const PushButton *button : buttons) {
        for (const auto &surface : ordinary) {
            moveOver(const_cast<PushButton *>(button));
            ASSERT_EQ(w.MousePointer(), PointerShape::Custom) << button->objectName().toStdString();
            EXPECT_EQ(button->cursor().shape(), Qt::BitmapCursor);
            EXPECT_EQ(button->cursor().hotSpot(), QPoint(5, 0));

            moveOver(surface.surface, surface.at);
            EXPECT_EQ(w.MousePointer(), PointerShape::Default) << surface.surface->objectName().toStdString();
            EXPECT_EQ(surface.surface->cursor().shape(), Qt::ArrowCursor);
        }
    }
}

TEST_F(PointerFeedbackTest, withoutThePointerFileTheHandIsTheOrdinaryArrow)
{
    Form1 &w = start(false);
    moveOver(w.ui().PushButton9);
    EXPECT_EQ(w.MousePointer(), PointerShape::Custom);
    EXPECT_EQ(w.ui().PushButton9->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(PointerFeedbackTest, hourglassIsNeverReplacedByAPointerProcedure)
{
    Form1 &w = start();
    const Form1Layout &ui = w.ui();
    moveOver(ui.PushButton1);
    w.setMousePointer(PointerShape::Hourglass); // as a fill or an export does

    moveOver(ui.PushButton4);
    EXPECT_EQ(w.MousePointer(), PointerShape::Hourglass);
    moveOver(&w, QPoint(2, 2));
    EXPECT_EQ(w.MousePointer(), PointerShape::Hourglass);
    moveOver(ui.ListView2->viewport());
    EXPECT_EQ(w.MousePointer(), PointerShape::Hourglass);
    moveOver(ui.Frame2, QPoint(ui.Frame2->width() - 4, 4));
    EXPECT_EQ(w.MousePointer(), PointerShape::Hourglass);
    EXPECT_EQ(ui.PushButton4->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(ui.ListView2->viewport()->cursor().shape(), Qt::WaitCursor);

    // Once the long operation is over, the next move counts again.
    w.setMousePointer(PointerShape::Default);
    moveOver(ui.PushButton4);
    EXPECT_EQ(w.MousePointer(), PointerShape::Custom);
}

TEST_F(PointerFeedbackTest, surfacesWithoutAPointerProcedureLeaveTheShapeAsItWas)
{
    Form1 &w = start();
    const Form1Layout &ui = w.ui();
    for (QLabel *label : {ui.lblTotalIncome, ui.lblTotalExpenses, ui.lblAvailableBalance}) {
        moveOver(ui.PushButton10);
        moveOver(label);
        EXPECT_EQ(w.MousePointer(), PointerShape::Custom) << label->objectName().toStdString();
        moveOver(&w, QPoint(2, 2));
        moveOver(label);
        EXPECT_EQ(w.MousePointer(), PointerShape::Default) << label->objectName().toStdString();
    }
}

TEST_F(PointerFeedbackTest, dateFormatDialogShowsTheHandOverOkOnlyAndTouchesNoOtherWindow)
{
    Form1 &w = start();
    w.PushButton10_Click();
    Form3 *dialog = main->openForm3();
    ASSERT_NE(dialog, nullptr);
    const Form3Layout &ui = dialog->ui();
    EXPECT_TRUE(dialog->pointer().hasCustomImage());

    moveOver(ui.PushButton3);
    EXPECT_EQ(dialog->pointer().shape(), PointerShape::Custom);
    EXPECT_EQ(ui.PushButton3->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(w.MousePointer(), PointerShape::Default);

    // Leaving OK brings the ordinary pointer back, wherever the mouse goes.
    moveOver(ui.Option1);
    EXPECT_EQ(dialog->pointer().shape(), PointerShape::Default);
    EXPECT_EQ(ui.Option1->cursor().shape(), Qt::ArrowCursor);

    // The options and the background have no pointer procedure of their own.
    dialog->pointer().setShape(PointerShape::Custom);
    moveOver(ui.Option2);
    moveOver(dialog, QPoint(2, 2));
    EXPECT_EQ(dialog->pointer().shape(), PointerShape::Custom);

    // The main window's hourglass does not stop the dialog's hand, nor does the dialog touch it.
    w.setMousePointer(PointerShape::Hourglass);
    dialog->pointer().setShape(PointerShape::Default);
    moveOver(ui.PushButton3);
    EXPECT_EQ(dialog->pointer().shape(), PointerShape::Custom);
    EXPECT_EQ(w.MousePointer(), PointerShape::Hourglass);
    w.setMousePointer(PointerShape::Default);

    // And the hourglass of the dialog itself stays when the mouse leaves OK.
    dialog->pointer().setShape(PointerShape::Hourglass);
    moveOver(ui.Option2);
    EXPECT_EQ(dialog->pointer().shape(), PointerShape::Hourglass);
}

TEST_F(PointerFeedbackTest, entryEditorShowsTheHandOverItsButtonsAndTheOrdinaryPointerOverWindowAndFields)
{
    Form1 &w = start();
    w.PushButton1_Click();
    ASSERT_NE(main->openForm2(), nullptr);
    const Form2Layout &ui = editor().ui();
    WindowPointer &pointer = editor().pointer();
    const QPoint background = onSurface(&editor(), QPoint(2, 100));

    for (PushButton *button : {ui.PushButton1, ui.PushButton2}) {
        moveOver(button);
        EXPECT_EQ(pointer.shape(), PointerShape::Custom) << button->objectName().toStdString();
        EXPECT_EQ(button->cursor().hotSpot(), QPoint(5, 0));
        moveOver(&editor(), background);
        EXPECT_EQ(pointer.shape(), PointerShape::Default);
        EXPECT_EQ(editor().cursor().shape(), Qt::ArrowCursor);
    }
    for (int i = 1; i <= 4; ++i) {
        QLineEdit *field = ui.Text1[std::size_t(i)];
        moveOver(ui.PushButton2);
        moveOver(field);
        EXPECT_EQ(pointer.shape(), PointerShape::Default) << i;
        EXPECT_EQ(field->cursor().shape(), Qt::IBeamCursor);
    }
    // The calendar and the labels have no pointer procedure.
    for (QWidget *silent : {static_cast<QWidget *>(ui.Calendar1), static_cast<QWidget *>(ui.Label1[1]),
                            static_cast<QWidget *>(ui.Label1[4])}) {
        moveOver(ui.PushButton1);
        moveOver(silent);
        EXPECT_EQ(pointer.shape(), PointerShape::Custom) << silent->objectName().toStdString();
    }
    EXPECT_EQ(w.MousePointer(), PointerShape::Default);
    EXPECT_TRUE(env.boxes().empty());
}

} // namespace
} // namespace tallymere
