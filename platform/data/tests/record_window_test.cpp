// The window of records over a fake storage: rows held in memory and read a page at a
// time in the window's order, as a table seeks on its key. Every walk is checked
// against the view worked out here from the rows and the cache of changes.
#include "platform/data/record_window.h"

#include <QtTest>

#include <algorithm>

namespace {

// Column 0 is the key, column 1 the master a row belongs to, column 2 a text.
using Row = QVector<QVariant>;

Row R(double key, int master = 1, const QString& text = QString()) { return Row{key, master, text}; }

struct FakeStorage : TRecordSource {
    QVector<Row> Rows;
    TRecordOrder Order{{0}, {}};
    int Page = 3;
    int Master = 1;
    int Reads = 0;

    QVector<Row> ReadRows(const QVector<QVariant>* key, bool forward, bool inclusive, int count) override
    {
        ++Reads;
        QVector<Row> sorted = Rows;
        std::stable_sort(sorted.begin(), sorted.end(), [&](const Row& a, const Row& b) {
            return Order.Compare(Order.Key(a), Order.Key(b)) < 0;
        });
        if (!forward)
            std::reverse(sorted.begin(), sorted.end());
        QVector<Row> out;
        for (const Row& r : sorted) {
            if (!InView(r))
                continue;
            if (key) {
                int c = Order.Compare(Order.Key(r), *key) * (forward ? 1 : -1);
                if (c < 0 || (c == 0 && !inclusive))
                    continue;
            }
            if (out.size() == count)
                break;
            out << r;
        }
        return out;
    }
    bool InView(const QVector<QVariant>& values) const override { return values.value(1).toInt() == Master; }
    TRecord MakeRecord(const QVector<QVariant>& values, int entry) override { return TRecord{values, {}, entry}; }
    int PageSize() const override { return Page; }
};

QVector<double> Keys(const TRecordWindow& w)
{
    QVector<double> keys;
    for (int i = 0; i < w.Size(); ++i)
        keys << w.At(i).Values[0].toDouble();
    return keys;
}

double CurrentKey(const TRecordWindow& w)
{
    return w.Current() ? w.Current()->Values[0].toDouble() : -1;
}

// The window holds a run of the view without gaps, and its ends are the view's ends
// when it says so.
void CheckWindow(const TRecordWindow& w, const QVector<double>& view)
{
    const QVector<double> keys = Keys(w);
    if (keys.isEmpty()) {
        QCOMPARE(w.Cur(), -1);
        return;
    }
    QVERIFY(w.Cur() >= 0 && w.Cur() < w.Size());
    const int at = int(view.indexOf(keys.first()));
    QVERIFY2(at >= 0, "the window starts outside the view");
    QCOMPARE(keys, view.mid(at, keys.size()));
    if (w.AtStart())
        QCOMPARE(at, 0);
    if (w.AtEnd())
        QCOMPARE(at + keys.size(), view.size());
}

// Walks from the first record to the last and back, checking the window on each step.
void CheckWalks(TRecordWindow& w, const QVector<double>& view)
{
    QVector<double> seen;
    w.Clear(); // read anew: the cache may have changed since
    w.First();
    if (view.isEmpty()) {
        QVERIFY(w.Empty());
        return;
    }
    seen << CurrentKey(w);
    while (w.MoveBy(1) == 1) {
        CheckWindow(w, view);
        seen << CurrentKey(w);
    }
    QVERIFY(w.Eof());
    QCOMPARE(seen, view);
    seen.clear();
    w.Last();
    seen.prepend(CurrentKey(w));
    while (w.MoveBy(-1) == -1) {
        CheckWindow(w, view);
        seen.prepend(CurrentKey(w));
    }
    QVERIFY(w.Bof());
    QCOMPARE(seen, view);
}

QVector<double> Range(int from, int to)
{
    QVector<double> v;
    for (int i = from; i <= to; ++i)
        v << i;
    return v;
}

} // namespace

class RecordWindowTest : public QObject {
    Q_OBJECT

    FakeStorage storage;
    TUpdateCache cache;
    std::unique_ptr<TRecordWindow> window;

private slots:
    void init()
    {
        storage = FakeStorage();
        for (int i = 1; i <= 20; ++i)
            storage.Rows << R(i);
        storage.Rows << R(5.5, 2) << R(30, 2); // another master's rows
        cache = TUpdateCache();
        cache.SetKeyColumns({0});
        window = std::make_unique<TRecordWindow>(storage, cache);
        window->SetOrder(storage.Order);
    }

