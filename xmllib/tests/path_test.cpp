#include "platform/core/convert.h"
#include "platform/core/exceptions.h"
#include "xmllib/xmls.h"

#include <QtTest>

#include <memory>
#include <vector>

namespace {

using Doc = std::unique_ptr<TXMLNode>;

Doc Parse(const std::string& Text, bool IgnoreCase = false)
{
    return Doc(new TXMLNode(Text, IgnoreCase, nullptr));
}

QString Xml(const TXMLNode* Node)
{
    return QString::fromStdString(Node->GetXml());
}

} // namespace

class PathTest : public QObject {
    Q_OBJECT
private slots:
    void emptyDotAndSlashStepsStayWhereTheyAre()
    {
        Doc D = Parse("<r><a><b>1</b></a><b>top</b></r>");
        TXMLNode* A = D->Child(0);
        QCOMPARE(A->SelectNode("", false, "", true), A);
        QCOMPARE(A->SelectNode(".", false, "", true), A);
        QCOMPARE(A->SelectNode("./././", false, "", true), A);
        // A leading "/" is an empty step: relative to the start, not to the root.
        QCOMPARE(A->GetPathText("/b"), std::string("1"));
        QCOMPARE(D->GetPathText("a//b"), std::string("1"));
        QCOMPARE(D->SelectNode("..", false, "", true), nullptr);
        QCOMPARE(A->SelectNode("..", false, "", true), D.get());
        QCOMPARE(A->GetPathText("../b"), std::string("top"));
        QCOMPARE(D->SelectNode("../a", false, "", true), nullptr);

        D->Child(1)->SetPathText("", "changed");
        QCOMPARE(D->Child(1)->GetText(), std::string("changed"));
        A->SetPathText(".", "text of a");
        QCOMPARE(Xml(A), QString("<a><b>1</b>text of a</a>"));
    }

    void threeSlashesAfterAStepSearchTheWholeDocument()
    {
        Doc D = Parse("<r><a><c>in a</c></a><b><c>in b</c></b></r>");
        // From b, a/b-style doubling is an empty step, but a step followed by "///"
        // restarts at the root and finds the first c there.
        TXMLNode* B = D->Child(1);
        QCOMPARE(B->GetPathText("c"), std::string("in b"));
        QCOMPARE(D->GetPathText("b//c"), std::string("in b"));
        QCOMPARE(D->GetPathText("b///c"), std::string("in a"));
        QCOMPARE(B->GetPathText(".//c"), std::string("in a"));
    }

    void positionAndLastPredicates()
    {
        Doc D = Parse("<r><y>y0</y><x>x0</x><y>y1</y><x>x1</x><z>z0</z></r>");
        QCOMPARE(D->GetPathText("[0]"), std::string("y0"));
        QCOMPARE(D->GetPathText("[1]"), std::string("x0"));
        QCOMPARE(D->GetPathText("x[0]"), std::string("x0"));
        QCOMPARE(D->GetPathText("x[1]"), std::string("x1"));
        QCOMPARE(D->SelectNode("x[2]", false, "", true), nullptr);
        QCOMPARE(D->GetPathText("[ 4 ]"), std::string("z0"));
        QCOMPARE(D->SelectNode("[5]", false, "", true), nullptr);
        QCOMPARE(D->GetPathText("[last()]"), std::string("z0"));
        QCOMPARE(D->GetPathText("y[last()]"), std::string("y1"));
        QCOMPARE(D->SelectNode("w[last()]", false, "", true), nullptr);
        // "*" is a wildcard only in comparisons; here it is a literal name.
        QCOMPARE(D->SelectNode("*[0]", false, "", true), nullptr);
        QCOMPARE(D->SelectNode("*[last()]", false, "", true), nullptr);
        Doc Star = Parse("<r><a/><*>star</*></r>");
        QCOMPARE(Star->GetPathText("*[0]"), std::string("star"));
        // The only x is the first child: last() still finds it at position 0.
        Doc First = Parse("<r><x>only</x><y>y0</y><z>z0</z></r>");
        QCOMPARE(First->SelectNode("x[last()]", false, "", true), First->Child(0));
        QCOMPARE(First->GetPathText("x[last()]"), std::string("only"));
        QCOMPARE(First->GetPathText("x[0]"), std::string("only"));
        Doc Alone = Parse("<r><x>alone</x></r>");
        QCOMPARE(Alone->GetPathText("x[last()]"), std::string("alone"));
        QCOMPARE(Alone->GetPathText("[last()]"), std::string("alone"));
        Doc Deeper = Parse("<r><g><x a=\"1\">first</x><w/></g></r>");
        QCOMPARE(Deeper->GetPathText("g/x[last()]"), std::string("first"));
        QCOMPARE(Deeper->GetPathText("g/x[last()]/@a"), std::string("1"));
        // A positional step inside a longer path.
        Doc Nested = Parse("<r><g><i>a</i><i>b</i></g><g><i>c</i></g></r>");
        QCOMPARE(Nested->GetPathText("g[1]/i[0]"), std::string("c"));
        QCOMPARE(Nested->GetPathText("g[0]/i[last()]"), std::string("b"));
    }

