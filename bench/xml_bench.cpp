// Parses and writes generated auction-site documents (the shape of the XMark
// benchmark data: many small elements with attributes and short texts) with our
// node tree and with pugixml, in the same run, and prints throughput, the ratio
// of our time to pugixml's and the memory a parsed document takes.
//
// Usage: xml_bench [megabytes [file]]   (default 10 MB; a 50 KB document is always
// measured too; with a file name the large document is also saved there)

#include "xmllib/xmls.h"

#include <pugixml.hpp>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const Words[] = {
    "page",    "rous",    "lady",     "idle",     "authority", "capt",   "professes", "stabs",  "monster",
    "petition", "heave",  "humbly",   "removes",  "rescue",    "runs",   "shady",     "peace",  "piteous",
    "worser",  "oak",     "assembly", "holes",    "patience",  "malice", "mirrors",   "master", "tenants",
    "smocks",  "yielded", "officer",  "embrace",  "such",      "fears",  "attires",   "duteous", "nine",
    "eighteen", "scruple", "learned", "crowns",   "half",      "whisper", "weapons",  "doors",  "flood",
};
const char* const Countries[] = {"United States", "Germany", "Moldova", "Japan", "Kenya", "Brazil"};
const char* const FirstNames[] = {"Dominic", "Mechthild", "Kasidit", "Jaak", "Moheb", "Ewing", "Lidia"};
const char* const LastNames[] = {"Takano", "Renear", "Treweek", "Tempesti", "Aoki", "Lammel", "Rosca"};
const char* const Regions[] = {"africa", "asia", "australia", "europe", "namerica", "samerica"};

class TGenerator {
public:
    explicit TGenerator(size_t TargetBytes) : Target(TargetBytes), Random(42) {}

    std::string Make()
    {
        Out.reserve(Target + Target / 8);
        Out += "<?xml version=\"1.0\" standalone=\"yes\"?>\n<site>\n<regions>\n";
        // Items take about half the document, people a quarter, auctions the rest.
        for (size_t R = 0; R < std::size(Regions); ++R) {
            Out += std::string("<") + Regions[R] + ">\n";
            while (Out.size() < Target * (R + 1) / 12)
                Item();
            Out += std::string("</") + Regions[R] + ">\n";
        }
        Out += "</regions>\n<people>\n";
        while (Out.size() < Target * 3 / 4)
            Person();
        Out += "</people>\n<open_auctions>\n";
        while (Out.size() < Target)
            Auction();
        Out += "</open_auctions>\n</site>\n";
        return std::move(Out);
    }

private:
    size_t Target;
    std::mt19937 Random;
    std::string Out;
    int Items = 0, People = 0, Auctions = 0;

    int Pick(int N) { return static_cast<int>(Random() % static_cast<unsigned>(N)); }
    template <size_t N> const char* Any(const char* const (&List)[N]) { return List[Pick(N)]; }

    void Sentence(int MinWords, int MaxWords)
    {
        int Count = MinWords + Pick(MaxWords - MinWords + 1);
        for (int I = 0; I < Count; ++I) {
            if (I)
                Out += ' ';
            Out += Any(Words);
        }
        if (Pick(20) == 0)
            Out += " &amp; co";
    }

    void Leaf(const char* Tag, const std::string& Text)
    {
        Out += '<';
        Out += Tag;
        Out += '>';
        Out += Text;
        Out += "</";
        Out += Tag;
        Out += ">\n";
    }

    std::string Person(int Id) { return std::string(FirstNames[Id % 7]) + " " + LastNames[(Id / 7) % 7]; }

