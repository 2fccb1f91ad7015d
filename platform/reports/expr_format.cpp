#include "platform/reports/expr_format.h"

#include "platform/core/convert.h"
#include "platform/core/formatsettings.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsDigitSlot(QChar c) { return c == '#' || c == '0'; }
bool IsMaskChar(QChar c) { return IsDigitSlot(c) || c == '.' || c == ','; }

// Adds one unit in the last place of a string of decimal digits.
QString Increment(QString digits)
{
    for (int i = int(digits.size()) - 1; i >= 0; --i) {
        if (digits[i] != '9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = '0';
    }
    return "1" + digits;
}

// The whole and fractional digits of Value >= 0 rounded to Decimals places. Rounds the
// value as written with 15 significant digits, so that 1.005 (stored a hair below)
// rounds up as a person reading it expects.
void RoundedDigits(double value, int decimals, QString& whole, QString& fraction)
{
    whole = "0";
    fraction = QString(decimals, '0');
    if (value == 0)
        return;
    const QString sci = QString::number(value, 'e', 14); // d.dddddddddddddde+XX
    const int e = int(sci.indexOf('e'));
    const QString mantissa = sci.left(1) + sci.mid(2, e - 2);
    const int point = sci.mid(e + 1).toInt() + 1; // digits before the decimal point
    QString all;
    int wholeLen;
    if (point <= 0) {
        all = QString(-point, '0') + mantissa;
        wholeLen = 0;
    } else if (point >= mantissa.size()) {
        all = mantissa + QString(point - mantissa.size(), '0');
        wholeLen = point;
    } else {
        all = mantissa;
        wholeLen = point;
    }
    const int keep = wholeLen + decimals;
    if (all.size() > keep) {
        const bool up = all[keep] >= '5';
        all.truncate(keep);
        if (up) {
            const qsizetype before = all.size();
            all = Increment(all);
            wholeLen += int(all.size() - before);
        }
    }
    while (all.size() < keep)
        all += '0';
    whole = all.left(wholeLen);
    fraction = all.mid(wholeLen);
    while (whole.size() > 1 && whole[0] == '0')
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = "0";
}

} // namespace

QString FormatNumeric(const QString& Mask, double Value)
{
    if (!std::isfinite(Value))
        return QString::fromStdString(FloatToStr(Value));
    int first = -1, last = -1;
    for (int i = 0; i < Mask.size(); ++i) {
        if (IsMaskChar(Mask[i])) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return Mask;
    const QString body = Mask.mid(first, last - first + 1);
    const int dot = int(body.indexOf('.'));
    const QString wholeMask = dot >= 0 ? body.left(dot) : body;
    const QString fractionMask = dot >= 0 ? body.mid(dot + 1) : QString();

    // Decimals: every slot after the point, required up to the last '0'.
    int maxFraction = 0, minFraction = 0;
    for (QChar c : fractionMask) {
        if (IsDigitSlot(c)) {
            ++maxFraction;
            if (c == '0')
                minFraction = maxFraction;
        }
    }
    // Whole digits: required from the first '0' on.
    int wholeSlots = 0, firstZero = -1;
    for (QChar c : wholeMask) {
        if (IsDigitSlot(c)) {
            if (c == '0' && firstZero < 0)
                firstZero = wholeSlots;
            ++wholeSlots;
        }
    }
    const int minWhole = firstZero >= 0 ? wholeSlots - firstZero : 0;
    const bool thousands = wholeMask.contains(',');

    QString whole, fraction;
    RoundedDigits(std::fabs(Value), maxFraction, whole, fraction);
    bool isZero = true;
    for (QChar c : whole + fraction)
        if (c != '0')
            isZero = false;
    if (whole == "0" && minWhole == 0)
        whole.clear();
    while (whole.size() < minWhole)
        whole.prepend('0');
    while (fraction.size() > minFraction && fraction.endsWith('0'))
        fraction.chop(1);

    // The whole part from the right: each slot takes a digit, the leftmost takes all that
    // remain; a literal among the slots prints while digits remain to its left.
    QString reversed;
    int left = int(whole.size());
    int written = 0;
    auto put = [&] {
        if (thousands && written > 0 && written % 3 == 0)
            reversed += QChar(FormatSettings.ThousandSeparator);
        reversed += whole[--left];
        ++written;
    };
    int slotsLeft = wholeSlots;
    for (int i = int(wholeMask.size()) - 1; i >= 0; --i) {
        const QChar c = wholeMask[i];
        if (IsDigitSlot(c)) {
            --slotsLeft;
            if (slotsLeft == 0)
                while (left > 0)
                    put();
            else if (left > 0)
                put();
        } else if (c != ',' && left > 0) {
            reversed += c;
        }
    }
    while (left > 0) // a mask with a point but no whole slots
        put();
    QString number = reversed;
    std::reverse(number.begin(), number.end());

    // The fraction from the left, up to its last digit.
    if (!fraction.isEmpty()) {
        number += QChar(FormatSettings.DecimalSeparator);
        int next = 0;
        for (QChar c : fractionMask) {
            if (next >= fraction.size())
                break;
            if (IsDigitSlot(c))
                number += fraction[next++];
            else if (c != ',' && c != '.')
                number += c;
        }
    }
    const QString text = Mask.left(first) + number + Mask.mid(last + 1);
    return Value < 0 && !isZero ? "-" + text : text;
}