    void predicatesThatPickNothingOrFail()
    {
        Doc D = Parse("<r><x>x0</x></r>");
        // Empty, unclosed and unknown predicates leave the step without a move.
        QCOMPARE(D->SelectNode("[]", false, "", true), D.get());
        QCOMPARE(D->SelectNode("x[", false, "", true), D.get());
        QCOMPARE(D->SelectNode("x[abc]/x", false, "", true), D->Child(0));
        QCOMPARE(D->SelectNode("x]0[", false, "", true), D.get());

        for (const char* Bad : {"1a", "0x1", "99999999999", "2 3"}) {
            try {
                D->SelectNode(std::string("x[") + Bad + "]", false, "", true);
                QFAIL(Bad);
            } catch (const EConvertError& E) {
                QCOMPARE(E.Message, "'" + std::string(Bad) + "' is not a valid integer value");
            }
        }
        // A digit-led comparison is a position first, and so a bad number.
        QVERIFY_THROWS_EXCEPTION(EConvertError, D->SelectNode("[1=x0]", false, "", true));
    }

    void comparisonPredicates()
    {
        Doc D = Parse("<r><p id=\"1\"><n>Ann</n></p><p id=\"2\"><n>Bob</n></p><q id=\"2\"><n>Cid</n></q>"
                      "<p><n>'Dan'</n></p></r>");
        QCOMPARE(D->GetPathText("p[@id=2]/n"), std::string("Bob"));
        QCOMPARE(D->GetPathText("p[n=\"Bob\"]/@id"), std::string("2"));
        QCOMPARE(D->GetPathText("p[n=Ann]/@id"), std::string("1"));
        QCOMPARE(D->GetPathText("*[@id=2]/n"), std::string("Bob"));
        QCOMPARE(D->GetPathText("[n=Cid]/@id"), std::string("2"));
        QCOMPARE(D->GetPathText("q[@id=2]/n"), std::string("Cid"));
        // An absent attribute reads as empty and so equals an empty right side.
        QCOMPARE(D->GetPathText("p[@id=]/n"), std::string("'Dan'"));
        // Blanks around "=" become part of the path and of the value.
        QCOMPARE(D->SelectNode("p[n = Ann]", false, "", true), nullptr);
        QCOMPARE(D->SelectNode("p[n =Ann]", false, "", true), nullptr);
        // Single quotes are not stripped.
        QCOMPARE(D->SelectNode("p[n='Ann']", false, "", true), nullptr);
        QCOMPARE(D->GetPathText("p[n='Dan']/n"), std::string("'Dan'"));
        // A lone double quote strips to the empty value.
        QCOMPARE(D->GetPathText("p[@id=\"]/n"), std::string("'Dan'"));
        QCOMPARE(D->SelectNode("p[n=Zed]", false, "", true), nullptr);
    }

