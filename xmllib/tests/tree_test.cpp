// The node tree: construction, lists, accessors, class propagation and ownership.

#include "xmllib/xmls.h"

#include "platform/core/exceptions.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Counts live instances, so a test sees whether freeing a root frees everything.
class TCountedNode : public TXMLNode {
public:
    static inline int Live = 0;

    explicit TCountedNode(const std::string& Text) : TXMLNode(std::string(), false, nullptr)
    {
        size_t Position = 0;
        ParseNode(this, Text, Position, Text.size());
    }

protected:
    explicit TCountedNode(RawTag Tag) : TXMLNode(Tag) {}
    TXMLNode* NewInstance() const override { return new TCountedNode(RawTag{}); }

private:
    // A member, so the count drops even when the constructor body fails.
    struct TMark {
        TMark() { ++Live; }
        ~TMark() { --Live; }
    } Mark;
};

// Every node of the tree, prolog entries and attributes included.
void ForEachNode(TXMLNode* Node, const std::function<void(TXMLNode*)>& Visit)
{
    Visit(Node);
    for (TXMLNodeList* List : {Node->Attributes, Node->Children, Node->Prolog})
        if (List)
            for (TXMLNode* Item : *List)
                ForEachNode(Item, Visit);
}

// Runs Work on a thread with a small stack: a recursive walk over a deep tree fails there.
void RunOnSmallStack(const std::function<void()>& Work)
{
    std::unique_ptr<QThread> Thread(QThread::create(Work));
    Thread->setStackSize(512 * 1024);
    Thread->start();
    Thread->wait();
}

std::string ErrorOf(const std::function<void()>& Work)
{
    try {
        Work();
    } catch (const Exception& E) {
        return E.Message;
    }
    return "no error";
}

} // namespace

class TreeTest : public QObject {
    Q_OBJECT

private slots:
    void constructors()
    {
        TXMLNode Empty("", false, nullptr);
        QCOMPARE(Empty.Name, std::string());
        QCOMPARE(Empty.Kind, nkElement);
        QCOMPARE(Empty.ChildCount(), 0);
        QCOMPARE(Empty.Attributes->Count(), 0);
        QVERIFY(Empty.Prolog == nullptr);
        QCOMPARE(Empty.GetXml(), std::string("</>"));

        TXMLNode Parent("", true, nullptr);
        Parent.AllowUnquoted = true;
        TXMLNode Child("", false, &Parent);
        QVERIFY(Child.IgnoreCase && Child.AllowUnquoted);
        QVERIFY(Child.Children->IgnoreCase && Child.Attributes->IgnoreCase);
        QCOMPARE(Child.Parent, &Parent);
        QCOMPARE(Parent.ChildCount(), 0);  // the caller appends

        std::unique_ptr<TXMLNode> Named(TXMLNode::CreateNode(" \t name\r\n", nkElement, &Parent, "v"));
        QCOMPARE(Named->Name, std::string("name"));
        QVERIFY(Named->IgnoreCase);
        std::unique_ptr<TXMLNode> Attr(TXMLNode::CreateNode("a", nkAttribute, &Parent, "v"));
        QVERIFY(Attr->Attributes == nullptr && Attr->Children == nullptr);
        QVERIFY(!Attr->IgnoreCase && !Attr->AllowUnquoted);
        QCOMPARE(Attr->ChildCount(), 0);
        QCOMPARE(ErrorOf([&] { TXMLNode::CreateNode(" \n", nkAttribute, &Parent, "v"); }),
                 std::string("Attribute/Node name cannot be empty"));
        QCOMPARE(ErrorOf([&] { Parent.SetAttribute("", "x"); }), std::string("Attribute/Node name cannot be empty"));
        QCOMPARE(Parent.Attributes->Count(), 0);
        QCOMPARE(ErrorOf([&] { Attr->Child(0); }), std::string("List index out of bounds (0)"));
        QVERIFY_THROWS_EXCEPTION(EListError, Parent.Child(-1));
    }

