// The schema rules on their own, without any widget: effective types, flags, value
// lists, captions, limits, the type check of a committed value, the rows an element
// gets (with the filter and the creation of missing required elements) and where a
// new element goes.
#include "inspector/tests/schemadoc.h"
#include "inspector/xsd_rules.h"
#include "platform/core/exceptions.h"

#include <QtTest>

namespace {

TXMLNode* Global(TXMLNode* S, const std::string& Name)
{
    TXMLNode* N = S->FindChildByAttribute("name", Name);
    if (!N)
        throw Exception("test schema lacks " + Name);
    return N;
}

QString Str(const std::string& S)
{
    return QString::fromStdString(S);
}

QStringList List(const std::vector<std::string>& Values)
{
    QStringList Result;
    for (const std::string& V : Values)
        Result << Str(V);
    return Result;
}

QString ErrorOf(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const Exception& E) {
        return Str(E.Message);
    }
    return "no error";
}

// Each row as "node:declaration", the node by name and the declaration by name or ref.
QStringList RowsOf(TXMLNode* Declaration, TXMLNode* Element, TXMLNode* FilterNode = nullptr)
{
    QStringList Result;
    int Position = 0;
    EnumSchemaRows(Declaration, Element, Position, FilterNode, [&Result](TXMLNode* Node, TXMLNode* D) {
        const std::string Name = D->GetAttribute("name");
        Result << Str(Node->Name + ":" + (Name.empty() ? D->GetAttribute("ref") : Name));
    });
    return Result;
}

} // namespace

