#include "ui/controls/calendar.h"

#include <QCalendarWidget>
#include <QFont>
#include <QPalette>
#include <QTextCharFormat>
#include <QToolButton>

namespace tallymere {

namespace {

QFont arial(qreal pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

Calendar::Calendar(QWidget *parent) : QWidget(parent), m_grid(new QCalendarWidget(this))
{
    m_grid->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_grid->setGridVisible(true);

    // The calendar keeps three fonts: the day names (8.25 pt bold), the day numbers (8.25 pt)
    // and the title (12 pt bold).
    m_grid->setFont(arial(8.25, false));
    QTextCharFormat dayNames = m_grid->headerTextFormat();
    dayNames.setFont(arial(8.25, true));
    m_grid->setHeaderTextFormat(dayNames);
    // The month and year buttons make up the title; they are named by Qt itself.
    for (const char *titleButton : {"qt_calendar_monthbutton", "qt_calendar_yearbutton"}) {
        if (auto *button = m_grid->findChild<QToolButton *>(QLatin1String(titleButton)))
            button->setFont(arial(12, true));
    }

    setFocusProxy(m_grid);
    setFocusPolicy(m_grid->focusPolicy());

    // A click on a day reports the pick, and so does Enter on the selected day.
    connect(m_grid, &QCalendarWidget::clicked, this, [this] { emit clicked(); });
    connect(m_grid, &QCalendarWidget::activated, this, [this] { emit clicked(); });

    setBackColor(palette().color(QPalette::Window));
}

QDate Calendar::value() const
{
    return m_grid->selectedDate();
}

void Calendar::setValue(const QDate &date)
{
    m_grid->setSelectedDate(date);
    m_grid->setCurrentPage(date.year(), date.month());
}

int Calendar::Year() const
{
    return value().year();
}

int Calendar::Month() const
{
    return value().month();
}

int Calendar::Day() const
{
    return value().day();
}

void Calendar::setBackColor(const QColor &colour)
{
    m_backColor = colour;

    QPalette grid = m_grid->palette();
    grid.setColor(QPalette::Window, colour);
    grid.setColor(QPalette::Base, colour);
    m_grid->setPalette(grid);

    // Qt draws the title bar in the highlight colour with highlighted text; here the title sits
    // on the calendar's own colour in ordinary text.
    if (auto *title = m_grid->findChild<QWidget *>(QStringLiteral("qt_calendar_navigationbar"))) {
        QPalette titlePalette = title->palette();
        titlePalette.setColor(QPalette::Highlight, colour);
        titlePalette.setColor(QPalette::HighlightedText, grid.color(QPalette::WindowText));
        title->setPalette(titlePalette);
    }
}

void Calendar::resizeEvent(QResizeEvent *event)
{
    m_grid->setGeometry(rect());
    QWidget::resizeEvent(event);
}

} // namespace tallymere