    void fromFile()
    {
        QTemporaryDir Dir;
        std::string Missing = Dir.filePath("missing.xml").toStdString();
        std::string Message = ErrorOf([&] { delete TXMLNode::CreateFromFile(Missing, nullptr); });
        QVERIFY(Message.size() > Missing.size() + 1);
        QCOMPARE(Message.substr(Message.size() - Missing.size() - 1), " " + Missing);

        std::string Good = Dir.filePath("good.xml").toStdString();
        SaveStringToFile("<a x=\"1\"><b/></a>", Good);
        std::unique_ptr<TXMLNode> Root(TXMLNode::CreateFromFile(Good, nullptr));
        QCOMPARE(Root->GetXml(), std::string("<a x=\"1\"><b/></a>"));
        QVERIFY(!Root->IgnoreCase);
    }

    void attributes()
    {
        TXMLNode Node("<e a=\"1\" b=\"2\"/>", false, nullptr);
        Node.SetAttribute("a", "9");
        Node.SetAttribute("c", "3");
        QCOMPARE(Node.GetXml(), std::string("<e a=\"9\" b=\"2\" c=\"3\"/>"));
        Node.SetAttribute("b", "");
        Node.SetAttribute("missing", "");
        QCOMPARE(Node.GetXml(), std::string("<e a=\"9\" c=\"3\"/>"));
        QCOMPARE(Node.GetAttribute("b"), std::string());
        QCOMPARE(Node.GetAttribute("A"), std::string());

        // Case-insensitive lookup goes by the list's copy of the flag.
        TXMLNode Folded("<e Name=\"x\"/>", true, nullptr);
        QCOMPARE(Folded.GetAttribute("NAME"), std::string("x"));
        Folded.SetAttribute("name", "y");
        QCOMPARE(Folded.GetXml(), std::string("<e Name=\"y\"/>"));
        Folded.IgnoreCase = false;
        QCOMPARE(Folded.GetAttribute("NAME"), std::string("y"));
    }

    void text()
    {
        TXMLNode Node("<e/>", false, nullptr);
        Node.SetText("one");
        Node.SetText("two");
        QCOMPARE(Node.ChildCount(), 1);
        QCOMPARE(Node.GetText(), std::string("two"));
        TXMLNode Blank("<e/>", false, nullptr);
        Blank.SetText("");
        QCOMPARE(Blank.ChildCount(), 1);
        QCOMPARE(Blank.Child(0)->Kind, nkText);

        TXMLNode CData("<e><![CDATA[raw]]></e>", false, nullptr);
        CData.SetText("new");
        QCOMPARE(CData.GetXml(), std::string("<e><![CDATA[new]]></e>"));

        TXMLNode Nested("<e><inner>deep</inner></e>", false, nullptr);
        QCOMPARE(Nested.GetText(), std::string());
        TXMLNode Mixed("<e>one<x/>two</e>", false, nullptr);
        QCOMPARE(Mixed.GetText(), std::string("one"));

        TXMLNode Comment("<e><!--note--></e>", false, nullptr);
        TXMLNode* C = Comment.Child(0);
        C->SetText("changed");
        QCOMPARE(C->GetText(), std::string("note"));
        QCOMPARE(Comment.GetText(), std::string());
    }

