// The window of records over the storage's order (record_window.h).
#include "platform/data/record_window.h"

#include "platform/data/key_values.h"

#include <algorithm>
#include <utility>
#include <vector>

QVector<QVariant> TRecordOrder::Key(const QVector<QVariant>& values) const
{
    QVector<QVariant> key;
    key.reserve(Columns.size());
    for (int c : Columns)
        key << values.value(c);
    return key;
}

int TRecordOrder::Compare(const QVector<QVariant>& a, const QVector<QVariant>& b) const
{
    for (int i = 0; i < a.size() && i < b.size(); ++i)
        if (int c = CompareValues(a[i], b[i]))
            return Desc.value(i) ? -c : c;
    return 0;
}

void TRecordWindow::Clear()
{
    FRecs.clear();
    FCur = -1;
    FAtStart = FAtEnd = false;
    FBof = FEof = true;
    FStale = false;
}

void TRecordWindow::MarkStale()
{
    Clear();
    FStale = true;
}

void TRecordWindow::Reset()
{
    FStale = false;
    FFetchCount = FSource.PageSize();
    FRecs.clear();
    FCur = -1;
    FAtStart = true;
    FAtEnd = false;
    Fetch(true);
    FCur = FRecs.empty() ? -1 : 0;
    FBof = true;
    FEof = FRecs.empty();
}

// Stored rows that a cached change replaces are skipped; cached records whose keys fall
// in the page's range are merged in by key. A page whose rows are all hidden reads on.
bool TRecordWindow::Fetch(bool forward, const QVector<QVariant>* startKey, bool inclusive)
{
    if (!startKey && (forward ? FAtEnd : FAtStart))
        return false;
    QVector<QVariant> k;
    const QVector<QVariant>* key = nullptr;
    if (startKey) {
        k = *startKey;
        key = &k;
    } else if (!FRecs.empty()) {
        k = FOrder.Key(forward ? FRecs.back().Values : FRecs.front().Values);
        key = &k;
    }
    const int dir = forward ? 1 : -1;
    for (;;) {
        const int pageSize = FSource.PageSize();
        const int count = std::max(1, std::min(FFetchCount, pageSize));
        FFetchCount = std::min(pageSize, count * 2);
        QVector<QVector<QVariant>> rows = FSource.ReadRows(key, forward, inclusive, count);
        const bool exhausted = rows.size() < count;
        // Where this page ends in the order; an exhausted page reaches the view's end.
        QVector<QVariant> limit = exhausted ? QVector<QVariant>() : FOrder.Key(rows.last());
        std::vector<std::pair<QVector<QVariant>, int>> got;
        for (const auto& r : rows)
            if (!FCache.Hides(r))
                got.emplace_back(r, -1);
        for (const auto& [id, e] : FCache.Entries()) {
            if (e.Kind == ukDelete || !FSource.InView(e.NewValues))
                continue;
            QVector<QVariant> vk = FOrder.Key(e.NewValues);
            if (key && FOrder.Compare(vk, *key) * dir < (inclusive ? 0 : 1))
                continue;
            if (!exhausted && FOrder.Compare(vk, limit) * dir > 0)
                continue;
            got.emplace_back(e.NewValues, id);
        }
        if (!FCache.Empty() && !got.empty())
            std::stable_sort(got.begin(), got.end(), [&](const auto& a, const auto& b) {
                int c = FOrder.Compare(FOrder.Key(a.first), FOrder.Key(b.first));
                if (c == 0) // a cached record comes before a stored one of the same key
                    return forward ? (a.second >= 0 && b.second < 0) : (a.second < 0 && b.second >= 0);
                return forward ? c < 0 : c > 0;
            });
        for (const auto& [values, entry] : got) {
            if (forward) {
                FRecs.push_back(FSource.MakeRecord(values, entry));
            } else {
                FRecs.push_front(FSource.MakeRecord(values, entry));
                ++FCur;
            }
        }
        if (exhausted)
            (forward ? FAtEnd : FAtStart) = true;
        if (!got.empty() || exhausted)
            return !got.empty();
        k = limit;
        key = &k;
        inclusive = false;
    }
}

void TRecordWindow::PlaceAt(const TRecord& rec, bool reread)
{
    FStale = false;
    // Moving on from a single known record reads small pages first.
    FFetchCount = std::min(FSource.PageSize(), 4);
    const QVector<QVariant> key = FOrder.Key(rec.Values);
    if (!reread && FSource.InView(rec.Values)) {
        // The window starts as just this record and grows on demand.
        FRecs.clear();
        FRecs.push_back(FSource.MakeRecord(rec.Values, rec.Entry));
        FCur = 0;
        FAtStart = FAtEnd = false;
        FBof = FEof = false;
        return;
    }
    FRecs.clear();
    FCur = -1;
    FAtStart = FAtEnd = false;
    Fetch(true, &key, true);
    if (FRecs.empty()) {
        // Nothing at or after it: the last record of the view.
        FAtEnd = true;
        Fetch(false);
    }
    if (FRecs.empty())
        FCur = -1;
    else if (FAtEnd && FOrder.Compare(FOrder.Key(FRecs.front().Values), key) < 0)
        FCur = Size() - 1;
    else
        FCur = 0;
    FBof = FEof = FRecs.empty();
}

void TRecordWindow::First()
{
    if (FAtStart && !FRecs.empty())
        FCur = 0;
    else
        Reset();
    FBof = true;
    FEof = FRecs.empty();
}

void TRecordWindow::Last()
{
    if (!FAtEnd) {
        FRecs.clear();
        FCur = -1;
        FAtEnd = true;
        FAtStart = false;
        Fetch(false);
    }
    FCur = Size() - 1;
    FEof = true;
    FBof = FRecs.empty();
}

int TRecordWindow::MoveBy(int distance)
{
    FBof = FEof = false;
    int moved = 0;
    while (moved != distance) {
        if (distance > 0) {
            if (FCur + 1 >= Size() && !Fetch(true)) {
                FEof = true;
                break;
            }
            ++FCur;
            ++moved;
        } else {
            if (FCur == 0 && !Fetch(false)) {
                FBof = true;
                break;
            }
            --FCur;
            --moved;
        }
    }
    // Keep memory bounded when scrolling through a large table.
    const int keep = FSource.PageSize() * 8;
    if (Size() > keep * 2) {
        while (FCur > keep) {
            FRecs.pop_front();
            --FCur;
            FAtStart = false;
        }
        while (Size() - FCur > keep) {
            FRecs.pop_back();
            FAtEnd = false;
        }
    }
    return moved;
}

void TRecordWindow::RemoveCurrent()
{
    const QVector<QVariant> gone = FOrder.Key(FRecs[FCur].Values);
    FRecs.erase(FRecs.begin() + FCur);
    if (FCur >= Size()) {
        if (FRecs.empty()) {
            FCur = -1;
            if (Fetch(true, &gone, false)) {
                FCur = 0;
            } else {
                FAtEnd = true;
                Fetch(false, &gone, false);
                FCur = Size() - 1;
            }
        } else if (!Fetch(true)) {
            FCur = Size() - 1;
        }
    }
    FBof = FEof = FRecs.empty();
}