    void attributeSteps()
    {
        Doc D = Parse("<r><a k=\"v\" j=\"w\"/></r>");
        TXMLNode* Attr = D->SelectNode("a/@k", false, "", true);
        QVERIFY(Attr);
        QCOMPARE(Attr->Kind, nkAttribute);
        QCOMPARE(Attr->Value, std::string("v"));
        QCOMPARE(D->GetPathText("a/@j"), std::string("w"));
        QCOMPARE(D->SelectNode("a/@missing", false, "", true), nullptr);
        QCOMPARE(D->GetPathText("a/@missing"), std::string());
        // An attribute step ends the path: what follows is not looked at.
        QCOMPARE(D->SelectNode("a/@k/whatever", false, "", true), Attr);

        TXMLNode* A = D->Child(0);
        QCOMPARE(D->SetPathText("a/@k", "changed"), A);
        QCOMPARE(D->SetPathText("a/@new", "added"), A);
        QCOMPARE(Xml(A), QString("<a k=\"changed\" j=\"w\" new=\"added\"/>"));
        QCOMPARE(D->SetPathText("a/@k", ""), A);
        QCOMPARE(Xml(A), QString("<a j=\"w\" new=\"added\"/>"));
        D->SetPathText("a/@absent", "");
        QCOMPARE(Xml(A), QString("<a j=\"w\" new=\"added\"/>"));
        QCOMPARE(A->ChildCount(), 0);

        try {
            D->SetPathText("a/@", "value");
            QFAIL("an unnamed attribute was set");
        } catch (const Exception& E) {
            QCOMPARE(E.Message, std::string("Attribute/Node name cannot be empty"));
        }
        D->SetPathText("a/@", "");
        QCOMPARE(Xml(A), QString("<a j=\"w\" new=\"added\"/>"));
    }

    void setModeCreatesOnlyForPlainNames()
    {
        Doc D = Parse("<lang><other/></lang>");
        TXMLNode* Inner = D->SetPathText("Form1/Button1/@Caption", "OK");
        QVERIFY(Inner);
        QCOMPARE(Inner->Name, std::string("Button1"));
        QCOMPARE(Xml(D.get()), QString("<lang><other/><Form1><Button1 Caption=\"OK\"/></Form1></lang>"));
        // Found on the second call: nothing more is created.
        QCOMPARE(D->SetPathText("Form1/Button1/@Hint", "Press"), Inner);
        QCOMPARE(D->Child(1)->ChildCount(), 1);

        D->SetPathText("Form1/Label1", "Name:");
        QCOMPARE(D->GetPathText("Form1/Label1"), std::string("Name:"));
        D->SetPathText("Form1/Label1", "Customer:");
        QCOMPARE(Xml(D->Child(1)->Child(1)), QString("<Label1>Customer:</Label1>"));

        // Without Create, and through predicates, missing elements stay missing.
        QCOMPARE(D->SelectNode("Form2/Edit1", true, "x", false), nullptr);
        QCOMPARE(D->SetPathText("Form1[5]/Edit1", "x"), nullptr);
        QCOMPARE(D->SetPathText("Form1/Edit1[0]", "x"), nullptr);
        QCOMPARE(D->SetPathText("../Form1", "x"), nullptr);
        QCOMPARE(Xml(D.get()), QString("<lang><other/><Form1><Button1 Caption=\"OK\" Hint=\"Press\"/>"
                                       "<Label1>Customer:</Label1></Form1></lang>"));
        // Get mode never creates, whatever Create says.
        QCOMPARE(D->SelectNode("Form3/Edit1", false, "", true), nullptr);
        QCOMPARE(D->ChildCount(), 2);
    }

    void plainStepsHonourIgnoreCaseButPredicatesDoNot()
    {
        Doc D = Parse("<r><Item>one</Item></r>", true);
        QCOMPARE(D->GetPathText("ITEM"), std::string("one"));
        QCOMPARE(D->SelectNode("item[0]", false, "", true), nullptr);
        QCOMPARE(D->GetPathText("Item[0]"), std::string("one"));
        Doc Exact = Parse("<r><Item>one</Item></r>");
        QCOMPARE(Exact->SelectNode("item", false, "", true), nullptr);
    }

