// The cache of changes on its own: how changes of one record combine, which stored
// rows they hide, and the marks an apply leaves.
#include "platform/data/update_cache.h"

#include <QtTest>

namespace {

// Column 0 is the key, column 1 a value.
QVector<QVariant> Row(const QVariant& key, const QString& value = QString()) { return {key, value}; }

} // namespace

class UpdateCacheTest : public QObject {
    Q_OBJECT

    TUpdateCache cache;

private slots:
    void init()
    {
        cache = TUpdateCache();
        cache.SetKeyColumns({0});
    }

    void anInsertEditedStaysAnInsertAndDeletedVanishes()
    {
        const int id = cache.Add(ukInsert, {}, Row(7, "new"), -1);
        QVERIFY(id > 0);
        QVERIFY(!cache.HidesRows());
        QCOMPARE(cache.Add(ukModify, Row(7, "new"), Row(8, "edited"), id), id);
        QCOMPARE(cache.Entries().size(), size_t(1));
        QCOMPARE(cache.Find(id)->Kind, ukInsert);
        QCOMPARE(cache.Find(id)->NewValues, Row(8, "edited"));
        QVERIFY(cache.Find(id)->OldValues.isEmpty());
        QVERIFY(!cache.Hides(Row(7)));
        QCOMPARE(cache.Add(ukDelete, Row(8, "edited"), {}, id), -1);
        QVERIFY(cache.Empty());
        QVERIFY(!cache.Find(id));
    }

    void anEditKeepsTheStoredValuesAndHidesTheStoredRow()
    {
        const int id = cache.Add(ukModify, Row(3, "stored"), Row(3, "first"), -1);
        QVERIFY(cache.Hides(Row(3, "anything")));
        QVERIFY(!cache.Hides(Row(4, "stored")));
        // Edited again, moved to another key: still the one entry, still the stored row's.
        QCOMPARE(cache.Add(ukModify, Row(3, "first"), Row(9, "second"), id), id);
        QCOMPARE(cache.Entries().size(), size_t(1));
        QCOMPARE(cache.Find(id)->OldValues, Row(3, "stored"));
        QCOMPARE(cache.Find(id)->NewValues, Row(9, "second"));
        QVERIFY(cache.Hides(Row(3)));
        QVERIFY(!cache.Hides(Row(9)));
        // Then deleted: a delete of the row as stored.
        QCOMPARE(cache.Add(ukDelete, Row(9, "second"), {}, id), id);
        QCOMPARE(cache.Find(id)->Kind, ukDelete);
        QCOMPARE(cache.Find(id)->OldValues, Row(3, "stored"));
        QVERIFY(cache.Find(id)->NewValues.isEmpty());
        QVERIFY(cache.Hides(Row(3)));
    }

    void aDeleteOfAStoredRowHidesIt()
    {
        const int id = cache.Add(ukDelete, Row(5, "stored"), {}, -1);
        QVERIFY(id > 0);
        QCOMPARE(cache.Find(id)->Kind, ukDelete);
        QVERIFY(cache.HidesRows());
        QVERIFY(cache.Hides(Row(5)));
        QVERIFY(!cache.Hides(Row(6)));
    }

    void identitiesAreTheKeyColumnsWhateverTheirForm()
    {
        // Numbers of any width are one value; text and null are apart from them.
        QCOMPARE(cache.Identity(Row(1)), cache.Identity(Row(1.0)));
        QCOMPARE(cache.Identity(Row(qlonglong(1))), cache.Identity(Row(1.0f)));
        QVERIFY(cache.Identity(Row(1)) != cache.Identity(Row(2)));
        QVERIFY(cache.Identity(Row("1")) != cache.Identity(Row(1)));
        QVERIFY(cache.Identity(Row(QVariant())) != cache.Identity(Row("")));
        QVERIFY(cache.Identity(Row(QVariant())) != cache.Identity(Row(0)));
        // Only the key columns count.
        QCOMPARE(cache.Identity(Row(1, "a")), cache.Identity(Row(1, "b")));
        cache.SetKeyColumns({0, 1});
        QVERIFY(cache.Identity(Row(1, "a")) != cache.Identity(Row(1, "b")));
        cache.Add(ukModify, Row(1, "a"), Row(1, "c"), -1);
        QVERIFY(cache.Hides(Row(1.0, "a")));
        QVERIFY(!cache.Hides(Row(1, "b")));
    }

    void idsAreNeverUsedTwice()
    {
        const int first = cache.Add(ukInsert, {}, Row(1), -1);
        const int second = cache.Add(ukModify, Row(2), Row(2, "x"), -1);
        QVERIFY(second > first);
        cache.Clear();
        QVERIFY(cache.Empty());
        QVERIFY(!cache.Hides(Row(2)));
        // A record read before the clear still names its old entry; it must find nothing.
        const int third = cache.Add(ukInsert, {}, Row(3), -1);
        QVERIFY(third > second);
        QVERIFY(!cache.Find(first));
        QVERIFY(!cache.Find(second));
        QCOMPARE(cache.Add(ukModify, Row(2), Row(2, "y"), second), third + 1);
        QCOMPARE(cache.Entries().size(), size_t(2));
    }

    void applyMarksFollowTheOrderOfChangesAndResetAfterAFailure()
    {
        const int a = cache.Add(ukModify, Row(1), Row(1, "a"), -1);
        const int b = cache.Add(ukInsert, {}, Row(2), -1);
        const int c = cache.Add(ukDelete, Row(3), {}, -1);
        cache.Add(ukModify, Row(1, "a"), Row(1, "again"), a); // a later change keeps its place
        QCOMPARE(cache.Pending(), (std::vector<int>{a, b, c}));
        cache.MarkApplied(a);
        cache.MarkSkipped(b);
        QCOMPARE(cache.Pending(), std::vector<int>{c});
        QVERIFY(cache.Find(a)->Applied && !cache.Find(a)->Skipped);
        QVERIFY(cache.Find(b)->Skipped && !cache.Find(b)->Applied);
        // The apply failed at c: the next one writes everything again.
        cache.ResetApplyMarks();
        QCOMPARE(cache.Pending(), (std::vector<int>{a, b, c}));
        QVERIFY(!cache.Find(a)->Applied && !cache.Find(b)->Skipped);
        // Marks of an entry that is gone are ignored.
        cache.MarkApplied(999);
        QCOMPARE(cache.Pending().size(), size_t(3));
    }
};

QTEST_GUILESS_MAIN(UpdateCacheTest)
#include "update_cache_test.moc"
