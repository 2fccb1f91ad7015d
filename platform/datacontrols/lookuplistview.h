// The painted list of a lookup list: as many rows as fit, around the list dataset's
// current record. Every movement (a key, the wheel, the scroll bar, a click) moves the
// list dataset and selects its current record, so what is selected is always what the
// dataset stands on. The scroll bar only tells whether the list is at the first
// record, the last or between them: its position would cost a count of the records.
// Typing finds the first record whose list text begins with what was typed.
#pragma once

#include "platform/datacontrols/lookuplist.h"

#include <QAbstractScrollArea>
#include <QVariant>
#include <QVector>

#include <functional>

class TLookupListView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TLookupListView(TLookupList* List, QWidget* Parent = nullptr);

    TLookupList* List() const { return FList; }
    // The key shown as selected; null: none.
    QVariant SelectedKey() const { return FSelectedKey; }
    void SetSelectedKey(const QVariant& Value);
    int RowHeight() const;
    // Rows that fit the list's height.
    int RowCount() const;
    // The rows shown, read again when the list changed.
    const QVector<TLookupRow>& Rows();
    // The row a point of the viewport lies on; -1 below the last row.
    int RowAt(const QPoint& Point);
    // The list's records changed: read them again before the next painting.
    void ListChanged();
    // Rows follow the mouse, as in a drop-down list.
    bool HotTrack = false;

    // The user moved to the list's current record, whose key this is.
    std::function<void(const QVariant& Key)> OnSelect;
    // The user picked the selected record: a click, or Enter.
    std::function<void()> OnChoose;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void scrollContentsBy(int, int) override {}

private:
    static constexpr int kToFirst = -0x7fffffff;
    static constexpr int kToLast = 0x7fffffff;
    // Moves the list dataset Delta records (or to an end) and selects where it lands.
    void Move(int Delta);
    void ScrollAction(int Action);
    // Type-to-find: the typed text so far plus Key, matched at the start of list texts.
    void Search(QChar Key);
    void ShowEnds();

    TLookupList* FList;
    QVector<TLookupRow> FRows;
    int FActiveRow = 0;
    bool FStale = true;
    bool FAtStart = true;
    bool FAtEnd = true;
    int FHotRow = -1;
    QVariant FSelectedKey;
    QString FSearchText;
};