    void pagesAreReadOnDemandInBothDirections()
    {
        window->Reset();
        QCOMPARE(Keys(*window), Range(1, 3));
        QVERIFY(window->Bof());
        QVERIFY(!window->Eof());
        QCOMPARE(window->MoveBy(5), 5);
        QCOMPARE(CurrentKey(*window), 6.0);
        CheckWindow(*window, Range(1, 20));
        QCOMPARE(window->MoveBy(100), 14);
        QVERIFY(window->Eof());
        QVERIFY(window->AtEnd());
        QCOMPARE(window->MoveBy(-100), -19);
        QVERIFY(window->Bof());
        QCOMPARE(CurrentKey(*window), 1.0);
        CheckWalks(*window, Range(1, 20));
        // The last record is reached without reading the ones before it.
        window->Reset();
        storage.Reads = 0;
        window->Last();
        QCOMPARE(CurrentKey(*window), 20.0);
        QCOMPARE(storage.Reads, 1);
        QVERIFY(!window->AtStart());
        CheckWindow(*window, Range(1, 20));
    }

    void longWalksKeepTheWindowBoundedAndWhole()
    {
        storage.Rows.clear();
        for (int i = 1; i <= 200; ++i)
            storage.Rows << R(i);
        storage.Page = 2;
        window->Reset();
        for (int i = 1; i < 200; ++i) {
            QCOMPARE(window->MoveBy(1), 1);
            QVERIFY(window->Size() <= 2 * 8 * storage.Page);
        }
        QVERIFY(!window->AtStart()); // the start was let go
        CheckWindow(*window, Range(1, 200));
        QCOMPARE(window->MoveBy(-199), -199);
        QCOMPARE(CurrentKey(*window), 1.0);
        CheckWindow(*window, Range(1, 200));
    }

    void aCachedInsertTakesItsPlaceInTheOrder()
    {
        const int id = cache.Add(ukInsert, {}, R(7.5), -1);
        cache.Add(ukInsert, {}, R(0.5), -1);
        cache.Add(ukInsert, {}, R(25), -1);
        cache.Add(ukInsert, {}, R(8.5, 2), -1); // under another master: not in this view
        QVector<double> view = Range(1, 20);
        view.insert(7, 7.5);
        view.prepend(0.5);
        view.append(25);
        CheckWalks(*window, view);
        window->First();
        window->MoveBy(8);
        QCOMPARE(CurrentKey(*window), 7.5);
        QCOMPARE(window->Current()->Entry, id);
        window->MoveBy(1);
        QCOMPARE(window->Current()->Entry, -1);
        // Placed at the cached record itself, the window reads on either side of it once.
        window->PlaceAt(TRecord{R(7.5), {}, id}, false);
        QCOMPARE(window->MoveBy(1), 1);
        QCOMPARE(CurrentKey(*window), 8.0);
        QCOMPARE(window->MoveBy(-2), -2);
        QCOMPARE(CurrentKey(*window), 7.0);
        CheckWindow(*window, view);
    }

    void cachedDeletesAndEditsHideTheStoredRows()
    {
        for (int k : {4, 5, 6, 7}) // more than a page: reading goes on past it
            cache.Add(ukDelete, R(k), {}, -1);
        const int edit = cache.Add(ukModify, R(2), R(12.5, 1, "moved"), -1);
        QVector<double> view{1, 3, 8, 9, 10, 11, 12, 12.5, 13, 14, 15, 16, 17, 18, 19, 20};
        CheckWalks(*window, view);
        window->First();
        window->MoveBy(7);
        QCOMPARE(window->Current()->Entry, edit);
        QCOMPARE(window->Current()->Values[2].toString(), QString("moved"));
        // Edited out of this master's view, the row leaves it altogether.
        cache.Add(ukModify, R(12.5), R(12.5, 2), edit);
        view.removeAll(12.5);
        CheckWalks(*window, view);
    }

