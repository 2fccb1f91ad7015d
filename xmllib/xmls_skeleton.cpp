// Default instances built from an XML Schema element declaration: one element per
// element declaration reached, the first producing alternative of each choice, and
// the declared defaults. Ten levels of nesting at most, which also ends recursive
// types and references.
#include "xmllib/xmls.h"

#include "platform/core/convert.h"
#include "platform/core/exceptions.h"

#include <memory>

namespace {

constexpr int MaxSkeletonLevel = 10;

struct SkeletonBuilder {
    TXMLNode* Root;
    std::string Prefix;
    bool IncludeOptional;
    bool ApplyDefaults;

    TXMLNode* Global(const std::string& LocalName, const std::string& Name) const
    {
        return Root->Children ? FindElementByAttribute(Root->Children, Prefix + LocalName, "name", Name) : nullptr;
    }

    bool SkippedAsOptional(const TXMLNode* C) const
    {
        return !IncludeOptional && C->GetAttribute("minOccurs") == "0";
    }

    void AddElement(TXMLNode* Target, TXMLNode* C, int Level)
    {
        const std::string Ref = C->GetAttribute("ref");
        if (!Ref.empty()) {
            TXMLNode* Added = Target->Children->AddNode(Ref, std::string(), nkElement);
            if (TXMLNode* Declared = Global("element", Ref))
                Fill(Added, Declared, Level + 1);
            return;
        }
        TXMLNode* Added = Target->Children->AddNode(C->GetAttribute("name"), std::string(), nkElement);
        const std::string Type = C->GetAttribute("type");
        const std::string Default = ApplyDefaults ? C->GetAttribute("default") : std::string();
        if (!Type.empty() && StartsWith(Type, Prefix)) {
            if (!Default.empty())
                Added->SetText(Default);
        } else if (!Type.empty()) {
            // A named simple type is not a complex type and leaves the element empty.
            if (TXMLNode* Named = Global("complexType", Type))
                Fill(Added, Named, Level + 1);
        } else {
            if (!Default.empty())
                Added->SetText(Default);
            Fill(Added, C, Level + 1);
        }
    }

    void Fill(TXMLNode* Target, TXMLNode* Source, int Level)
    {
        if (Level > MaxSkeletonLevel)
            return;
        const bool IsChoice = Source->Name == Prefix + "choice";
        bool Produced = false;
        for (int I = 0; I < Source->ChildCount(); ++I) {
            TXMLNode* C = Source->Child(I);
            if (Produced && IsChoice)
                break;
            const std::string& N = C->Name;
            if (N == Prefix + "attribute") {
                const std::string Default = C->GetAttribute("default");
                if (ApplyDefaults && !Default.empty())
                    Target->SetAttribute(C->GetAttribute("name"), Default);
            } else if (N == Prefix + "sequence") {
                if (SkippedAsOptional(C))
                    continue;
                Fill(Target, C, Level + 1);
                Produced = true;
            } else if (N == Prefix + "element") {
                Produced = true;
                if (SkippedAsOptional(C))
                    continue;
                AddElement(Target, C, Level);
            } else if (N == Prefix + "complexType" || N == Prefix + "choice" || N == Prefix + "simpleContent") {
                Fill(Target, C, Level + 1);
                Produced = true;
            }
            // Extensions, annotations, restrictions, groups and the rest add nothing.
        }
    }
};

bool IsNameChar(unsigned char C)
{
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '$' || C == '%' ||
           C == '*' || C == '-' || C == '.' || C == ':' || C == '@' || C == '_' || C >= 0xC0;
}

// The root is parsed from "<name/>"; a name holding markup ("a>", "a?", "a/><b")
// would otherwise come out as another element or carry stray text, so it is refused
// with the parser's own message for the first character that cannot stand in a name.
// A first "/", ">" or quote is refused by the parser itself, so it gives its message.
void CheckDeclaredName(const std::string& Name)
{
    if (!Name.empty() && (Name[0] == '/' || Name[0] == '>' || Name[0] == '"'))
        return;
    for (size_t I = 0; I < Name.size(); ++I)
        if (!IsNameChar(static_cast<unsigned char>(Name[I])))
            throw Exception(IntToStr(static_cast<long long>(I) + 1) + " :Illegal symbol in XML:" + Name[I]);
}

} // namespace

TXMLNode* CreateSkeleton(TXMLNode* Declaration, bool IncludeOptional, bool ApplyDefaults)
{
    SkeletonBuilder Builder{Declaration->GetRoot(), RootPrefix(Declaration), IncludeOptional, ApplyDefaults};
    const std::string Name = Declaration->GetAttribute("name");
    CheckDeclaredName(Name);
    std::unique_ptr<TXMLNode> Result(new TXMLNode("<" + Name + "/>", false, nullptr));

    TXMLNode* Source = Declaration;
    const std::string Type = Declaration->GetAttribute("type");
    if (!Type.empty() && !StartsWith(Type, Builder.Prefix))
        Source = Builder.Global("complexType", Type);
    if (Source)
        Builder.Fill(Result.get(), Source, 1);
    return Result.release();
}