class SchemaRulesTest : public QObject {
    Q_OBJECT
private slots:
    void typesFlagsAndLists_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::newRow("xsd:") << "xsd:";
        QTest::newRow("xs:") << "xs:";
    }

    void typesFlagsAndLists()
    {
        QFETCH(QString, prefix);
        const std::string P = prefix.toStdString();
        Doc S = Schema(P, "<@element name=\"Box\"><@complexType><@sequence><@element name=\"W\" type=\"@integer\"/>"
                          "</@sequence></@complexType></@element>"
                          "<@element name=\"Amount\"><@complexType><@simpleContent><@extension base=\"@decimal\"/>"
                          "</@simpleContent></@complexType></@element>"
                          "<@element name=\"Size\"><@simpleType><@restriction base=\"@string\"><@enumeration value=\"A\"/>"
                          "<@annotation/><@enumeration value=\"B\"/></@restriction></@simpleType></@element>"
                          "<@element name=\"Paid\" type=\"@boolean\"/><@element name=\"PaidRef\" ref=\"Paid\"/>"
                          "<@element name=\"Link\" type=\"@anyURI\"/><@element name=\"Raw\" type=\"@anySimpleType\"/>"
                          "<@element name=\"Name\" type=\"@string\"/>");
        const TEffectiveType Amount = EffectiveType(Global(S.get(), "Amount"));
        QCOMPARE(Str(Amount.TypeName), prefix + "decimal");
        QVERIFY(Amount.IsExtension);
        QCOMPARE(Str(EffectiveType(Global(S.get(), "Box")).TypeName), prefix + "complexType");
        QCOMPARE(Str(EffectiveType(Global(S.get(), "PaidRef")).TypeName), prefix + "boolean");

        QCOMPARE(int(SchemaFlags(Global(S.get(), "Box"))), int(efSubItems | efReadOnly));
        QCOMPARE(int(SchemaFlags(Global(S.get(), "Amount"))), int(efSubItems));
        QCOMPARE(int(SchemaFlags(Global(S.get(), "Size"))), int(efValueList | efRevertable));
        QCOMPARE(int(SchemaFlags(Global(S.get(), "PaidRef"))), int(efValueList | efRevertable));
        QCOMPARE(int(SchemaFlags(Global(S.get(), "Link"))), int(efButton));
        QCOMPARE(int(SchemaFlags(Global(S.get(), "Raw"))), int(efReadOnly));
        // "@" in an id names a dictionary; the schema builder would take it for the prefix.
        TXMLNode* Land = new TXMLNode("<" + P + "element name=\"Land\" id=\"@Countries\" type=\"" + P + "string\"/>",
                                      false, nullptr);
        S->Children->Add(Land);
        Land->Parent = S.get();
        QCOMPARE(int(SchemaFlags(Land)), int(efValueList | efRevertable));
        QCOMPARE(int(SchemaFlags(Global(S.get(), "Name"))), 0);

        QCOMPARE(List(SchemaValueList(Global(S.get(), "Size"))), QStringList({"A", "B"}));
        QCOMPARE(List(SchemaValueList(Global(S.get(), "PaidRef"))), QStringList({"true", "false"}));
        QCOMPARE(List(SchemaValueList(Global(S.get(), "Name"))), QStringList());
        QVERIFY(IsBooleanDeclaration(Global(S.get(), "Paid")));
        QVERIFY(!IsBooleanDeclaration(Global(S.get(), "Size")));
        QCOMPARE(Str(DictionaryName(Land)), QString("Countries"));
        QCOMPARE(Str(DictionaryName(Global(S.get(), "Name"))), QString());
    }

    void captionsLimitsAndRequired()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"Nick\" nillable=\"false\"><xsd:annotation><xsd:documentation>"
                               "Nickname</xsd:documentation></xsd:annotation><xsd:simpleType>"
                               "<xsd:restriction base=\"xsd:string\"><xsd:maxLength value=\"10\"/></xsd:restriction>"
                               "</xsd:simpleType></xsd:element>"
                               "<xsd:attribute name=\"id\" type=\"xsd:string\" use=\"required\"/>"
                               "<xsd:attribute name=\"opt\" type=\"xsd:string\" use=\"optional\"/>"
                               "<xsd:element name=\"Dangling\" ref=\"Missing\"/>");
        QCOMPARE(Str(SchemaCaption(Global(S.get(), "Nick"))), QString("Nickname"));
        QCOMPARE(Str(SchemaCaption(Global(S.get(), "id"))), QString("id"));
        QCOMPARE(ErrorOf([&] { SchemaCaption(Global(S.get(), "Dangling")); }),
                 QString("Error in XSD Schema: referenced type Missing not found"));
        QCOMPARE(SchemaMaxLength(Global(S.get(), "Nick")), 10);
        QCOMPARE(SchemaMaxLength(Global(S.get(), "id")), 255);
        QVERIFY(IsRequiredDeclaration(Global(S.get(), "Nick")));
        QVERIFY(IsRequiredDeclaration(Global(S.get(), "id")));
        QVERIFY(!IsRequiredDeclaration(Global(S.get(), "opt")));
        QVERIFY(FindGlobal(Global(S.get(), "Nick"), "") == nullptr);
        QVERIFY(FindGlobal(Global(S.get(), "Nick"), "id") == Global(S.get(), "id"));
    }

    void committedValuesAreCheckedByType()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"I\" type=\"xsd:integer\"/><xsd:element name=\"F\" type=\"xsd:float\"/>"
                               "<xsd:element name=\"D\" type=\"xsd:date\"/><xsd:element name=\"U\" type=\"xsd:number\"/>"
                               "<xsd:element name=\"B\" type=\"xsd:boolean\"/>");
        TXMLNode* I = Global(S.get(), "I");
        TXMLNode* F = Global(S.get(), "F");
        TXMLNode* D = Global(S.get(), "D");
        QCOMPARE(Str(SchemaAllowedChars(I)), QString("-0123456789"));
        QCOMPARE(Str(SchemaAllowedChars(F)), QString("-0123456789.eE"));
        QCOMPARE(Str(SchemaAllowedChars(Global(S.get(), "U"))), QString("-0123456789.eE"));
        QCOMPARE(Str(SchemaAllowedChars(D)), QString());

        QCOMPARE(ErrorOf([&] { CheckSchemaValue(I, "12.5"); }), QString("'12.5' is not a valid integer value"));
        QCOMPARE(ErrorOf([&] { CheckSchemaValue(I, "."); }), QString("'.' is not a valid integer value"));
        QCOMPARE(ErrorOf([&] { CheckSchemaValue(I, "-42"); }), QString("no error"));
        QCOMPARE(ErrorOf([&] { CheckSchemaValue(I, "  "); }), QString("no error"));
        QCOMPARE(ErrorOf([&] { CheckSchemaValue(F, "1.5e3"); }), QString("no error"));
        QCOMPARE(ErrorOf([&] { CheckSchemaValue(F, "1.5.2"); }), QString("'1.5.2' is not a valid floating point value"));
        QCOMPARE(ErrorOf([&] { CheckSchemaValue(Global(S.get(), "U"), "1.2.3"); }), QString("no error"));
        QCOMPARE(ErrorOf([&] { CheckSchemaValue(D, "05.03.2004"); }), QString("no error"));
        QCOMPARE(ErrorOf([&] { CheckSchemaValue(D, "  .  .    "); }), QString("no error"));
        QCOMPARE(ErrorOf([&] { CheckSchemaValue(D, "31.04.2004"); }), QString("Invalid argument to date encode"));
        QVERIFY(ErrorOf([&] { CheckSchemaValue(D, "  /  /    "); }) != "no error");
        // A value list is checked against its list by the row, not by type.
        QCOMPARE(ErrorOf([&] { CheckSchemaValue(Global(S.get(), "B"), "maybe"); }), QString("no error"));
    }

    void rowsFollowTheSchemaAndTheFilter()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"R\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element name=\"A\" minOccurs=\"0\" type=\"xsd:string\"/>"
                               "<xsd:element name=\"B\" type=\"xsd:string\"/>"
                               "<xsd:element name=\"C\" maxOccurs=\"2\" type=\"xsd:string\"/>"
                               "</xsd:sequence><xsd:attribute name=\"k\" type=\"xsd:string\"/></xsd:complexType>"
                               "</xsd:element>");
        TXMLNode* R = S->Child(0);
        Doc X = Xml("<R><B/><C>1</C><C>2</C><C>3</C></R>");
        // Occurrences past maxOccurs get no row; attributes are rows on the element.
        QCOMPARE(RowsOf(R, X.get()), QStringList({"B:B", "C:C", "C:C", "R:k"}));

        // A missing required element is created in its place, once.
        Doc Missing = Xml("<R><C>1</C></R>");
        QCOMPARE(RowsOf(R, Missing.get()), QStringList({"B:B", "C:C", "R:k"}));
        QCOMPARE(Str(Missing->GetXml()), QString("<R><B/><C>1</C></R>"));
        QCOMPARE(RowsOf(R, Missing.get()), QStringList({"B:B", "C:C", "R:k"}));
        QCOMPARE(Str(Missing->GetXml()), QString("<R><B/><C>1</C></R>"));

        // An extra occurrence stops the walk; what is missing is created behind it once,
        // and a later walk finds it standing in its place.
        Doc S2 = Schema("xsd:", "<xsd:element name=\"R\"><xsd:complexType><xsd:sequence>"
                                "<xsd:element name=\"A\" minOccurs=\"0\" type=\"xsd:string\"/>"
                                "<xsd:element name=\"B\" maxOccurs=\"2\" type=\"xsd:string\"/></xsd:sequence></xsd:complexType>"
                                "</xsd:element>");
        Doc Extra = Xml("<R><A/><A/></R>");
        QCOMPARE(RowsOf(S2->Child(0), Extra.get()), QStringList({"A:A"}));
        QCOMPARE(Str(Extra->GetXml()), QString("<R><A/><A/><B/></R>"));
        QCOMPARE(RowsOf(S2->Child(0), Extra.get()), QStringList({"A:A"}));
        QCOMPARE(Str(Extra->GetXml()), QString("<R><A/><A/><B/></R>"));

        // The filter keeps the rows of nodes it holds by path.
        Doc Filter = Xml("<R><C/></R>");
        QCOMPARE(RowsOf(R, X.get(), Filter.get()), QStringList({"C:C", "C:C", "R:k"}));
    }

    void insertionFindsTheSchemaPlace()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"R\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element name=\"B\" type=\"xsd:string\"/>"
                               "<xsd:element name=\"C\" maxOccurs=\"2\" type=\"xsd:string\"/>"
                               "<xsd:element name=\"D\" minOccurs=\"0\" type=\"xsd:string\"/>"
                               "</xsd:sequence></xsd:complexType></xsd:element>");
        TXMLNode* Type = S->Child(0)->Child(0);
        Doc X = Xml("<R><B/><D/></R>");
        TXMLNode* C1 = new TXMLNode("<C>1</C>", false, nullptr);
        QVERIFY(InsertBySchema(Type, X.get(), C1));
        QCOMPARE(Str(X->GetXml()), QString("<R><B/><C>1</C><D/></R>"));
        QVERIFY(C1->Parent == X.get());
        QVERIFY(InsertBySchema(Type, X.get(), new TXMLNode("<C>2</C>", false, nullptr)));
        QCOMPARE(Str(X->GetXml()), QString("<R><B/><C>1</C><C>2</C><D/></R>"));
        // A declaration that is full, or a name the schema lacks, refuses.
        Doc Third = Xml("<C>3</C>");
        QVERIFY(!InsertBySchema(Type, X.get(), Third.get()));
        Doc Stranger = Xml("<Z/>");
        QVERIFY(!InsertBySchema(Type, X.get(), Stranger.get()));
        QCOMPARE(Str(X->GetXml()), QString("<R><B/><C>1</C><C>2</C><D/></R>"));
    }
};

QTEST_GUILESS_MAIN(SchemaRulesTest)
#include "schema_test.moc"
