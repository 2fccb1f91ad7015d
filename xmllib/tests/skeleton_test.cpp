#include "platform/core/exceptions.h"
#include "xmllib/xmls.h"

#include <QtTest>

#include <memory>

namespace {

using Doc = std::unique_ptr<TXMLNode>;

// Writes a schema with the given prefix ("xsd:", "xs:" or none) from a body whose
// schema elements are spelled with "@" in place of the prefix.
Doc Schema(const std::string& Prefix, const std::string& Body)
{
    std::string Text = "<@schema>" + Body + "</@schema>";
    std::string Out;
    for (char C : Text)
        Out += C == '@' ? Prefix : std::string(1, C);
    return Doc(new TXMLNode(Out, false, nullptr));
}

QString Skeleton(TXMLNode* Schema, const std::string& Name, bool IncludeOptional = true,
                 bool ApplyDefaults = true)
{
    TXMLNode* Declaration = Schema->FindChildByAttribute("name", Name);
    if (!Declaration)
        return "no declaration " + QString::fromStdString(Name);
    Doc Result(CreateSkeleton(Declaration, IncludeOptional, ApplyDefaults));
    if (Result->Parent)
        return "has a parent";
    return QString::fromStdString(Result->GetXml());
}

} // namespace

class SkeletonTest : public QObject {
    Q_OBJECT
private slots:
    void inlineContentAndDefaults_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::newRow("xsd") << "xsd:";
        QTest::newRow("xs") << "xs:";
    }

    void inlineContentAndDefaults()
    {
        QFETCH(QString, prefix);
        const std::string P = prefix.toStdString();
        Doc S = Schema(P, "<@element name=\"Order\"><@complexType><@sequence>"
                          "<@element name=\"No\" type=\"@integer\"/>"
                          "<@element name=\"Ship\" type=\"@string\" default=\"UPS\"/>"
                          "<@element name=\"Note\"><@annotation><@documentation>free</@documentation>"
                          "</@annotation></@element>"
                          "</@sequence>"
                          "<@attribute name=\"terms\" type=\"@string\" default=\"net 30\"/>"
                          "<@attribute name=\"id\" type=\"@string\"/>"
                          "</@complexType></@element>"
                          "<@element name=\"Plain\" type=\"@string\" default=\"ignored at the top\"/>");
        QCOMPARE(Skeleton(S.get(), "Order"),
                 QString("<Order terms=\"net 30\"><No/><Ship>UPS</Ship><Note/></Order>"));
        QCOMPARE(Skeleton(S.get(), "Order", true, false), QString("<Order><No/><Ship/><Note/></Order>"));
        QCOMPARE(Skeleton(S.get(), "Plain"), QString("<Plain/>"));
    }

    void choicesAndOptionalParts()
    {
        Doc S = Schema("xsd:", "<@element name=\"Pay\"><@complexType><@choice>"
                               "<@element name=\"Cash\"/><@element name=\"Card\"/></@choice></@complexType></@element>"
                               "<@element name=\"Opt\"><@complexType><@choice>"
                               "<@element name=\"Maybe\" minOccurs=\"0\"/><@element name=\"Other\"/>"
                               "</@choice></@complexType></@element>"
                               "<@element name=\"Seq\"><@complexType><@sequence>"
                               "<@element name=\"A\"/>"
                               "<@sequence minOccurs=\"0\"><@element name=\"B\"/><@element name=\"C\"/></@sequence>"
                               "<@element name=\"D\" minOccurs=\"0\" maxOccurs=\"unbounded\"/>"
                               "<@element name=\"E\" minOccurs=\"00\" maxOccurs=\"5\"/>"
                               "</@sequence></@complexType></@element>"
                               "<@element name=\"Attrs\"><@complexType><@choice>"
                               "<@attribute name=\"a\" default=\"1\"/><@sequence minOccurs=\"0\"/>"
                               "<@element name=\"First\"/><@element name=\"Second\"/>"
                               "</@choice></@complexType></@element>");
        QCOMPARE(Skeleton(S.get(), "Pay"), QString("<Pay><Cash/></Pay>"));
        // The optional first alternative still decides the choice.
        QCOMPARE(Skeleton(S.get(), "Opt", false), QString("<Opt/>"));
        QCOMPARE(Skeleton(S.get(), "Opt", true), QString("<Opt><Maybe/></Opt>"));
        // Only minOccurs "0" exactly is optional; repeatable elements are built once.
        QCOMPARE(Skeleton(S.get(), "Seq", false), QString("<Seq><A/><E/></Seq>"));
        QCOMPARE(Skeleton(S.get(), "Seq", true), QString("<Seq><A/><B/><C/><D/><E/></Seq>"));
        // Attributes and a skipped sequence do not count as the choice's alternative.
        QCOMPARE(Skeleton(S.get(), "Attrs", false), QString("<Attrs a=\"1\"><First/></Attrs>"));
    }

    void referencesAndNamedTypes()
    {
        Doc S = Schema("xs:", "<@element name=\"Customer\"><@complexType><@sequence>"
                              "<@element ref=\"Address\"/><@element ref=\"tns:Address\"/>"
                              "<@element ref=\"Missing\"/>"
                              "<@element name=\"Phone\" type=\"PhoneType\"/>"
                              "<@element name=\"Kind\" type=\"KindType\" default=\"retail\"/>"
                              "<@element name=\"Postal\" type=\"PostalType\"/>"
                              "</@sequence></@complexType></@element>"
                              "<@element name=\"Address\" type=\"@string\" default=\"unused\"><@complexType><@sequence>"
                              "<@element name=\"Street\"/><@element name=\"City\" default=\"Oslo\"/>"
                              "</@sequence></@complexType></@element>"
                              "<@complexType name=\"PhoneType\"><@sequence><@element name=\"Area\"/>"
                              "<@element name=\"Number\"/></@sequence></@complexType>"
                              "<@simpleType name=\"KindType\"><@restriction base=\"@string\"/></@simpleType>"
                              "<@complexType name=\"PostalType\"><@simpleContent><@extension base=\"@string\">"
                              "<@attribute name=\"zone\" default=\"A\"/></@extension></@simpleContent></@complexType>"
                              "<@element name=\"Typed\" type=\"PhoneType\"/>"
                              "<@element name=\"Lost\" type=\"NoSuchType\"/>");
        QCOMPARE(Skeleton(S.get(), "Customer"),
                 QString("<Customer><Address><Street/><City>Oslo</City></Address><tns:Address/><Missing/>"
                         "<Phone><Area/><Number/></Phone><Kind/><Postal/></Customer>"));
        QCOMPARE(Skeleton(S.get(), "Typed"), QString("<Typed><Area/><Number/></Typed>"));
        QCOMPARE(Skeleton(S.get(), "Lost"), QString("<Lost/>"));
    }

    void recursiveNamedTypeStopsAtTheLevelLimit()
    {
        Doc S = Schema("xsd:", "<@complexType name=\"Part\"><@sequence>"
                               "<@element name=\"Part\" type=\"Part\"/></@sequence></@complexType>"
                               "<@element name=\"Root\" type=\"Part\"/>");
        QCOMPARE(Skeleton(S.get(), "Root"),
                 QString("<Root><Part><Part><Part><Part><Part/></Part></Part></Part></Part></Root>"));

        // A reference costs one level and its content two more.
        Doc R = Schema("xsd:", "<@element name=\"Tree\"><@complexType><@sequence><@element ref=\"Tree\"/>"
                               "</@sequence></@complexType></@element>");
        QCOMPARE(Skeleton(R.get(), "Tree"), QString("<Tree><Tree><Tree><Tree/></Tree></Tree></Tree>"));

        // Without a compositor each nesting costs one level: ten of them, no more.
        Doc T = Schema("xsd:", "<@complexType name=\"T\"><@element name=\"x\" type=\"T\"/></@complexType>"
                               "<@element name=\"Top\" type=\"T\"/>");
        QString Ten = "<Top>" + QString("<x>").repeated(9) + "<x/>" + QString("</x>").repeated(9) + "</Top>";
        QCOMPARE(Skeleton(T.get(), "Top"), Ten);
    }

    void schemaWithoutPrefixTreatsEveryTypeAsNamed()
    {
        Doc S = Schema("", "<@element name=\"Doc\"><@complexType><@sequence>"
                           "<@element name=\"Title\" type=\"string\" default=\"none\"/>"
                           "<@element name=\"Meta\" type=\"MetaType\"/>"
                           "<@element name=\"Body\" default=\"text\"/>"
                           "</@sequence></@complexType></@element>"
                           "<@complexType name=\"MetaType\"><@sequence><@element name=\"Author\"/>"
                           "</@sequence><@attribute name=\"v\" default=\"2\"/></@complexType>");
        QCOMPARE(RootPrefix(S.get()), std::string());
        QCOMPARE(Skeleton(S.get(), "Doc"),
                 QString("<Doc><Title/><Meta v=\"2\"><Author/></Meta><Body>text</Body></Doc>"));
        // Schema names are compared with the document's own prefix only.
        Doc Mixed = Schema("xsd:", "<@element name=\"M\"><xs:complexType><xs:sequence><xs:element name=\"X\"/>"
                                   "</xs:sequence></xs:complexType></@element>");
        QCOMPARE(Skeleton(Mixed.get(), "M"), QString("<M/>"));
    }

    void declaredNamesThatCannotBeElementNamesAreRefused()
    {
        Doc S = Schema("xsd:", "<@element name=\"\"/><@element name=\"a b\"/><@element name=\"a>\"/>"
                               "<@element name=\"x?\"/><@element name=\"ok.name-1\"/>");
        TXMLNode* Unnamed = S->Child(0);
        try {
            delete CreateSkeleton(Unnamed, true, true);
            QFAIL("an unnamed declaration made a skeleton");
        } catch (const Exception& E) {
            QVERIFY(E.Message.starts_with("Tag name expected: "));
        }
        const char* Expected[] = {"2 :Illegal symbol in XML: ", "2 :Illegal symbol in XML:>",
                                  "2 :Illegal symbol in XML:?"};
        for (int I = 1; I <= 3; ++I) {
            try {
                delete CreateSkeleton(S->Child(I), true, true);
                QFAIL(Expected[I - 1]);
            } catch (const Exception& E) {
                QCOMPARE(E.Message, std::string(Expected[I - 1]));
            }
        }
        QCOMPARE(Skeleton(S.get(), "ok.name-1"), QString("<ok.name-1/>"));
    }

    void namesTheParserRefusesAtOnceGetItsMessage()
    {
        // "/", ">" or a quote right after "<" is a token that is not a tag name.
        Doc S = Schema("xsd:", "<@element name=\"/a\"/><@element name=\">a\"/>"
                               "<@element name=\"&quot;q&quot;\"/><@element name=\"&quot;q\"/>");
        const char* Expected[] = {"Tag name expected: </a/>", "Tag name expected: <>a/>",
                                  "Tag name expected: <\"q\"/>", "Unterminated attribute"};
        for (int I = 0; I < 4; ++I) {
            try {
                delete CreateSkeleton(S->Child(I), true, true);
                QFAIL(Expected[I]);
            } catch (const Exception& E) {
                QCOMPARE(E.Message, std::string(Expected[I]));
            }
        }
    }

    void nodesAreMadeThroughTheTreeSoTheyWriteBack()
    {
        Doc S = Schema("xsd:", "<@element name=\"A\"><@complexType><@sequence><@element name=\"B\" "
                               "type=\"@string\" default=\"x &amp; y\"/></@sequence></@complexType></@element>");
        Doc Result(CreateSkeleton(S->Child(0), true, true));
        QCOMPARE(Result->Child(0)->Parent, Result.get());
        QCOMPARE(Result->Child(0)->GetText(), std::string("x & y"));
        Doc Reread(new TXMLNode(Result->GetXml(), false, nullptr));
        QCOMPARE(Reread->GetPathText("B"), std::string("x & y"));
    }
};

QTEST_GUILESS_MAIN(SkeletonTest)
#include "skeleton_test.moc"
