// What the parts windows' tests share: the order form's store and application objects
// (order_fixture.h), the back-ordered parts as plain SQL finds them in the same files,
// and what a dataset and a grid hold.
#pragma once

#include "orderentry/edparts_form.h"
#include "orderentry/parts_form.h"
#include "orderentry/search_dlg.h"
#include "orderentry/tests/order_fixture.h"

#include "platform/datacontrols/dbgrid.h"

#include <algorithm>

// The part numbers with more on order than on hand, in ascending order.
inline QList<double> BackorderedInStore(const TScratchStore& store)
{
    QList<double> parts;
    for (const auto& row : store.Rows("SELECT PartNo FROM PARTS WHERE OnOrder > OnHand ORDER BY PartNo"))
        parts << row[0].toDouble();
    return parts;
}

// Every PartNo of DataSet, in ascending order; the dataset is left on its first record.
inline QList<double> PartNumbers(TDataSet* DataSet)
{
    QList<double> parts;
    for (DataSet->First(); !DataSet->Eof(); DataSet->Next())
        parts << DataSet->FieldByName("PartNo")->AsFloat();
    DataSet->First();
    std::sort(parts.begin(), parts.end());
    return parts;
}

// The numbers a grid's column shows on its page once painted, in ascending order.
inline QList<double> GridNumbers(TDBGrid* Grid, int Column)
{
    // The grid reads its page when it paints.
    Grid->viewport()->repaint();
    QList<double> numbers;
    for (int row = 0; row < Grid->RowCount(); ++row)
        numbers << Grid->CellText(row, Column).toDouble();
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// A double-click on a grid's cell as the mouse makes it: a click, then the double-click
// on whatever is under the pointer by then (the cell's editor, if the click opened it).
inline void DoubleClickCell(TDBGrid* Grid, int Row, int Column)
{
    const QPoint pos = Grid->CellRect(Row, Column).center();
    QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, pos);
    QWidget* under = Grid->viewport()->childAt(pos);
    QWidget* target = under && under->isVisible() ? under : Grid->viewport();
    const QPoint at = target->mapFrom(Grid->viewport(), pos);
    QTest::mouseDClick(target, Qt::LeftButton, {}, at);
    QTest::mouseRelease(target, Qt::LeftButton, {}, at);
}

// Replaces an edit's whole text, as a user selecting it and typing.
inline void Retype(QLineEdit* Edit, const QString& Text)
{
    Edit->setFocus();
    Edit->selectAll();
    Type(Text);
}
