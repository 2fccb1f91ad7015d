// Feeds arbitrary bytes to the XML parser. A parse may fail only with the library's
// Exception; a document that parses is written in both forms, its compact form is read
// back, path queries run over it in get and set mode, and skeletons are built from its
// elements as if they were schema declarations. The sanitizers catch the rest.
#include "platform/core/exceptions.h"
#include "xmllib/xmls.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Doc = std::unique_ptr<TXMLNode>;

[[noreturn]] void Fail(const char* What)
{
    std::fprintf(stderr, "xml_fuzz: %s\n", What);
    std::abort();
}

bool IsNameChar(unsigned char C)
{
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '$' || C == '%' ||
           C == '*' || C == '-' || C == '.' || C == ':' || C == '@' || C == '_' || C >= 0xC0;
}

bool IsName(const std::string& S)
{
    if (S.empty())
        return false;
    for (char C : S)
        if (!IsNameChar(static_cast<unsigned char>(C)))
            return false;
    return true;
}

template <typename Visit>
void Walk(TXMLNode* Root, Visit&& V)
{
    std::vector<TXMLNode*> Stack{Root};
    while (!Stack.empty()) {
        TXMLNode* N = Stack.back();
        Stack.pop_back();
        V(N);
        for (int I = N->ChildCount() - 1; I >= 0; --I)
            Stack.push_back(N->Child(I));
    }
}

// Element nodes (and prolog targets) that the compact writer cannot spell as markup
// the parser reads back: an unnamed element from "<!DOCTYPE" and the like.
bool WritesBackAsMarkup(TXMLNode* Root)
{
    bool Ok = true;
    Walk(Root, [&](TXMLNode* N) {
        if (N->Kind == nkElement && !IsName(N->Name))
            Ok = false;
        if (N->Prolog)
            for (int I = 0; I < N->Prolog->Count(); ++I)
                if (!IsName(N->Prolog->Items(I)->Name))
                    Ok = false;
    });
    return Ok;
}

// Nested document searches multiply: keep paths short with at most two levels of them.
bool PathIsBounded(const std::string& Path)
{
    if (Path.size() > 64)
        return false;
    int Doubles = 0;
    for (size_t I = 0; I + 1 < Path.size(); ++I)
        if (Path[I] == '/' && Path[I + 1] == '/')
            ++Doubles;
    return Doubles <= 3;
}

void Query(TXMLNode* Root, TXMLNode* At, const std::string& Path)
{
    if (!PathIsBounded(Path))
        return;
    try {
        TXMLNode* Found = At->SelectNode(Path, false, "", true);
        if (Found && Found->GetRoot() != Root)
            Fail("a query left its document");
        (void)At->GetPathText(Path);
        At->SetPathText(Path, "fz");
        At->SetPathText(Path, "");
        // A path holding "//" already searches the document; walking it again from
        // every node would only square the cost.
        if (Path.find("//") == std::string::npos) {
            (void)SelectDeep(Root, Path, false, "", false);
            (void)SelectDeep(At, Path, true, "deep", false);
        }
    } catch (const Exception&) {
        // Bad positions and unnamed attributes are refused by design.
    }
}

// The number of elements a skeleton would get, computed the way it is built but with
// memory per (declaration, level), so schemas that fan out exponentially are skipped
// instead of exhausting the fuzzer's memory.
struct SkeletonSize {
    TXMLNode* Root;
    std::string Prefix;
    bool IncludeOptional;
    std::map<std::pair<const TXMLNode*, int>, uint64_t> Memo;

    static constexpr uint64_t Cap = uint64_t(1) << 40;

    TXMLNode* Global(const std::string& Local, const std::string& Name) const
    {
        return Root->Children ? FindElementByAttribute(Root->Children, Prefix + Local, "name", Name) : nullptr;
    }

