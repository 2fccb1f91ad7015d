// TFastList: duplicate modes, byte order, errors that leave the list alone, growth,
// re-sorting after Put, numeric keys and object ownership.
#include "xmllib/strs.h"

#include "platform/core/exceptions.h"

#include <QtTest>

#include <algorithm>
#include <random>

namespace {

class TTracked : public TObject {
public:
    explicit TTracked(int* Freed) : FFreed(Freed) {}
    ~TTracked() override { ++*FFreed; }

private:
    int* FFreed;
};

std::string Joined(const TFastList& List)
{
    std::string s;
    for (int k = 0; k < List.Count(); ++k)
        AddDelimited(s, List[k], ",");
    return s;
}

template <typename Action>
std::string ListError(Action action)
{
    try {
        action();
    } catch (const EStringListError& e) {
        return e.Message;
    }
    return "no error";
}

} // namespace

class TestFastList : public QObject {
    Q_OBJECT

private slots:
    void duplicateModes();
    void byteOrderAndCase();
    void errorsLeaveListAlone();
    void growthAndStorage();
    void putOnSortedList();
    void numericKeys();
    void ownership();
};

void TestFastList::duplicateModes()
{
    TObject first, second;
    TFastList ignore;
    ignore.SetSorted(true);
    ignore.AddObject("b", &first);
    ignore.Add("a");
    QCOMPARE(ignore.AddObject("b", &second), 1);
    QCOMPARE(Joined(ignore), std::string("a,b"));
    QCOMPARE(ignore.GetObject(1), &second);

    TFastList error;
    error.FDuplicates = dmError;
    error.SetSorted(true);
    error.Add("a");
    error.Add("c");
    QCOMPARE(ListError([&] { error.Add("c"); }), std::string("SDuplicateString"));
    QCOMPARE(Joined(error), std::string("a,c"));

    // A new duplicate goes before the equal ones already present.
    TFastList accept;
    accept.FDuplicates = dmAccept;
    accept.SetSorted(true);
    for (const char* s : {"m", "a", "z", "m", "m"})
        accept.Add(s);
    accept.PutObject(1, &first);
    QCOMPARE(accept.Add("m"), 1);
    QCOMPARE(Joined(accept), std::string("a,m,m,m,m,z"));
    QCOMPARE(accept.GetObject(2), &first);
    int index = -1;
    QVERIFY(!accept.Find("n", index));
    QCOMPARE(index, 5);
}

void TestFastList::byteOrderAndCase()
{
    TFastList sorted;
    sorted.SetSorted(true);
    for (const char* s : {"b", "B", "a", "Z", "A", "z", "\xE0"})
        sorted.Add(s);
    QCOMPARE(Joined(sorted), std::string("A,B,Z,a,b,z,\xE0"));
    QCOMPARE(sorted.IndexOf("Z"), 2);
    QCOMPARE(sorted.IndexOf("q"), -1);
    sorted.Delete(3);
    QCOMPARE(sorted.IndexOf("A"), 0);
    QCOMPARE(sorted.IndexOf("a"), -1);

    TFastList unsorted;
    for (const char* s : {"Orders", "ORDER", "order", "\xB8"})
        unsorted.Add(s);
    QCOMPARE(unsorted.IndexOf("order"), 1);
    QCOMPARE(unsorted.IndexOf("ord"), -1);
    QCOMPARE(unsorted.IndexOf("\xA8"), 3);

    // Sort agrees with CompareOrdinal on many short strings, duplicates included.
    std::mt19937 random(147);
    std::vector<std::string> strings;
    for (int k = 0; k < 2000; ++k) {
        std::string s(random() % 6, ' ');
        for (char& ch : s)
            ch = "aAbZ\xE0\xB8"[random() % 6];
        strings.push_back(s);
    }
    TFastList list;
    for (const std::string& s : strings)
        list.Add(s);
    list.Sort();
    QVERIFY(!list.Sorted());
    std::sort(strings.begin(), strings.end(), [](const std::string& x, const std::string& y) { return CompareOrdinal(x, y) < 0; });
    for (int k = 0; k < list.Count(); ++k)
        QCOMPARE(list[k], strings[k]);
}

void TestFastList::errorsLeaveListAlone()
{
    TFastList list;
    list.Add("b");
    list.Add("a");
    QCOMPARE(ListError([&] { list.Get(2); }), std::string("SListIndexError"));
    QCOMPARE(ListError([&] { list.PutObject(-1, nullptr); }), std::string("SListIndexError"));
    QCOMPARE(ListError([&] { list.Put(2, "x"); }), std::string("SListIndexError"));
    QCOMPARE(ListError([&] { list.Delete(2); }), std::string("SListIndexError"));
    QCOMPARE(ListError([&] { list.Exchange(0, 2); }), std::string("SListIndexError"));
    QCOMPARE(ListError([&] { list.Insert(3, "x"); }), std::string("SListIndexError"));
    QCOMPARE(Joined(list), std::string("b,a"));
    list.Insert(2, "c");
    list.SetSorted(true);
    QCOMPARE(Joined(list), std::string("a,b,c"));
    QCOMPARE(ListError([&] { list.Insert(0, "0"); }), std::string("SSortedListError"));
    QCOMPARE(Joined(list), std::string("a,b,c"));
}

