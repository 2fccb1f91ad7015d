// Reading XML text: the dialect, every error message with its excerpt, nesting limits
// and resistance to damaged input.

#include "xmllib/xmls.h"

#include "platform/core/exceptions.h"

#include <QtTest>

#include <functional>
#include <memory>
#include <random>

namespace {

std::string ErrorOf(const std::string& Text)
{
    try {
        TXMLNode Node(Text, false, nullptr);
    } catch (const Exception& E) {
        return E.Message;
    }
    return "no error";
}

std::string Repeat(const std::string& S, int Count)
{
    std::string R;
    for (int I = 0; I < Count; ++I)
        R += S;
    return R;
}

bool IsParserMessage(const std::string& M)
{
    for (const char* Prefix : {"< expected", "Tag name expected: ", "Unterminated attribute", "= expected",
                               "Attribute value expected", "> expected", "Tag order error. Tag: \"",
                               "Unclosed Comment in XML", "Unclosed XML header", "XML nesting deeper than 2000 levels"})
        if (M.rfind(Prefix, 0) == 0)
            return true;
    return M.find(" :Illegal symbol in XML:") != std::string::npos;
}

} // namespace

class ParseTest : public QObject {
    Q_OBJECT

private slots:
    void errorMessages()
    {
        QCOMPARE(ErrorOf(" <a/>"), std::string("< expected"));
        QCOMPARE(ErrorOf("\r\n<a/>"), std::string("< expected"));
        QCOMPARE(ErrorOf("\xEF\xBB\xBF<a/>"), std::string("< expected"));
        QCOMPARE(ErrorOf("<a b= \"1\"/>"), std::string("5 :Illegal symbol in XML: "));
        QCOMPARE(ErrorOf("<a b='1'/>"), std::string("5 :Illegal symbol in XML:'"));
        QCOMPARE(ErrorOf("<a><b>x</b><#/></a>"), std::string("12 :Illegal symbol in XML:#"));
        QCOMPARE(ErrorOf("<a b=\"1/>"), std::string("Unterminated attribute"));
        QCOMPARE(ErrorOf("<a b=c/>"), std::string("Attribute value expected"));
        QCOMPARE(ErrorOf("<a b=\"1\""), std::string("> expected"));
        QCOMPARE(ErrorOf("<a b=\"1\" \r\n"), std::string("> expected"));
        QCOMPARE(ErrorOf("<a"), std::string("> expected"));
        QCOMPARE(ErrorOf("<a><!-- x</a>"), std::string("Unclosed Comment in XML"));
        QCOMPARE(ErrorOf("<?xml version=\"1.0\"<a/>"), std::string("Unclosed XML header"));
        QCOMPARE(ErrorOf("<?xml version =\"1.0\"?><a/>"), std::string("= expected"));
        QCOMPARE(ErrorOf("<?xml version=1.0?><a/>"), std::string("Attribute value expected"));
        QCOMPARE(ErrorOf("<?xml version=\"1.0\"?>"), std::string("< expected"));
        QCOMPARE(ErrorOf("<!-- only a comment -->"), std::string("< expected"));
        QCOMPARE(ErrorOf("<a><?pi?></a>"), std::string("Tag name expected: <a><?pi?></a>"));
    }

    void instructionEndingInBlanksAsksForEquals()
    {
        // The "?>" sits inside the quoted value; the text then ends after a blank,
        // where the pseudo-attribute loop reads an empty name that "=" must follow.
        QCOMPARE(ErrorOf("<?xml v=\"?>\" "), std::string("= expected"));
        QCOMPARE(ErrorOf("<?xml v=\"?>\"\r\n"), std::string("= expected"));
        // Without the trailing blank the loop ends at the limit and the next markup is missing.
        QCOMPARE(ErrorOf("<?xml v=\"?>\""), std::string("< expected"));
    }

