#include "platform/core/exceptions.h"
#include "xmllib/xmls.h"

#include <QtTest>

#include <memory>

namespace {

int Destroyed = 0;

// A node that counts its own destruction, so ownership can be observed.
class CountedNode : public TXMLNode {
public:
    explicit CountedNode(const std::string& Text) : TXMLNode(Text, false, nullptr) {}
    ~CountedNode() override { ++Destroyed; }
};

TXMLNode* Entry(const std::string& DisplayName)
{
    return new CountedNode(DisplayName.empty() ? "<entry/>" : "<entry name=\"" + DisplayName + "\"/>");
}

} // namespace

class DictionaryTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Destroyed = 0; }

    void entriesAreKeptInByteOrderOfTheirIds()
    {
        TXMLDictionary D;
        QCOMPARE(D.EntryCount(), 0);
        for (const char* Id : {"b", "B", "a", "10", "9", "", "\xC0"})
            D.AddEntry(Id, Entry(std::string("name of ") + Id));
        const char* Order[] = {"", "10", "9", "B", "a", "b", "\xC0"};
        QCOMPARE(D.EntryCount(), 7);
        for (int I = 0; I < 7; ++I) {
            QCOMPARE(D.GetEntryID(I), std::string(Order[I]));
            QCOMPARE(D.GetEntryName(I), std::string("name of ") + Order[I]);
            QCOMPARE(D.IndexOfEntry(Order[I]), I);
            QCOMPARE(D.FindEntry(Order[I]), D.GetEntryNode(I));
        }
        // Case-sensitive look-ups.
        QCOMPARE(D.FindEntry("A"), nullptr);
        QCOMPARE(D.IndexOfEntry("A"), -1);
        QCOMPARE(D.IndexOfEntry("c"), -1);

        D.AddEntry("nameless", Entry(""));
        QCOMPARE(D.GetEntryName(D.IndexOfEntry("nameless")), std::string());
        D.AddEntry("null", nullptr);
        QCOMPARE(D.GetEntryName(D.IndexOfEntry("null")), std::string());
        QCOMPARE(D.FindEntry("null"), nullptr);

        for (int Bad : {-1, D.EntryCount()}) {
            try {
                D.GetEntryID(Bad);
                QFAIL("read outside the entries");
            } catch (const EStringListError& E) {
                QCOMPARE(E.Message, std::string("SListIndexError"));
            }
            QVERIFY_THROWS_EXCEPTION(EStringListError, D.GetEntryNode(Bad));
            QVERIFY_THROWS_EXCEPTION(EStringListError, D.GetEntryName(Bad));
        }
        QCOMPARE(Destroyed, 0);
    }

    void theDictionaryOwnsItsNodes()
    {
        {
            TXMLDictionary D;
            TXMLNode* First = Entry("first");
            QCOMPARE(D.AddEntry("k", First), 0);
            QCOMPARE(D.AddEntry("m", Entry("other")), 1);

            // Adding an id again keeps its place, takes the new node and frees the old one.
            TXMLNode* Second = Entry("second");
            QCOMPARE(D.AddEntry("k", Second), 0);
            QCOMPARE(Destroyed, 1);
            QCOMPARE(D.EntryCount(), 2);
            QCOMPARE(D.FindEntry("k"), Second);
            // The same node again is neither freed nor stored twice.
            QCOMPARE(D.AddEntry("k", Second), 0);
            QCOMPARE(Destroyed, 1);
            QCOMPARE(D.GetEntryName(0), std::string("second"));

            // Replacing with the stored node changes nothing; an absent id is ignored
            // and the caller keeps its node.
            D.ReplaceEntry("k", Second);
            QCOMPARE(Destroyed, 1);
            std::unique_ptr<TXMLNode> Unused(Entry("unused"));
            D.ReplaceEntry("absent", Unused.get());
            QCOMPARE(D.EntryCount(), 2);
            QCOMPARE(Destroyed, 1);

            TXMLNode* Third = Entry("third");
            D.ReplaceEntry("k", Third);
            QCOMPARE(Destroyed, 2);
            QCOMPARE(D.FindEntry("k"), Third);
            QCOMPARE(D.IndexOfEntry("k"), 0);
        }
        // Freeing the dictionary frees both stored nodes and the caller's unused one.
        QCOMPARE(Destroyed, 5);
    }

    void deletingEntries()
    {
        TXMLDictionary D;
        D.AddEntry("a", Entry("A"));
        D.AddEntry("b", Entry("B"));
        D.AddEntry("c", Entry("C"));
        D.DeleteEntry("b");
        QCOMPARE(Destroyed, 1);
        QCOMPARE(D.EntryCount(), 2);
        QCOMPARE(D.GetEntryID(1), std::string("c"));
        QCOMPARE(D.GetEntryName(1), std::string("C"));

        for (const char* Absent : {"b", "B", ""}) {
            try {
                D.DeleteEntry(Absent);
                QFAIL("deleted an absent id");
            } catch (const Exception& E) {
                QCOMPARE(E.Message, std::string("ID ") + Absent + " not found in dictionary");
            }
        }
        QCOMPARE(D.EntryCount(), 2);
        QCOMPARE(Destroyed, 1);
        D.DeleteEntry("a");
        D.DeleteEntry("c");
        QCOMPARE(D.EntryCount(), 0);
        QCOMPARE(Destroyed, 3);
    }
};

QTEST_GUILESS_MAIN(DictionaryTest)
#include "dictionary_test.moc"