    void documentSearch()
    {
        Doc D = Parse("<r><a><b><x>deep</x></b></a><x>first of root</x><c><x>c1</x><x>c2</x></c></r>");
        // The root's own relative match comes before a deeper one in an earlier sibling.
        QCOMPARE(D->GetPathText("//x"), std::string("first of root"));
        QCOMPARE(D->GetPathText("//b/x"), std::string("deep"));
        QCOMPARE(D->Child(2)->GetPathText("//x"), std::string("first of root"));
        QCOMPARE(D->Child(2)->GetPathText("//c/x[last()]"), std::string("c2"));
        QCOMPARE(D->SelectNode("//nothing", false, "", true), nullptr);
        QCOMPARE(D->SelectNode("//", false, "", true), D.get());

        // Set mode writes into the first x child of every node that has one; the
        // result is what the last node visited gave (a text node: nil).
        TXMLNode* Last = D->SelectNode("//x", true, "v", true);
        QCOMPARE(Last, nullptr);
        QCOMPARE(Xml(D.get()), QString("<r><a><b><x>v</x></b></a><x>v</x><c><x>v</x><x>c2</x></c></r>"));
        // Nothing is created by a document search.
        QCOMPARE(D->SelectNode("//y", true, "v", true), nullptr);
        QVERIFY(!Xml(D.get()).contains("<y"));
        // Attribute writes reach every node that the relative path resolves at.
        D->SetPathText("//@seen", "1");
        QCOMPARE(D->GetPathText("@seen"), std::string("1"));
        QCOMPARE(D->GetPathText("a/b/x/@seen"), std::string("1"));
        QCOMPARE(D->GetPathText("c/x[1]/@seen"), std::string("1"));
        D->SetPathText("//@seen", "");
        QVERIFY(!Xml(D.get()).contains("seen"));
    }

    void documentSearchHandsBackTheLastSubtreesResult()
    {
        Doc D = Parse("<r><a><k>1</k></a><b><k>2</k></b></r>");
        // Pre-order: r, a, k, text, b, k, text. The last node is the text "2", whose
        // parent is k, so ".." there resolves to that k. Text children that the walk
        // appends to a node after its turn are not visited.
        TXMLNode* Result = D->SelectNode("//..", true, "z", false);
        QCOMPARE(Result, D->Child(1)->Child(0));
        QCOMPARE(Xml(D.get()), QString("<r><a><k>z</k>z</a><b><k>z</k>z</b>z</r>"));

        // A text child appended at a node's own turn is visited after its siblings.
        Doc E = Parse("<r><a/></r>");
        TXMLNode* Last = E->SelectNode("//.", true, "v", false);
        QCOMPARE(Xml(E.get()), QString("<r><a>v</a>v</r>"));
        QCOMPARE(Last, E->Child(1));
    }

    void documentSearchThatMayCreateStillEnds()
    {
        Doc D = Parse("<r><a/><b/></r>");
        SelectDeep(D.get(), "x", true, "v", true);
        QCOMPARE(Xml(D.get()), QString("<r><a><x>v</x></a><b><x>v</x></b><x>v</x></r>"));
    }

    void deepTreesDoNotExhaustTheStack()
    {
        constexpr int Depth = 200000;
        Doc D = Parse("<n/>");
        std::vector<TXMLNode*> Chain{D.get()};
        for (int I = 0; I < Depth; ++I)
            Chain.push_back(Chain.back()->Children->AddNode("n", "", nkElement));
        Chain.back()->Children->AddNode("leaf", "", nkElement)->SetText("bottom");

        QCOMPARE(Chain[Depth / 2]->GetPathText("//leaf"), std::string("bottom"));
        QCOMPARE(D->SelectNode("//missing", false, "", true), nullptr);
        QCOMPARE(D->SelectNode("//@mark", true, "m", false), Chain.back()->Child(0)->Child(0));
        QCOMPARE(Chain[12345]->GetAttribute("mark"), std::string("m"));
        QCOMPARE(Chain.back()->GetAttribute("mark"), std::string("m"));

        // Taken apart from the bottom up, so freeing does not recurse through the chain.
        for (int I = Depth; I > 0; --I)
            RemoveNode(Chain[I - 1]->Children, Chain[I]);
    }
};

QTEST_GUILESS_MAIN(PathTest)
#include "path_test.moc"