    void excerpts()
    {
        QCOMPARE(ErrorOf("<a b>"), std::string("= expected:<a b>"));
        // The excerpt stops at the first NUL of the text.
        QCOMPARE(ErrorOf(std::string("<a b>\0tail", 10)), std::string("= expected:<a b>"));
        std::string Long = "<e " + std::string(97, 'a') + ">" + std::string(60, 'z');
        QCOMPARE(ErrorOf(Long), "= expected:" + std::string(51, 'a') + ">" + std::string(48, 'z'));

        QCOMPARE(ErrorOf("<root><a></b></root>"), std::string("Tag order error. Tag: \"a\" code: <root><a></b></root>"));
        std::string Order = "<r>" + std::string(150, 'x') + "<a></b>";
        QCOMPARE(ErrorOf(Order), "Tag order error. Tag: \"a\" code: " + std::string(98, 'x') + "<a></b>");
        QCOMPARE(ErrorOf("<a><>"), std::string("Tag name expected: <a><>"));
        QCOMPARE(ErrorOf("<r>" + std::string(30, 'x') + "<>"), "Tag name expected: " + std::string(19, 'x') + "<>");
        QCOMPARE(ErrorOf("<\"q\">"), std::string("Tag name expected: <\"q\">"));
    }

    void dialect()
    {
        TXMLNode Doc("<r a=\"x &quot;y&quot; &amp;amp;\" sp =\"1\"><t>&lt;b&gt; &amp; &#65;</t><w>  two words </w>\r\n"
                     "  <e/><c><![CDATA[<raw>&amp;]]><!--<raw>--></c></r><after/>",
                     false, nullptr);
        QCOMPARE(Doc.GetAttribute("a"), std::string("x \"y\" &amp;"));
        QCOMPARE(Doc.GetAttribute("sp"), std::string("1"));
        QCOMPARE(Doc.ChildCount(), 4);
        QCOMPARE(Doc.Child(0)->GetText(), std::string("<b&gt; & &#65;"));
        QCOMPARE(Doc.Child(1)->GetText(), std::string("  two words "));
        TXMLNode* C = Doc.Child(3);
        QCOMPARE(C->Child(0)->Kind, nkCData);
        QCOMPARE(C->Child(0)->Name, std::string("#cdata-section"));
        QCOMPARE(C->Child(0)->Value, std::string("<raw>&amp;"));
        QCOMPARE(C->Child(1)->Kind, nkComment);
        QCOMPARE(C->Child(1)->Name, std::string("#comment"));
        QCOMPARE(C->Child(1)->Value, std::string("<raw>"));

        // Name characters include the upper half used by Windows-1251 letters.
        TXMLNode Cyr("<\xC8\xEC\xFF \xE0=\"1\"/>", false, nullptr);
        QCOMPARE(Cyr.Name, std::string("\xC8\xEC\xFF"));

        // A closing tag is taken as "</" + name + one byte that is not looked at, so
        // after a blank in that place the ">" is character data.
        TXMLNode Blank("<r><a></a ></r>", false, nullptr);
        QCOMPARE(Blank.ChildCount(), 2);
        QCOMPARE(Blank.Child(1)->Value, std::string(">"));

        TXMLNode Cut("<r><a x=\"1\"><b>text", false, nullptr);
        QCOMPARE(Cut.GetXml(), std::string("<r><a x=\"1\"><b>text</b></a></r>"));
        TXMLNode OpenCData("<r><![CDATA[rest <a/>", false, nullptr);
        QCOMPARE(OpenCData.Child(0)->Value, std::string("rest <a/>"));

        TXMLNode Doctype("<!DOCTYPE r><r/>", false, nullptr);
        QCOMPARE(Doctype.Name, std::string());
        QCOMPARE(Doctype.Kind, nkElement);
        TXMLNode InnerDoctype("<r><!DOCTYPE x></r>", false, nullptr);
        QCOMPARE(InnerDoctype.ChildCount(), 2);
        QCOMPARE(InnerDoctype.Child(1)->Value, std::string("DOCTYPE x>"));

        // A self-closing slash counts wherever it stands among the attributes.
        TXMLNode Slash("<r / a=\"1\"><s/>", false, nullptr);
        QCOMPARE(Slash.GetXml(), std::string("<r a=\"1\"/>"));
    }

