// What an element can take and give up under its schema: the slots of sequences,
// choices and all groups, where an added element goes, new elements with their
// required content, which elements may be removed, and the rows of all groups.
#include "inspector/xsd_rules.h"
#include "inspector/xsd_structure.h"

#include "inspector/tests/schemadoc.h"

#include <QtTest>

namespace {

QString Str(const std::string& S)
{
    return QString::fromStdString(S);
}

QString Children(TXMLNode* E)
{
    QStringList Names;
    for (TXMLNode* C : *E->Children)
        Names << Str(C->Name);
    return Names.join(",");
}

QStringList RowNames(TXMLNode* Declaration, TXMLNode* Element, bool InsertMissing = true)
{
    QStringList Names;
    int Position = 0;
    EnumSchemaRows(
        Declaration, Element, Position, nullptr,
        [&Names](TXMLNode* Node, TXMLNode* D) {
            Names << Str(D->GetAttribute("name")) + (Node->GetText().empty() ? "" : "=" + Str(Node->GetText()));
        },
        InsertMissing);
    return Names;
}

// The open slots by name, each with where one more would go.
QStringList Open(TXMLNode* Declaration, TXMLNode* Element)
{
    QStringList Result;
    for (const TElementSlot& Slot : ElementSlots(Declaration, Element))
        if (Slot.Open)
            Result << Str(Slot.Name) + "@" + QString::number(Slot.InsertIndex);
    return Result;
}

// The first declaration below Node whose Attribute is Value.
TXMLNode* Declared(TXMLNode* Node, const std::string& Value, const std::string& Attribute = "name")
{
    for (int I = 0; I < Node->ChildCount(); ++I) {
        TXMLNode* C = Node->Child(I);
        if (C->Kind != nkElement)
            continue;
        if (C->GetAttribute(Attribute) == Value)
            return C;
        if (TXMLNode* Found = Declared(C, Value, Attribute))
            return Found;
    }
    return nullptr;
}

TXMLNode* Member(TXMLNode* Schema, const std::string& Name)
{
    return Declared(Schema, Name);
}

const char* const Order =
    "<@element name=\"R\"><@complexType><@sequence>"
    "<@element name=\"A\" minOccurs=\"0\" type=\"@string\"/>"
    "<@element name=\"B\" type=\"@string\" default=\"b0\"/>"
    "<@element name=\"C\" minOccurs=\"0\" maxOccurs=\"2\" type=\"@string\"/>"
    "<@choice><@element name=\"X\" type=\"@string\"/><@element name=\"Y\" type=\"@string\"/></@choice>"
    "<@sequence minOccurs=\"0\"><@element name=\"G\" type=\"@string\"/></@sequence>"
    "</@sequence><@attribute name=\"id\" type=\"@string\"/></@complexType></@element>";

const char* const Cron =
    "<@complexType name=\"CronType\"><@all>"
    "<@element name=\"url\" type=\"@string\"/>"
    "<@element name=\"description\" type=\"@string\" minOccurs=\"0\"/>"
    "<@element name=\"schedule\" type=\"@string\"/>"
    "<@element name=\"timezone\" type=\"@string\" minOccurs=\"0\"/>"
    "</@all></@complexType>"
    "<@element name=\"cron\" type=\"CronType\"/>";

} // namespace

class StructureRulesTest : public QObject {
    Q_OBJECT
private slots:
    void sequenceSlotsOpenAndFill_data()
    {
        QTest::addColumn<QString>("Prefix");
        QTest::newRow("xsd:") << "xsd:";
        QTest::newRow("xs:") << "xs:";
    }