    void onAnEqualKeyTheCachedRecordComesFirst()
    {
        // A cached record whose key equals a stored row that it does not replace.
        const int id = cache.Add(ukInsert, {}, R(10, 1, "cached"), -1);
        window->First();
        QVector<int> entries;
        do {
            if (CurrentKey(*window) == 10.0)
                entries << window->Current()->Entry;
        } while (window->MoveBy(1) == 1);
        QCOMPARE(entries, (QVector<int>{id, -1}));
        entries.clear();
        window->Last();
        do {
            if (CurrentKey(*window) == 10.0)
                entries.prepend(window->Current()->Entry);
        } while (window->MoveBy(-1) == -1);
        QCOMPARE(entries, (QVector<int>{id, -1}));
    }

    void aDescendingOrderIsWalkedFromTheHighestKey()
    {
        storage.Order = TRecordOrder{{0}, {true}};
        window->SetOrder(storage.Order);
        cache.Add(ukInsert, {}, R(7.5), -1);
        QVector<double> view = Range(1, 20);
        view.insert(7, 7.5);
        std::reverse(view.begin(), view.end());
        CheckWalks(*window, view);
    }

    void placingAKnownRecordReadsAroundItOnDemand()
    {
        window->Reset();
        storage.Reads = 0;
        window->PlaceAt(TRecord{R(12), {}, -1}, false);
        QCOMPARE(Keys(*window), QVector<double>{12});
        QCOMPARE(storage.Reads, 0);
        QVERIFY(!window->Bof() && !window->Eof());
        QCOMPARE(window->MoveBy(-1), -1);
        QCOMPARE(CurrentKey(*window), 11.0);
        QCOMPARE(window->MoveBy(3), 3);
        QCOMPARE(CurrentKey(*window), 14.0);
        CheckWindow(*window, Range(1, 20));
        CheckWalks(*window, Range(1, 20));
    }

    void placingAtAKeyThatIsGoneShowsTheNextRecordOrTheLast()
    {
        window->PlaceAt(TRecord{R(6.5), {}, -1}, true);
        QCOMPARE(CurrentKey(*window), 7.0);
        CheckWindow(*window, Range(1, 20));
        window->PlaceAt(TRecord{R(99), {}, -1}, true);
        QCOMPARE(CurrentKey(*window), 20.0);
        QVERIFY(window->AtEnd());
        CheckWindow(*window, Range(1, 20));
        // A known record of another master is not shown: the window is read at its key.
        window->PlaceAt(TRecord{R(5.5, 2), {}, -1}, false);
        QCOMPARE(CurrentKey(*window), 6.0);
        // Nothing in the view at all.
        storage.Master = 3;
        window->PlaceAt(TRecord{R(4), {}, -1}, true);
        QVERIFY(window->Empty());
        QVERIFY(window->Bof() && window->Eof());
    }

    void removingARecordMovesToTheNextOrTheOneBefore()
    {
        window->PlaceAt(TRecord{R(10), {}, -1}, false);
        cache.Add(ukDelete, R(10), {}, -1);
        window->RemoveCurrent();
        QCOMPARE(CurrentKey(*window), 11.0);
        window->Last();
        cache.Add(ukDelete, R(20), {}, -1);
        window->RemoveCurrent();
        QCOMPARE(CurrentKey(*window), 19.0);
        QVector<double> view = Range(1, 19);
        view.removeAll(10);
        CheckWalks(*window, view);
        // The only record of the view.
        storage.Master = 2;
        window->PlaceAt(TRecord{R(30, 2), {}, -1}, true);
        cache.Add(ukDelete, R(30, 2), {}, -1);
        window->RemoveCurrent();
        QCOMPARE(CurrentKey(*window), 5.5);
        cache.Add(ukDelete, R(5.5, 2), {}, -1);
        window->RemoveCurrent();
        QVERIFY(window->Empty());
        QVERIFY(window->Bof() && window->Eof());
    }

    void aStaleWindowHoldsNothingUntilReadAgain()
    {
        window->Reset();
        window->MoveBy(4);
        window->MarkStale();
        QVERIFY(window->Stale());
        QVERIFY(window->Empty());
        QVERIFY(!window->Current());
        storage.Master = 2;
        window->Reset();
        QVERIFY(!window->Stale());
        QCOMPARE(Keys(*window), (QVector<double>{5.5, 30}));
        QVERIFY(window->AtEnd());
        window->Clear();
        QVERIFY(window->Empty() && window->Bof() && window->Eof());
    }
};

QTEST_GUILESS_MAIN(RecordWindowTest)
#include "record_window_test.moc"