    void Item()
    {
        int Id = Items++;
        Out += "<item id=\"item" + std::to_string(Id) + "\"" + (Pick(10) == 0 ? " featured=\"yes\"" : "") + ">\n";
        Leaf("location", Any(Countries));
        Leaf("quantity", std::to_string(1 + Pick(3)));
        Out += "<name>";
        Sentence(2, 4);
        Out += "</name>\n";
        Leaf("payment", "Creditcard, Cash");
        Out += "<description>\n<text>\n";
        Sentence(5, 20);
        Out += " <keyword>";
        Sentence(1, 3);
        Out += "</keyword>\n</text>\n</description>\n";
        Leaf("shipping", "Will ship internationally");
        Out += "<incategory category=\"category" + std::to_string(Pick(1000)) + "\"/>\n<mailbox>\n";
        for (int M = Pick(3); M > 0; --M) {
            Out += "<mail>\n";
            Leaf("from", Person(Pick(49)) + " mailto:" + LastNames[Pick(7)] + "@example.com");
            Leaf("to", Person(Pick(49)) + " mailto:" + LastNames[Pick(7)] + "@example.com");
            Leaf("date", std::to_string(1 + Pick(12)) + "/" + std::to_string(1 + Pick(28)) + "/1999");
            Out += "<text>\n";
            Sentence(3, 15);
            Out += "\n</text>\n</mail>\n";
        }
        Out += "</mailbox>\n</item>\n";
    }

    void Person()
    {
        int Id = People++;
        Out += "<person id=\"person" + std::to_string(Id) + "\">\n";
        Leaf("name", Person(Id));
        Leaf("emailaddress", std::string("mailto:") + LastNames[Id % 7] + "@example.com");
        if (Pick(2))
            Leaf("phone", "+0 (645) " + std::to_string(10000000 + Pick(89999999)));
        Out += "<address>\n";
        Leaf("street", std::to_string(1 + Pick(99)) + " Mclean St");
        Leaf("city", "Monterrey");
        Leaf("country", Any(Countries));
        Leaf("zipcode", std::to_string(Pick(100)));
        Out += "</address>\n<profile income=\"" + std::to_string(10000 + Pick(90000)) + ".59\">\n";
        for (int I = Pick(4); I > 0; --I)
            Out += "<interest category=\"category" + std::to_string(Pick(1000)) + "\"/>\n";
        Leaf("education", "Graduate School");
        Leaf("gender", Pick(2) ? "male" : "female");
        Leaf("business", "No");
        Leaf("age", std::to_string(18 + Pick(50)));
        Out += "</profile>\n<watches>\n";
        for (int I = Pick(4); I > 0; --I)
            Out += "<watch open_auction=\"open_auction" + std::to_string(Pick(1000)) + "\"/>\n";
        Out += "</watches>\n</person>\n";
    }

    void Auction()
    {
        int Id = Auctions++;
        Out += "<open_auction id=\"open_auction" + std::to_string(Id) + "\">\n";
        Leaf("initial", std::to_string(Pick(200)) + ".70");
        for (int B = 1 + Pick(5); B > 0; --B) {
            Out += "<bidder>\n";
            Leaf("date", "03/13/2000");
            Leaf("time", "09:39:14");
            Out += "<personref person=\"person" + std::to_string(Pick(1000)) + "\"/>\n";
            Leaf("increase", std::to_string(1 + Pick(20)) + ".00");
            Out += "</bidder>\n";
        }
        Leaf("current", std::to_string(Pick(500)) + ".20");
        Out += "<itemref item=\"item" + std::to_string(Pick(1000)) + "\"/>\n";
        Out += "<seller person=\"person" + std::to_string(Pick(1000)) + "\"/>\n";
        Out += "<annotation>\n<author person=\"person" + std::to_string(Pick(1000)) + "\"/>\n<description>\n<text>\n";
        Sentence(5, 15);
        Out += "\n</text>\n</description>\n";
        Leaf("happiness", std::to_string(1 + Pick(10)));
        Out += "</annotation>\n";
        Leaf("quantity", "1");
        Leaf("type", "Regular");
        Out += "<interval>\n";
        Leaf("start", "05/21/2000");
        Leaf("end", "10/20/2000");
        Out += "</interval>\n</open_auction>\n";
    }
};

using Clock = std::chrono::steady_clock;