    void sequenceSlotsOpenAndFill()
    {
        QFETCH(QString, Prefix);
        Doc S = Schema(Prefix.toStdString(), Order);
        TXMLNode* R = S->Child(0);
        Doc X = Xml("<R><B/></R>");
        // B is full; the optional elements and both alternatives of the empty choice
        // are open, each where the schema places it.
        QCOMPARE(Open(R, X.get()), QStringList({"A@0", "C@1", "X@1", "Y@1", "G@1"}));
        std::vector<TElementSlot> Slots = ElementSlots(R, X.get());
        QCOMPARE(int(Slots.size()), 6);
        QVERIFY(!Slots[0].Required && Slots[1].Required && !Slots[2].Required);
        QVERIFY(Slots[3].Required && Slots[4].Required);
        QVERIFY(!Slots[5].Required);  // inside an optional sequence
        QCOMPARE(int(Slots[1].Occurrences.size()), 1);

        QVERIFY(AddSchemaElement(R, X.get(), Member(S.get(), "A")) == X->Child(0));
        QCOMPARE(Children(X.get()), QString("A,B"));
        // A repeated element up to its maxOccurs and no further.
        QVERIFY(AddSchemaElement(R, X.get(), Member(S.get(), "C")));
        QVERIFY(AddSchemaElement(R, X.get(), Member(S.get(), "C")));
        QVERIFY(!AddSchemaElement(R, X.get(), Member(S.get(), "C")));
        QCOMPARE(Children(X.get()), QString("A,B,C,C"));
        // The other alternative closes once one is there, although the element
        // already held other content.
        TXMLNode* Y = AddSchemaElement(R, X.get(), Member(S.get(), "Y"));
        QVERIFY(Y && Y->Parent == X.get());
        QVERIFY(!AddSchemaElement(R, X.get(), Member(S.get(), "X")));
        QVERIFY(AddSchemaElement(R, X.get(), Member(S.get(), "G")));
        QCOMPARE(Children(X.get()), QString("A,B,C,C,Y,G"));
        QCOMPARE(Open(R, X.get()), QStringList());
        // Every element added has its row, in schema order, and nothing is missing.
        QCOMPARE(RowNames(R, X.get()), QStringList({"A", "B", "C", "C", "Y", "G", "id"}));
        QCOMPARE(Children(X.get()), QString("A,B,C,C,Y,G"));
    }

    void removalKeepsWhatIsRequired()
    {
        Doc S = Schema("xsd:", Order);
        TXMLNode* R = S->Child(0);
        Doc X = Xml("<R><A/><B/><C/><Y/><G/><Stray/></R>");
        const auto Removable = [&](int Index) { return CanRemoveElement(R, X.get(), X->Child(Index)); };
        QVERIFY(Removable(0));   // optional
        QVERIFY(!Removable(1));  // required, at its minimum
        QVERIFY(Removable(2));
        QVERIFY(!Removable(3));  // the one alternative of a required choice
        QVERIFY(Removable(4));   // in an optional sequence
        QVERIFY(Removable(5));   // no place in the schema: nothing requires it
        std::vector<TElementSlot> Slots = ElementSlots(R, X.get());
        QVERIFY(SlotOf(Slots, X.get(), X->Child(5)) == nullptr);
        QCOMPARE(Str(SlotOf(Slots, X.get(), X->Child(3))->Name), QString("Y"));

        // Above its minimum a required element may go.
        Doc Two = Schema("xsd:", "<xsd:element name=\"T\"><xsd:complexType><xsd:sequence>"
                                 "<xsd:element name=\"P\" minOccurs=\"2\" maxOccurs=\"3\"/>"
                                 "</xsd:sequence></xsd:complexType></xsd:element>");
        Doc Three = Xml("<T><P/><P/><P/></T>");
        QVERIFY(CanRemoveElement(Two->Child(0), Three.get(), Three->Child(2)));
        Doc TwoP = Xml("<T><P/><P/></T>");
        QVERIFY(!CanRemoveElement(Two->Child(0), TwoP.get(), TwoP->Child(0)));
    }