void TestFastList::growthAndStorage()
{
    TFastList list;
    QList<int> seen;
    for (int k = 0; k < 147; ++k) {
        list.Add(std::to_string(k));
        if (seen.isEmpty() || seen.last() != list.GetCapacity())
            seen << list.GetCapacity();
    }
    QCOMPARE(seen, (QList<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
    QCOMPARE(list[146], std::string("146"));
    list.Clear();
    QCOMPARE(list.GetCapacity(), 0);

    TObject a, b;
    TFastList items;
    items.SetCapacity(10);
    items.Clear();
    QCOMPARE(items.GetCapacity(), 10);
    items.AddObject("a", &a);
    items.AddObject("b", &b);
    items.Insert(1, "x");
    items.Exchange(0, 2);
    QCOMPARE(Joined(items), std::string("b,x,a"));
    QCOMPARE(items.GetObject(0), &b);
    QCOMPARE(items.GetObject(1), nullptr);
    items.Delete(0);
    QCOMPARE(items.GetObject(1), &a);
    items.Delete(1);
    items.Add("y");
    QCOMPARE(items.GetObject(1), nullptr);

    // One of the list's own strings inserted while the list has to grow.
    TFastList self;
    for (const char* s : {"p", "q", "r", "s"})
        self.Add(s);
    self.Insert(0, self.FItems[3].FString);
    QCOMPARE(Joined(self), std::string("s,p,q,r,s"));
}

void TestFastList::putOnSortedList()
{
    TObject object;
    TFastList list;
    list.SetSorted(true);
    for (const char* s : {"b", "c", "d"})
        list.Add(s);
    list.PutObject(0, &object);
    list.Put(0, "zz");
    QCOMPARE(Joined(list), std::string("c,d,zz"));
    QCOMPARE(list.GetObject(2), &object);
    list.Put(0, "d");
    QCOMPARE(Joined(list), std::string("c,d,zz"));
    list.FDuplicates = dmError;
    QCOMPARE(ListError([&] { list.Put(0, "zz"); }), std::string("SDuplicateString"));
    list.Put(1, "d");
    QCOMPARE(Joined(list), std::string("c,d,zz"));

    // Unsorted: Put stores where it is told.
    TFastList plain;
    plain.Add("a");
    plain.Add("b");
    plain.Put(1, "A");
    QCOMPARE(Joined(plain), std::string("a,A"));
}

void TestFastList::numericKeys()
{
    TFastList list;
    list.FNumericKeys = true;
    for (const char* s : {"10", "9", "-1", "2147483647", "-2147483648", "100"})
        list.Add(s);
    list.SetSorted(true);
    QCOMPARE(Joined(list), std::string("-2147483648,-1,9,10,100,2147483647"));
    QCOMPARE(list.IndexOf(" 10"), 3);
    QCOMPARE(list.Add("50"), 4);
    QVERIFY_THROWS_EXCEPTION(EConvertError, list.Add("ten"));
    QVERIFY_THROWS_EXCEPTION(EConvertError, list.Put(0, "x"));
    QCOMPARE(list.Count(), 7);

    TFastList empty;
    empty.FNumericKeys = true;
    empty.SetSorted(true);
    QVERIFY_THROWS_EXCEPTION(EConvertError, empty.Add("x"));
    QCOMPARE(empty.Count(), 0);

    TFastList unsorted;
    unsorted.FNumericKeys = true;
    for (const char* s : {"3", "2", "1", "x", "0"})
        unsorted.Add(s);
    QVERIFY_THROWS_EXCEPTION(EConvertError, unsorted.SetSorted(true));
    QCOMPARE(Joined(unsorted), std::string("3,2,1,x,0"));
}

void TestFastList::ownership()
{
    int freed = 0;
    TTracked* kept = new TTracked(&freed);
    {
        TFastList owning;
        owning.FOwnsObjects = true;
        owning.AddObject("a", new TTracked(&freed));
        owning.AddObject("b", nullptr);
        owning.AddObject("c", kept);
        owning.Delete(2);
        QCOMPARE(freed, 0);
    }
    QCOMPARE(freed, 1);
    delete kept;

    freed = 0;
    TTracked* cleared = new TTracked(&freed);
    {
        TFastList owning;
        owning.FOwnsObjects = true;
        owning.AddObject("a", cleared);
        owning.Clear();
    }
    QCOMPARE(freed, 0);
    delete cleared;
}

QTEST_GUILESS_MAIN(TestFastList)
#include "fastlist_test.moc"