    void lookups()
    {
        TXMLNode Schema("<xsd:schema><xsd:element name=\"A\"/><xsd:element/><xsd:complexType name=\"T\">"
                        "<xsd:element name=\"B\"/></xsd:complexType></xsd:schema>",
                        false, nullptr);
        QCOMPARE(Schema.FindChildByAttribute("name", "A"), Schema.Child(0));
        QCOMPARE(Schema.FindChildByAttribute("name", ""), Schema.Child(1));
        QVERIFY(Schema.FindChildByAttribute("name", "a") == nullptr);
        QCOMPARE(FindElementByAttribute(Schema.Children, "xsd:complexType", "name", "T"), Schema.Child(2));
        QVERIFY(FindElementByAttribute(Schema.Children, "XSD:complexType", "name", "T") == nullptr);
        QVERIFY(FindElementByAttribute(Schema.Children, "xsd:element", "name", "T") == nullptr);

        TXMLNode* Deep = Schema.Child(2)->Child(0);
        QCOMPARE(Deep->GetRoot(), &Schema);
        QCOMPARE(Schema.GetPath(), std::string("xsd:schema"));
        QCOMPARE(Schema.Child(2)->GetPath(), std::string("xsd:complexType"));
        QCOMPARE(Deep->GetPath(), std::string("xsd:complexType/xsd:element"));
        QCOMPARE(RootPrefix(Deep), std::string("xsd:"));
        TXMLNode Plain("<root><a/></root>", false, nullptr);
        QCOMPARE(RootPrefix(Plain.Child(0)), std::string());
    }

    void listOperations()
    {
        TXMLNode Root("<r><a/><b/><c/></r>", false, nullptr);
        TXMLNodeList* L = Root.Children;
        L->Move(0, 2);
        QCOMPARE(Root.GetXml(), std::string("<r><b/><c/><a/></r>"));
        TXMLNode* B = L->Items(0);
        L->Delete(0);  // taken out, not freed
        L->Insert(1, B);
        QCOMPARE(Root.GetXml(), std::string("<r><c/><b/><a/></r>"));
        QCOMPARE(L->IndexOf(B), 1);
        QCOMPARE(ErrorOf([&] { L->Items(3); }), std::string("List index out of bounds (3)"));
        QVERIFY_THROWS_EXCEPTION(EListError, L->Insert(5, B));
        QVERIFY_THROWS_EXCEPTION(EListError, L->Move(0, 3));
        QCOMPARE(L->FindOrAdd("b"), B);
        TXMLNode* D = L->FindOrAdd("d");
        QCOMPARE(D->Parent, &Root);
        QCOMPARE(L->Count(), 4);

        // Removing a node through a list it is not in must not free it.
        TXMLNode Other("<o/>", false, nullptr);
        RemoveNode(Other.Children, D);
        QCOMPARE(L->Items(3), D);
        QCOMPARE(D->Name, std::string("d"));
        RemoveNode(L, D);
        QCOMPARE(L->Count(), 3);
        L->FreeAll();
        QCOMPARE(Root.GetXml(), std::string("<r/>"));
    }

    void classPropagationAndOwnership()
    {
        QCOMPARE(TCountedNode::Live, 0);
        {
            TCountedNode Root("<?xml version=\"1.0\"?><?app mode=\"x\"?><r a=\"1\"><b c=\"2\">t<![CDATA[d]]>"
                              "<!--n--></b></r>");
            int Nodes = 0;
            bool AllCounted = true;
            ForEachNode(&Root, [&](TXMLNode* N) {
                ++Nodes;
                AllCounted = AllCounted && dynamic_cast<TCountedNode*>(N) != nullptr;
            });
            QCOMPARE(Nodes, 11);
            QVERIFY(AllCounted);
            QCOMPARE(TCountedNode::Live, 11);
            QCOMPARE(Root.Prolog->Items(1)->Attributes->Items(0)->Parent, Root.Prolog->Items(1));

            TXMLNode* B = Root.Child(0);
            B->SetAttribute("new", "v");
            TXMLNode* Added = Root.Children->AddNode("x", "", nkElement);
            Added->SetText("text");
            TXMLNode* Found = Root.Children->FindOrAdd("y");
            for (TXMLNode* N : {B->Attributes->Items(1), Added, Added->Child(0), Found})
                QVERIFY(dynamic_cast<TCountedNode*>(N) != nullptr);
            QCOMPARE(TCountedNode::Live, 15);
            RemoveNode(B->Attributes, B->Attributes->Items(1));
            QCOMPARE(TCountedNode::Live, 14);
        }
        QCOMPARE(TCountedNode::Live, 0);

        // A failed parse keeps nothing, prolog included.
        QCOMPARE(ErrorOf([] { TCountedNode Broken("<?xml version=\"1.0\"?><r><a x=\"1\"><b>t</b></c></r>"); }),
                 std::string("Tag order error. Tag: \"a\" code: <?xml version=\"1.0\"?><r><a x=\"1\"><b>t</b></c></r>"));
        QCOMPARE(TCountedNode::Live, 0);
        QCOMPARE(ErrorOf([] { TXMLNode Broken("<?xml version=\"1.0\"?><r><a/><b x=y/></r>", false, nullptr); }),
                 std::string("Attribute value expected"));
    }