    void allGroupsShowTheirMembersInAnyOrder()
    {
        Doc S = Schema("xs:", Cron);
        TXMLNode* CronDecl = S->Child(1);
        // Members out of order: rows in declaration order, nothing created twice.
        Doc Swapped = Xml("<cron><schedule>s</schedule><url>u</url></cron>");
        QCOMPARE(RowNames(CronDecl, Swapped.get()), QStringList({"url=u", "schedule=s"}));
        QCOMPARE(RowNames(CronDecl, Swapped.get()), QStringList({"url=u", "schedule=s"}));
        QCOMPARE(Children(Swapped.get()), QString("schedule,url"));

        // Required members missing beside other content are created in declaration order.
        Doc OnlyDescription = Xml("<cron><description>d</description></cron>");
        QCOMPARE(RowNames(CronDecl, OnlyDescription.get()), QStringList({"url", "description=d", "schedule"}));
        QCOMPARE(Children(OnlyDescription.get()), QString("url,description,schedule"));
        QCOMPARE(RowNames(CronDecl, OnlyDescription.get()).size(), 3);
        QCOMPARE(Children(OnlyDescription.get()), QString("url,description,schedule"));
        // ... but not when asked to read only, and not into an empty element.
        Doc ReadOnly = Xml("<cron><timezone/></cron>");
        QCOMPARE(RowNames(CronDecl, ReadOnly.get(), false), QStringList({"timezone"}));
        QCOMPARE(Children(ReadOnly.get()), QString("timezone"));
        Doc Empty = Xml("<cron/>");
        QCOMPARE(RowNames(CronDecl, Empty.get()), QStringList());
        QCOMPARE(Empty->ChildCount(), 0);

        // Added members keep declaration order; a full member is refused.
        Doc InOrder = Xml("<cron><url/><schedule/></cron>");
        QCOMPARE(Open(CronDecl, InOrder.get()), QStringList({"description@1", "timezone@2"}));
        QVERIFY(AddSchemaElement(CronDecl, InOrder.get(), Member(S.get(), "timezone")));
        QVERIFY(AddSchemaElement(CronDecl, InOrder.get(), Member(S.get(), "description")));
        QVERIFY(!AddSchemaElement(CronDecl, InOrder.get(), Member(S.get(), "url")));
        QCOMPARE(Children(InOrder.get()), QString("url,description,schedule,timezone"));
        QVERIFY(!CanRemoveElement(CronDecl, InOrder.get(), InOrder->Child(0)));
        QVERIFY(CanRemoveElement(CronDecl, InOrder.get(), InOrder->Child(1)));

        // The schema insertion knows all groups too.
        Doc Partial = Xml("<cron><url/></cron>");
        TXMLNode* Timezone = TXMLNode::CreateNode("timezone", nkElement, nullptr, "");
        QVERIFY(InsertBySchema(S->Child(0), Partial.get(), Timezone));
        TXMLNode* Url = TXMLNode::CreateNode("url", nkElement, nullptr, "");
        QVERIFY(!InsertBySchema(S->Child(0), Partial.get(), Url));
        delete Url;
        QCOMPARE(Children(Partial.get()), QString("url,timezone"));
    }

    void newElementsHoldWhatTheyRequire()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"Job\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element name=\"Name\" type=\"xsd:string\" default=\"n\"/>"
                               "<xsd:element name=\"Opt\" type=\"xsd:string\" minOccurs=\"0\"/>"
                               "<xsd:element name=\"Two\" type=\"xsd:string\" minOccurs=\"2\" maxOccurs=\"4\"/>"
                               "<xsd:element name=\"Retry\"><xsd:complexType><xsd:all>"
                               "<xsd:element name=\"limit\" type=\"xsd:integer\"/>"
                               "<xsd:element name=\"age\" type=\"xsd:string\" minOccurs=\"0\"/>"
                               "</xsd:all></xsd:complexType></xsd:element>"
                               "<xsd:choice><xsd:element name=\"P\"/><xsd:element name=\"Q\"/></xsd:choice>"
                               "</xsd:sequence><xsd:attribute name=\"on\" default=\"yes\"/></xsd:complexType></xsd:element>"
                               "<xsd:element name=\"Entries\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element ref=\"Job\" maxOccurs=\"unbounded\" minOccurs=\"0\"/>"
                               "</xsd:sequence></xsd:complexType></xsd:element>");
        Doc Job(NewSchemaElement(S->Child(0), "Job"));
        QCOMPARE(Str(Job->GetXml()),
                 QString("<Job on=\"yes\"><Name>n</Name><Two/><Two/><Retry><limit/></Retry><P/></Job>"));
        // Through a reference: named as written, filled from the global declaration.
        Doc Entries = Xml("<Entries/>");
        TXMLNode* Added = AddSchemaElement(S->Child(1), Entries.get(), Declared(S.get(), "Job", "ref"));
        QVERIFY(Added);
        QCOMPARE(Str(Entries->GetXml()),
                 QString("<Entries><Job on=\"yes\"><Name>n</Name><Two/><Two/><Retry><limit/></Retry><P/></Job></Entries>"));
    }
};

QTEST_APPLESS_MAIN(StructureRulesTest)
#include "structure_rules_test.moc"