    void prologAndRootComments()
    {
        TXMLNode Doc("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<!-- made by hand -->\r\n"
                     "<?style href=\"a.css\"?><root x=\"1\"><!--kept--></root>",
                     false, nullptr);
        QCOMPARE(Doc.Kind, nkElement);
        QCOMPARE(Doc.Name, std::string("root"));
        QCOMPARE(Doc.Value, std::string());
        QCOMPARE(Doc.Prolog->Count(), 2);
        TXMLNode* Decl = Doc.Prolog->Items(0);
        QCOMPARE(Decl->Name, std::string("xml"));
        QCOMPARE(Decl->Parent, &Doc);
        QCOMPARE(Decl->GetAttribute("encoding"), std::string("windows-1251"));
        QCOMPARE(Decl->Attributes->Items(0)->Parent, Decl);
        QCOMPARE(Doc.GetXml(), std::string("<?xml version=\"1.0\" encoding=\"windows-1251\" ?><?style href=\"a.css\" ?>"
                                           "<root x=\"1\"><!--kept--></root>"));

        // Unquoted values are accepted only when asked for, and children inherit that.
        TXMLNode Loose("", false, nullptr);
        Loose.AllowUnquoted = true;
        std::string Text = "<?pi v=bare?><r a=b><c d=e/></r>";
        size_t Position = 0;
        ParseNode(&Loose, Text, Position, Text.size());
        QCOMPARE(Position, Text.size());
        QCOMPARE(Loose.GetXml(), std::string("<?pi v=\"bare\" ?><r a=\"b\"><c d=\"e\"/></r>"));

        // The parse stops after the first element.
        Text = "<a/><b/>";
        Position = 0;
        TXMLNode First("", false, nullptr);
        ParseNode(&First, Text, Position, Text.size());
        QCOMPARE(Position, size_t(4));
    }

    void nestingLimit()
    {
        std::string AtLimit = Repeat("<n>", MaxXmlDepth) + "x" + Repeat("</n>", MaxXmlDepth);
        TXMLNode Deep(AtLimit, false, nullptr);
        QCOMPARE(Deep.GetXml(), AtLimit);
        const std::string Refused = "XML nesting deeper than " + std::to_string(MaxXmlDepth) + " levels";
        QCOMPARE(ErrorOf(Repeat("<n>", MaxXmlDepth) + "<n/>" + Repeat("</n>", MaxXmlDepth)), Refused);
        QCOMPARE(ErrorOf(Repeat("<n>", MaxXmlDepth + 1)), Refused);
        // Leaves at the limit are not elements and do not count.
        TXMLNode Leaves(Repeat("<n>", MaxXmlDepth) + "<!--c--><![CDATA[d]]>text", false, nullptr);
        QCOMPARE(Leaves.GetXml(), Repeat("<n>", MaxXmlDepth) + "<!--c--><![CDATA[d]]>text" + Repeat("</n>", MaxXmlDepth));
    }

    void damagedInput()
    {
        const std::string Sample =
            "<?xml version=\"1.0\"?><!--c--><site a=\"1&amp;&quot;\"><item id=\"i1\" featured=\"yes\">"
            "<name>x &lt; y</name><d><![CDATA[z]]><!--n--></d><e/></item><p><q r=\"s\">t</q></p></site>";
        for (size_t Len = 0; Len <= Sample.size(); ++Len) {
            std::string Prefix = Sample.substr(0, Len);
            try {
                TXMLNode Node(Prefix, false, nullptr);
            } catch (const Exception& E) {
                if (!IsParserMessage(E.Message))
                    QFAIL(("prefix " + std::to_string(Len) + ": " + E.Message).c_str());
            }
        }
        std::mt19937 Random(20240611);
        const char Bytes[] = "<>/!?\"=&-[] a\0\xC0";
        int Parsed = 0;
        for (int Round = 0; Round < 20000; ++Round) {
            std::string Text = Sample;
            for (int K = 0; K < 3; ++K) {
                size_t At = Random() % Text.size();
                switch (Random() % 3) {
                case 0: Text[At] = Bytes[Random() % (sizeof Bytes - 1)]; break;
                case 1: Text.erase(At, 1 + Random() % 8); break;
                default: Text.insert(At, 1, static_cast<char>(Random() % 256)); break;
                }
                if (Text.empty())
                    Text = "<";
            }
            try {
                TXMLNode Node(Text, false, nullptr);
                ++Parsed;
                TXMLNode Again(Node.GetXml(), false, nullptr);
            } catch (const Exception& E) {
                if (!IsParserMessage(E.Message))
                    QFAIL(E.Message.c_str());
            }
        }
        QVERIFY(Parsed > 0);
    }
};

QTEST_GUILESS_MAIN(ParseTest)
#include "parse_test.moc"