    void deepChainFreed()
    {
        RunOnSmallStack([] {
            auto* Root = new TCountedNode("<n/>");
            TXMLNode* Cur = Root;
            for (int I = 1; I < 100000; ++I) {
                Cur = Cur->Children->AddNode("n", "", nkElement);
                Cur->SetAttribute("i", "1");
            }
            delete Root;
        });
        QCOMPARE(TCountedNode::Live, 0);
    }

    void listsMadeOnDemand()
    {
        TXMLNode Doc("<r><leaf>text</leaf><empty/><pair a=\"1\" b=\"2\"/></r>", false, nullptr);
        TXMLNode* Leaf = Doc.Child(0);
        TXMLNode* Text = Leaf->Child(0);
        QCOMPARE(Text->Kind, nkText);
        QVERIFY(Text->Children != nullptr && Text->Attributes != nullptr);
        QCOMPARE(Text->Children->Count(), 0);
        QCOMPARE(Text->ChildCount(), 0);
        QCOMPARE(Leaf->Children->Count(), 1);
        QCOMPARE(Leaf->Children->Items(0), Text);
        QCOMPARE(Leaf->Children->FindByName(""), Text);
        QCOMPARE(Leaf->Children->IndexOf(Text), 0);
        QCOMPARE(ErrorOf([&] { Leaf->Children->Items(1); }), std::string("List index out of bounds (1)"));
        int Seen = 0;
        for (TXMLNode* C : *Doc.Child(1)->Children)
            Seen += C != nullptr;
        QCOMPARE(Seen, 0);
        const TXMLNode* Const = Doc.Child(1);
        QCOMPARE(Const->Attributes->Count(), 0);
        QVERIFY(Const->Attributes->FindByName("a") == nullptr);

        // Attribute nodes still have no lists at all.
        TXMLNode* A = Doc.Child(2)->Attributes->Items(0);
        QVERIFY(!A->Attributes && !A->Children && A->Attributes == nullptr && A->Children == nullptr);
        QVERIFY(A->Prolog == nullptr);
        QCOMPARE(A->ChildCount(), 0);

        // Changes through -> reach the node, whatever its list held so far.
        TXMLNode* Added = Doc.Child(1)->Children->AddNode("x", "", nkElement);
        QCOMPARE(Added->Parent, Doc.Child(1));
        QCOMPARE(Doc.Child(1)->ChildCount(), 1);
        Leaf->Children->AddNode("y", "", nkElement);
        QCOMPARE(Doc.GetXml(), std::string("<r><leaf>text<y/></leaf><empty><x/></empty><pair a=\"1\" b=\"2\"/></r>"));
        TXMLNode* Z = Text->Children->AddNode("z", "", nkElement);
        QCOMPARE(Z->Parent, Text);
        QCOMPARE(Text->ChildCount(), 1);
        QCOMPARE(Text->Child(0), Z);
        Leaf->Children->Move(0, 1);
        QCOMPARE(Leaf->Child(1), Text);

        // A pointer or reference taken to a list stays that node's list.
        TXMLNode* Fresh = Doc.Children->AddNode("fresh", "", nkElement);
        TXMLNodeList* Kept = Fresh->Attributes;
        TXMLNodeList& KeptChildren = *Fresh->Children;
        QCOMPARE(Kept, static_cast<TXMLNodeList*>(Fresh->Attributes));
        QVERIFY(Fresh->Attributes == Kept);
        Kept->AddNode("k", "v", nkAttribute);
        KeptChildren.AddNode("c", "", nkElement);
        QCOMPARE(Fresh->GetXml(), std::string("<fresh k=\"v\"><c/></fresh>"));
        QCOMPARE(Kept->Owner, Fresh);
        QCOMPARE(Fresh->Children->Owner, Fresh);
        QCOMPARE(Doc.Child(1)->Children->Owner, Doc.Child(1));
        Fresh->Children->FreeAll();
        QCOMPARE(Fresh->ChildCount(), 0);
    }

