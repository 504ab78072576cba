#pragma once

#include <QColor>
#include <QDate>
#include <QWidget>

class QCalendarWidget;

namespace tallymere {

/// The month calendar of the entry editor: a month grid with a title, whose selected date is
/// its value. It reports a click when the user picks a date with the mouse or confirms one with
/// the keyboard; setting the value from code reports nothing.
class Calendar : public QWidget
{
    Q_OBJECT

public:
    explicit Calendar(QWidget *parent = nullptr);

    /// The selected date.
    QDate value() const;
    /// Selects `date` and shows its month.
    void setValue(const QDate &date);

    /// Year, month (1 to 12) and day of the selected date.
    int Year() const;
    int Month() const;
    int Day() const;

    /// The colour behind the title and the days.
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &colour);

    /// The month grid inside, for whoever has to reach it directly (tests).
    QCalendarWidget *grid() const noexcept { return m_grid; }

signals:
    /// The user picked a date.
    void clicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QCalendarWidget *m_grid;
    QColor m_backColor;
};

} // namespace tallymere