// Best time of Runs calls, in seconds; Setup runs before each call, untimed.
double Best(int Runs, const std::function<void()>& Work, const std::function<void()>& Setup = {})
{
    double Result = 1e30;
    for (int I = 0; I < Runs; ++I) {
        if (Setup)
            Setup();
        auto Start = Clock::now();
        Work();
        Result = std::min(Result, std::chrono::duration<double>(Clock::now() - Start).count());
    }
    return Result;
}

struct TStringWriter : pugi::xml_writer {
    std::string Out;
    void write(const void* Data, size_t Size) override { Out.append(static_cast<const char*>(Data), Size); }
};

// Blocks above the mmap threshold (the text copy, long child arrays) count as well.
size_t HeapInUse()
{
    struct mallinfo2 Info = mallinfo2();
    return Info.uordblks + Info.hblkhd;
}

void Row(const char* What, double Bytes, double Ours, double Theirs)
{
    std::printf("  %-16s ours %8.1f MB/s   pugixml %8.1f MB/s   time ratio ours/pugixml %5.2f\n", What,
                Bytes / Ours / 1e6, Bytes / Theirs / 1e6, Ours / Theirs);
}

void Measure(const std::string& Label, const std::string& Text, int Runs, bool ShowMemory)
{
    const double Bytes = static_cast<double>(Text.size());
    std::printf("%s: %.2f MB, best of %d runs\n", Label.c_str(), Bytes / 1e6, Runs);

    std::unique_ptr<TXMLNode> Doc;
    double Parse = Best(Runs, [&] { Doc.reset(new TXMLNode(Text, false, nullptr)); }, [&] { Doc.reset(); });
    std::string Sink;
    double Compact = Best(Runs, [&] { Sink = Doc->GetXml(); });
    size_t CompactSize = Sink.size();
    double Indented = Best(Runs, [&] { Sink = Doc->GetIndentedXml(" "); });
    double Free = Best(
        Runs, [&] { Doc.reset(); }, [&] { Doc.reset(new TXMLNode(Text, false, nullptr)); });

    pugi::xml_document PugiDoc;
    double PugiParse = Best(Runs, [&] {
        if (!PugiDoc.load_buffer(Text.data(), Text.size()))
            std::abort();
    });
    TStringWriter Writer;
    double PugiCompact = Best(
        Runs, [&] { PugiDoc.save(Writer, "", pugi::format_raw); }, [&] { Writer.Out = std::string(); });
    double PugiIndented = Best(
        Runs, [&] { PugiDoc.save(Writer, " ", pugi::format_indent); }, [&] { Writer.Out = std::string(); });

    Row("parse", Bytes, Parse, PugiParse);
    Row("write compact", Bytes, Compact, PugiCompact);
    Row("write indented", Bytes, Indented, PugiIndented);
    std::printf("  %-16s ours %8.1f MB/s   (compact text %.2f MB)\n", "free", Bytes / Free / 1e6, CompactSize / 1e6);

    if (ShowMemory) {
        PugiDoc.reset();
        size_t Before = HeapInUse();
        Doc.reset(new TXMLNode(Text, false, nullptr));
        size_t Ours = HeapInUse() - Before;
        Doc.reset();
        Before = HeapInUse();
        PugiDoc.load_buffer(Text.data(), Text.size());
        size_t Theirs = HeapInUse() - Before;
        std::printf("  memory of the parsed document: ours %.1f MB = %.2f x text, pugixml %.1f MB = %.2f x text\n",
                    Ours / 1e6, Ours / Bytes, Theirs / 1e6, Theirs / Bytes);
    }
}

} // namespace

int main(int argc, char** argv)
{
    double Megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
    std::string Large = TGenerator(static_cast<size_t>(Megabytes * 1e6)).Make();
    std::string Small = TGenerator(50000).Make();
    if (argc > 2)
        SaveStringToFile(Large, argv[2]);
    Measure("Large document", Large, 5, true);
    Measure("Small document", Small, 400, false);
    return 0;
}
