// Writing XML text: the compact and indented forms, escaping, round trips and depth.

#include "xmllib/xmls.h"

#include <QThread>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Runs Work on a thread with a small stack: a recursive walk over a deep tree fails there.
void RunOnSmallStack(const std::function<void()>& Work)
{
    std::unique_ptr<QThread> Thread(QThread::create(Work));
    Thread->setStackSize(512 * 1024);
    Thread->start();
    Thread->wait();
}

// A chain of Depth elements named n, built by code.
TXMLNode* Chain(int Depth)
{
    auto* Root = TXMLNode::CreateNode("n", nkElement, nullptr, "");
    TXMLNode* Cur = Root;
    for (int I = 1; I < Depth; ++I)
        Cur = Cur->Children->AddNode("n", "", nkElement);
    return Root;
}

} // namespace

class WriteTest : public QObject {
    Q_OBJECT

private slots:
    void compactForm()
    {
        const std::string Text = "<?xml version=\"1.0\"?><?app a=\"1\"?><r a=\"1\" b=\"&amp;&quot;'>\">"
                                 "&lt;&amp;&gt;'\"<e/><![CDATA[<&]]><!--<&--><f>x</f></r>";
        TXMLNode Doc(Text, false, nullptr);
        const std::string Compact = "<?xml version=\"1.0\" ?><?app a=\"1\" ?><r a=\"1\" b=\"&amp;&quot;'>\">"
                                    "&lt;&amp;&amp;gt;'\"<e/><![CDATA[<&]]><!--<&--><f>x</f></r>";
        QCOMPARE(Doc.GetXml(), Compact);
        TXMLNode Again(Compact, false, nullptr);
        QCOMPARE(Again.GetXml(), Compact);
        QCOMPARE(Doc.GetIndentedXml(" ").substr(0, 3), std::string("<r "));

        TXMLNode Quoted("<e/>", false, nullptr);
        Quoted.SetAttribute("q", "say \"hi\" & go");
        QCOMPARE(Quoted.GetXml(), std::string("<e q=\"say &quot;hi&quot; &amp; go\"/>"));
        TXMLNode Read(Quoted.GetXml(), false, nullptr);
        QCOMPARE(Read.GetAttribute("q"), std::string("say \"hi\" & go"));

        // Single nodes of every kind, and a kind value outside the set.
        QCOMPARE(Doc.Attributes->Items(1)->GetXml(), std::string("b=\"&amp;&quot;'>\""));
        QCOMPARE(Doc.Child(0)->GetXml(), std::string("&lt;&amp;&amp;gt;'\""));
        QCOMPARE(Doc.Child(3)->GetXml(), std::string("<!--<&-->"));
        std::unique_ptr<TXMLNode> Odd(TXMLNode::CreateNode("odd", static_cast<TXMLNodeKind>(7), nullptr, "v"));
        QCOMPARE(Odd->GetXml(), std::string());

        // A processing instruction inside content travels with the node after it.
        TXMLNode Inner("<r><?pi x=\"1\"?><a/></r>", false, nullptr);
        QCOMPARE(Inner.GetXml(), std::string("<r><?pi x=\"1\" ?><a/></r>"));
    }

    void escapedEntityTextRoundTrips()
    {
        // "&amp;lt;" is an escaped ampersand followed by "lt;": the four characters
        // "&lt;", not "<", and written back exactly as it was read.
        const std::string Text = "<r><t>&amp;lt;</t><u>a &amp;lt;b&amp;gt; &lt; &amp;amp;</u></r>";
        TXMLNode Doc(Text, false, nullptr);
        QCOMPARE(Doc.Child(0)->GetText(), std::string("&lt;"));
        QCOMPARE(Doc.Child(0)->GetText().size(), size_t(4));
        QCOMPARE(Doc.Child(1)->GetText(), std::string("a &lt;b&gt; < &amp;"));
        QCOMPARE(Doc.GetXml(), Text);
        QCOMPARE(Doc.GetIndentedXml(" "), std::string("<r>\r\n <t>&amp;lt;</t>\r\n <u>a &amp;lt;b&amp;gt; &lt; &amp;amp;</u>\r\n</r>\r\n"));
        TXMLNode Back(Doc.GetIndentedXml(" "), false, nullptr);
        QCOMPARE(Back.Child(0)->GetText(), std::string("&lt;"));
        QCOMPARE(Back.GetXml(), Text);

        QCOMPARE(UnescapeText("&amp;lt;"), std::string("&lt;"));
        QCOMPARE(EscapeText("&lt;"), std::string("&amp;lt;"));
        QCOMPARE(UnescapeText("&amp;amp;lt;"), std::string("&amp;lt;"));
        QCOMPARE(EscapeText(UnescapeText("&amp;amp;lt;")), std::string("&amp;amp;lt;"));

        // The same in attribute values, with "&quot;".
        TXMLNode Attr("<r a=\"&amp;quot;&amp;lt;\"/>", false, nullptr);
        QCOMPARE(Attr.GetAttribute("a"), std::string("&quot;&lt;"));
        QCOMPARE(Attr.GetXml(), std::string("<r a=\"&amp;quot;&amp;lt;\"/>"));

        // Set through the tree, the characters are escaped once on the way out.
        TXMLNode Set("<r/>", false, nullptr);
        Set.SetText("&lt;");
        QCOMPARE(Set.GetXml(), std::string("<r>&amp;lt;</r>"));
        QCOMPARE(TXMLNode(Set.GetXml(), false, nullptr).GetText(), std::string("&lt;"));
    }

