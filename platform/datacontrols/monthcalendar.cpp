#include "platform/datacontrols/monthcalendar.h"

#include "platform/core/exceptions.h"
#include "platform/widgets/application.h"

TMonthCalendar::TMonthCalendar(QWidget* Parent)
    : QCalendarWidget(Parent)
    , FFont(new TFont(this))
{
    setMinimumDate(QDate(1, 1, 1));
    setMaximumDate(QDate(9999, 12, 31));
    connect(this, &QCalendarWidget::activated, this, [this] {
        if (OnDblClick)
            Application->Guard([this] { OnDblClick(this); });
    });
}

TDateTime TMonthCalendar::Date() const
{
    const QDate day = selectedDate();
    return EncodeDate(day.year(), day.month(), day.day());
}

void TMonthCalendar::SetDate(TDateTime Value)
{
    // Written so that NaN fails as well.
    if (!(Value >= EncodeDate(1, 1, 1) && Value < EncodeDate(9999, 12, 31) + 1))
        throw EConvertError("Invalid argument to date encode");
    int year = 0, month = 0, day = 0;
    DecodeDate(Value, year, month, day);
    setSelectedDate(QDate(year, month, day));
}