    void deferredListsKeepTheirCaseFlag()
    {
        TXMLNode Folded("<e/>", true, nullptr);
        Folded.IgnoreCase = false;
        QVERIFY(Folded.Children->IgnoreCase && Folded.Attributes->IgnoreCase);
        Folded.SetAttribute("Name", "x");
        QCOMPARE(Folded.GetAttribute("NAME"), std::string("x"));

        TXMLNode Plain("<e/>", false, nullptr);
        Plain.Children->IgnoreCase = true;  // set on a list not made yet
        QVERIFY(Plain.Children->IgnoreCase);
        Plain.Children->AddNode("Child", "", nkElement);
        QVERIFY(Plain.Children->FindByName("CHILD") != nullptr);
    }

    void listsAddedToLaterAreFreedWithTheRoot()
    {
        QCOMPARE(TCountedNode::Live, 0);
        {
            TCountedNode Root("<r><a>t</a><b/></r>");
            TXMLNode* A = Root.Child(0);
            A->Child(0)->Children->AddNode("under-text", "", nkElement);
            Root.Child(1)->Children->AddNode("x", "", nkElement)->SetText("y");
            Root.Child(1)->Attributes->AddNode("k", "v", nkAttribute);
            QCOMPARE(TCountedNode::Live, 8);
        }
        QCOMPARE(TCountedNode::Live, 0);
    }

    void nodesCrossThreads()
    {
        // Made on one thread, freed on another, including after the maker ended.
        std::vector<TXMLNode*> Made;
        RunOnSmallStack([&] {
            for (int I = 0; I < 3; ++I)
                Made.push_back(new TXMLNode("<r a=\"1\"><x>text</x><y/></r>", false, nullptr));
        });
        TXMLNode* Kept = Made.back();
        Made.pop_back();
        for (TXMLNode* N : Made)
            delete N;
        QCOMPARE(Kept->GetXml(), std::string("<r a=\"1\"><x>text</x><y/></r>"));

        // Made here, freed by a thread that is still running while this one allocates.
        std::vector<TXMLNode*> Local;
        for (int I = 0; I < 2000; ++I)
            Local.push_back(TXMLNode::CreateNode("n", nkElement, nullptr, "v"));
        RunOnSmallStack([&] {
            for (size_t I = 0; I < Local.size(); I += 2)
                delete Local[I];
        });
        std::vector<TXMLNode*> More;
        for (int I = 0; I < 3000; ++I)
            More.push_back(TXMLNode::CreateNode("m", nkElement, nullptr, ""));
        for (size_t I = 1; I < Local.size(); I += 2)
            QCOMPARE(Local[I]->Value, std::string("v"));
        for (size_t I = 1; I < Local.size(); I += 2)
            delete Local[I];
        for (TXMLNode* N : More)
            delete N;
        delete Kept;
    }
};

QTEST_GUILESS_MAIN(TreeTest)
#include "tree_test.moc"