    void indentedForm()
    {
        TXMLNode Doc("<?xml version=\"1.0\"?><root a=\"1\"><child>text</child><list><item/><item x=\"&amp;\"/></list>"
                     "<mixed>t<b/></mixed><!--c--></root>",
                     false, nullptr);
        const std::string Indented = "<root a=\"1\">\r\n"
                                     " <child>text</child>\r\n"
                                     " <list>\r\n"
                                     "  <item/>\r\n"
                                     "  <item x=\"&amp;\"/>\r\n"
                                     " </list>\r\n"
                                     " <mixed>t  <b/>\r\n"
                                     " </mixed>\r\n"
                                     "<!--c--></root>\r\n";
        QCOMPARE(Doc.GetIndentedXml(" "), Indented);
        // Read back, the mixed text has gained the indent as trailing blanks.
        TXMLNode Back(Indented, false, nullptr);
        QCOMPARE(Back.Child(2)->GetText(), std::string("t  "));
        QVERIFY(Back.Prolog == nullptr);

        // Whatever the indent at the top, each level adds one blank.
        TXMLNode Tabs("<r><c><g/></c></r>", false, nullptr);
        QCOMPARE(Tabs.GetIndentedXml("\t"), std::string("<r>\r\n\t<c>\r\n\t <g/>\r\n\t</c>\r\n</r>\r\n"));
        QCOMPARE(Tabs.GetIndentedXml(""), std::string("<r>\r\n<c>\r\n <g/>\r\n</c>\r\n</r>\r\n"));

        TXMLNode Empty("<r a=\"1\"/>", false, nullptr);
        QCOMPARE(Empty.GetXml(), std::string("<r a=\"1\"/>"));
        QCOMPARE(Empty.GetIndentedXml(" "), std::string("<r a=\"1\"/>\r\n"));
        TXMLNode CData("<r><![CDATA[x]]></r>", false, nullptr);
        QCOMPARE(CData.GetIndentedXml(" "), std::string("<r>\r\n<![CDATA[x]]></r>\r\n"));
        TXMLNode DeepText("<a><b><c>t</c></b></a>", false, nullptr);
        QCOMPARE(DeepText.GetIndentedXml(" "), std::string("<a>\r\n <b>\r\n  <c>t</c>\r\n </b>\r\n</a>\r\n"));
        QCOMPARE(DeepText.Child(0)->Child(0)->Child(0)->GetIndentedXml(" "), std::string("t"));
    }

    void indentedRoundTrip()
    {
        const std::string Compact = "<site><regions><item id=\"i1\" featured=\"yes\"><name>a &amp; b</name>"
                                    "<mailbox><mail><from>x</from><text>hello</text></mail></mailbox></item>"
                                    "<item id=\"i2\"/></regions><people/></site>";
        TXMLNode Doc(Compact, false, nullptr);
        TXMLNode Back(Doc.GetIndentedXml(" "), false, nullptr);
        QCOMPARE(Back.GetXml(), Compact);
    }

    void deepTrees()
    {
        const int Depth = 100000;
        bool CompactOk = false;
        RunOnSmallStack([&] {
            std::unique_ptr<TXMLNode> Root(Chain(Depth));
            std::string Expected;
            for (int I = 1; I < Depth; ++I)
                Expected += "<n>";
            Expected += "<n/>";
            for (int I = 1; I < Depth; ++I)
                Expected += "</n>";
            CompactOk = Root->GetXml() == Expected;
        });
        QVERIFY(CompactOk);

        // The indented text grows with the square of the depth, so a shallower chain.
        const int Indented = 5000;
        bool IndentedOk = false;
        RunOnSmallStack([&] {
            std::unique_ptr<TXMLNode> Root(Chain(Indented));
            std::string Expected;
            for (int I = 0; I < Indented - 1; ++I)
                Expected += std::string(I, ' ') + "<n>\r\n";
            Expected += std::string(Indented - 1, ' ') + "<n/>\r\n";
            for (int I = Indented - 2; I >= 0; --I)
                Expected += std::string(I, ' ') + "</n>\r\n";
            IndentedOk = Root->GetIndentedXml(" ") == Expected;
        });
        QVERIFY(IndentedOk);
    }
};

QTEST_GUILESS_MAIN(WriteTest)
#include "write_test.moc"
