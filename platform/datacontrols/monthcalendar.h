// The month calendar of the date picker. Date is the selected day as a TDateTime
// (whole days since 30 December 1899); the time of day is not kept.
#pragma once

#include "platform/datacontrols/font.h"
#include "platform/core/datetime.h"
#include "platform/core/object.h"

#include <QCalendarWidget>

#include <functional>

class TMonthCalendar : public QCalendarWidget, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(double Date READ Date WRITE SetDate)

public:
    explicit TMonthCalendar(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    TDateTime Date() const;
    // Raises EConvertError for a date outside the years 1 to 9999.
    void SetDate(TDateTime Value);

    // A day chosen by a double-click or Enter.
    std::function<void(TObject* Sender)> OnDblClick;

private:
    TFont* FFont;
};