    uint64_t Count(TXMLNode* Source, int Level)
    {
        if (Level > 10)
            return 0;
        auto Key = std::make_pair(static_cast<const TXMLNode*>(Source), Level);
        if (auto It = Memo.find(Key); It != Memo.end())
            return It->second;
        const bool IsChoice = Source->Name == Prefix + "choice";
        bool Produced = false;
        uint64_t Total = 0;
        for (int I = 0; I < Source->ChildCount(); ++I) {
            TXMLNode* C = Source->Child(I);
            if (Produced && IsChoice)
                break;
            const bool Optional = !IncludeOptional && C->GetAttribute("minOccurs") == "0";
            if (C->Name == Prefix + "sequence") {
                if (Optional)
                    continue;
                Total += Count(C, Level + 1);
                Produced = true;
            } else if (C->Name == Prefix + "element") {
                Produced = true;
                if (Optional)
                    continue;
                Total += 1;
                const std::string Ref = C->GetAttribute("ref");
                const std::string Type = C->GetAttribute("type");
                if (!Ref.empty()) {
                    if (TXMLNode* G = Global("element", Ref))
                        Total += Count(G, Level + 1);
                } else if (!Type.empty() && !StartsWith(Type, Prefix)) {
                    if (TXMLNode* T = Global("complexType", Type))
                        Total += Count(T, Level + 1);
                } else if (Type.empty()) {
                    Total += Count(C, Level + 1);
                }
            } else if (C->Name == Prefix + "complexType" || C->Name == Prefix + "choice" ||
                       C->Name == Prefix + "simpleContent") {
                Total += Count(C, Level + 1);
                Produced = true;
            }
            if (Total > Cap)
                Total = Cap;
        }
        Memo[Key] = Total;
        return Total;
    }

    uint64_t Of(TXMLNode* Declaration)
    {
        TXMLNode* Source = Declaration;
        const std::string Type = Declaration->GetAttribute("type");
        if (!Type.empty() && !StartsWith(Type, Prefix))
            Source = Global("complexType", Type);
        return Source ? Count(Source, 1) : 0;
    }
};

void Skeletons(TXMLNode* Root)
{
    std::vector<TXMLNode*> Elements;
    Walk(Root, [&](TXMLNode* N) {
        if (N->Kind == nkElement && Elements.size() < 24)
            Elements.push_back(N);
    });
    for (bool Full : {true, false}) {
        SkeletonSize Size{Root, RootPrefix(Root), Full, {}};
        for (TXMLNode* E : Elements) {
            if (Size.Of(E) > 20000)
                continue;
            try {
                Doc Result(CreateSkeleton(E, Full, Full));
                if (Result->Parent || Result->Name != E->GetAttribute("name"))
                    Fail("a skeleton is not a root named after its declaration");
                (void)Result->GetXml();
            } catch (const Exception&) {
                // Declarations whose names are no element names are refused.
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    Doc Root;
    try {
        Root.reset(new TXMLNode(Text, false, nullptr));
    } catch (const Exception&) {
        return 0;
    }

    const std::string Compact = Root->GetXml();
    const std::string Indented = Root->GetIndentedXml(" ");
    if (WritesBackAsMarkup(Root.get())) {
        try {
            Doc Again(new TXMLNode(Compact, false, nullptr));
            if (Again->GetXml() != Compact)
                Fail("the compact form changed when read back");
            Doc Spaced(new TXMLNode(Indented, false, nullptr));
        } catch (const Exception& E) {
            std::fprintf(stderr, "%s\n", E.Message.c_str());
            Fail("a written document does not read back");
        }
    }

    // Paths from the document's own names, and one from the input's last bytes.
    std::vector<std::string> Paths{"", ".", "..", "//", "[0]", "[last()]", "*[@name=x]", "[1]/..", "//@name",
                                   ".//[0]"};
    TXMLNode* First = Root->ChildCount() > 0 ? Root->Child(0) : nullptr;
    if (First && !First->Name.empty()) {
        Paths.push_back(First->Name);
        Paths.push_back("//" + First->Name);
        Paths.push_back(First->Name + "[last()]/new/@attr");
        Paths.push_back(First->Name + "[0]/.././" + First->Name);
        if (First->Attributes && First->Attributes->Count() > 0) {
            TXMLNode* A = First->Attributes->Items(0);
            Paths.push_back("*[@" + A->Name + "=\"" + A->Value + "\"]");
            Paths.push_back("@" + A->Name);
        }
    }
    Paths.push_back(Text.substr(Text.size() > 40 ? Text.size() - 40 : 0));

    Skeletons(Root.get());

    TXMLNode* Deepest = Root.get();
    while (Deepest->ChildCount() > 0)
        Deepest = Deepest->Child(Deepest->ChildCount() - 1);
    for (const std::string& Path : Paths) {
        Query(Root.get(), Root.get(), Path);
        Query(Root.get(), Deepest, Path);
    }
    (void)Root->GetXml();
    return 0;
}
