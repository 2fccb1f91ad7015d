// XML Schema declarations read as row rules. Nothing is cached: every rule reads
// the live trees, so an edited schema or document is seen at the next question.
// Rows follow the schema's order; a child that does not fit the declaration
// expected at its place gets no row. The members of an all group may stand in any
// order: the group takes the run of children that carry its members' names, and
// each member is found within that run.
#include "inspector/xsd_rules.h"

#include "platform/core/convert.h"
#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"
#include "xmllib/strs.h"

#include <algorithm>
#include <memory>

namespace {


const size_t MaxTypeNameLength = 50;

bool IsNamed(const TXMLNode* Node, const std::string& Prefix, const char* LocalName)
{
    return Node && Node->Name == Prefix + LocalName;
}

TXMLNode* FindChild(TXMLNode* Node, const std::string& Name)
{
    return Node && Node->Children ? Node->Children->FindByName(Name) : nullptr;
}

std::string TrimBlanks(const std::string& S)
{
    size_t B = 0, E = S.size();
    while (B < E && static_cast<unsigned char>(S[B]) <= ' ')
        ++B;
    while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ')
        --E;
    return S.substr(B, E - B);
}

bool IsDictionaryId(const std::string& Id)
{
    return !Id.empty() && Id[0] == '@';
}

void DeriveFrom(TXMLNode* S, const std::string& Prefix, TEffectiveType& Result)
{
    if (TXMLNode* Extension = FindChild(S, Prefix + "extension")) {
        Result.TypeName = Extension->GetAttribute("base");
        Result.IsExtension = true;
    } else if (TXMLNode* Restriction = FindChild(S, Prefix + "restriction")) {
        Result.TypeName = Restriction->GetAttribute("base");
    }
}

// The node that describes a declaration for flags: a named type unless built in,
// else the referenced declaration, else the declaration itself.
TXMLNode* FlagsNode(TXMLNode* D, const std::string& Prefix)
{
    const std::string Type = D->GetAttribute("type");
    if (!Type.empty() && !StartsWith(Type, Prefix))
        return FindGlobal(D, Type);
    const std::string Ref = D->GetAttribute("ref");
    if (!Ref.empty())
        return FindGlobal(D, Ref);
    return D;
}

bool InSimpleContentList(const std::string& TypeName, const std::string& Prefix)
{
    static const char* const Names[] = {"string", "date",  "NMTOKEN", "NMTOKENS", "gMonthDay",
                                        "boolean", "float", "integer", "decimal"};
    for (const char* Name : Names)
        if (TypeName == Prefix + Name)
            return true;
    return false;
}

TXMLNode* FirstEnumeration(TXMLNode* N, const std::string& Prefix)
{
    const std::string Path = IsNamed(N, Prefix, "simpleType")
                                 ? Prefix + "restriction/" + Prefix + "enumeration"
                                 : "/" + Prefix + "simpleType/" + Prefix + "restriction/" + Prefix + "enumeration";
    return N->SelectNode(Path, false, "", false);
}

void CheckFloat(const std::string& V)
{
    // The edit offers "." as the decimal point whatever the locale's separator.
    std::string Local = V;
    if (FormatSettings.DecimalSeparator != '.')
        std::replace(Local.begin(), Local.end(), '.', FormatSettings.DecimalSeparator);
    double Ignored;
    if (!TryStrToFloat(Local, Ignored))
        throw EConvertError(FormatStr("'%s' is not a valid floating point value", {V}));
}


// Group nesting deeper than this is not walked: a schema whose groups name
// themselves through "type" or "ref" would otherwise recurse without end.
const int MaxGroupDepth = 64;

const int Unbounded = 10000;

bool PassesFilter(TXMLNode* FilterNode, TXMLNode* Node)
{
    if (!FilterNode)
        return true;
    return FilterNode->SelectNode(Node->GetPath(), false, "", false) != nullptr;
}

// Where the content under a declaration would put a new element named NewName.
struct TPlace {
    bool Found = false;
    int Index = 0;
    int Occurrences = 0;  // of the receiving element declaration, just before Index
};

void FindPlace(TXMLNode* D, TXMLNode* E, const std::string& NewName, const std::string& Prefix, int& Position,
               int Depth, TPlace& Place)
{
    if (Depth > MaxGroupDepth)
        return;
    TXMLNode* N = RowsNode(D);
    if (!N || !N->Children)
        return;
    for (TXMLNode* C : *N->Children) {
        if (Place.Found)
            return;
        if (C->Name == Prefix + "element") {
            const int MaxOccurs = MaxOccursOf(C);
            const std::string Name = ElementNameOf(C);
            int Count = 0;
            while (Position < E->ChildCount() && E->Child(Position)->Name == Name) {
                ++Count;
                ++Position;
            }
            bool PassOver = Count >= MaxOccurs || NewName != Name;
            if (N->Name == Prefix + "choice" && Count == 0 && E->ChildCount() > 0)
                PassOver = true;
            if (!PassOver) {
                Place.Found = true;
                Place.Index = Position;
                Place.Occurrences = Count;
            }
        } else if (C->Name == Prefix + "complexType") {
            if (!C->GetAttribute("name").empty()) {
                Place.Found = true;
                Place.Index = Position;
            } else {
                FindPlace(C, E, NewName, Prefix, Position, Depth + 1, Place);
            }
        } else if (C->Name == Prefix + "all") {
            const int Start = Position;
            Position = AllGroupEnd(C, E, Start);
            for (TXMLNode* A : AllMembers(C)) {
                if (ElementNameOf(A) != NewName)
                    continue;
                const int Count = static_cast<int>(AllOccurrences(A, E, Start, Position).size());
                if (Count < MaxOccursOf(A)) {
                    Place.Found = true;
                    Place.Index = AllGroupInsertIndex(C, A, E, Start, Position);
                    Place.Occurrences = Count;
                }
                break;
            }
        } else if (IsContentGroup(C->Name, Prefix)) {
            FindPlace(C, E, NewName, Prefix, Position, Depth + 1, Place);
        }
    }
}

TPlace PlaceBySchema(TXMLNode* TypeNode, TXMLNode* Element, TXMLNode* NewElement)
{
    TPlace Place;
    int Position = 0;
    FindPlace(TypeNode, Element, NewElement->Name, RootPrefix(TypeNode), Position, 0, Place);
    return Place;
}

void InsertAt(TXMLNode* Element, TXMLNode* NewElement, int Index)
{
    Element->Children->Insert(Index, NewElement);
    NewElement->Parent = Element;
}

// An all group's members stand in any order: each gets the rows of its own
// occurrences among the group's children, in the group's declaration order. A
// required member that is missing while the element has content there is created,
// as in a sequence, at the place its declaration order gives it.
void EnumAllRows(TXMLNode* All, TXMLNode* E, int& Position, TXMLNode* FilterNode, const TSchemaRowProc& Proc,
                 bool InsertMissing)
{
    const int Start = Position;
    int End = AllGroupEnd(All, E, Start);
    for (TXMLNode* A : AllMembers(All)) {
        std::vector<int> Found = AllOccurrences(A, E, Start, End);
        if (InsertMissing && Found.empty() && MinOccursOf(A) > 0 && Start < E->ChildCount()) {
            std::unique_ptr<TXMLNode> New(CreateSkeleton(A, true, true));
            New->Name = ElementNameOf(A);
            const int Index = AllGroupInsertIndex(All, A, E, Start, End);
            InsertAt(E, New.release(), Index);
            ++End;
            Found.push_back(Index);
        }
        const int MaxOccurs = MaxOccursOf(A);
        for (int I = 0; I < static_cast<int>(Found.size()) && I < MaxOccurs; ++I) {
            TXMLNode* Child = E->Child(Found[I]);
            if (PassesFilter(FilterNode, Child))
                Proc(Child, A);
        }
    }
    Position = End;
}

void EnumRows(TXMLNode* D, TXMLNode* E, int& Position, TXMLNode* FilterNode, const TSchemaRowProc& Proc, int Depth,
              bool InsertMissing)
{
    if (Depth > MaxGroupDepth)
        return;
    const std::string Prefix = RootPrefix(D);
    TXMLNode* N = RowsNode(D);
    if (!N || !N->Children)
        return;
    // Children are read by index: creating a required element inserts into E, never into N.
    for (int I = 0; I < N->ChildCount(); ++I) {
        TXMLNode* C = N->Child(I);
        if (C->Name == Prefix + "attribute") {
            Proc(E, C);
        } else if (C->Name == Prefix + "element") {
            const std::string Name = ElementNameOf(C);
            const int MinOccurs = MinOccursOf(C);
            const int MaxOccurs = MaxOccursOf(C);
            if (InsertMissing && Position < E->ChildCount() && MinOccurs > 0 && E->Child(Position)->Name != Name) {
                std::unique_ptr<TXMLNode> New(CreateSkeleton(C, true, true));
                New->Name = Name;
                // An element whose own occurrences already stand where the schema
                // would put it is not missing; adding one more at every rebuild
                // would grow the document each time the rows are shown.
                const TPlace Place = PlaceBySchema(N, E, New.get());
                if (Place.Found && Place.Occurrences < MinOccurs)
                    InsertAt(E, New.release(), Place.Index);
            }
            int Matched = 0;
            while (Matched < MaxOccurs && Position < E->ChildCount() && E->Child(Position)->Name == Name) {
                TXMLNode* Child = E->Child(Position);
                if (PassesFilter(FilterNode, Child))
                    Proc(Child, C);
                ++Position;
                ++Matched;
            }
        } else if (C->Name == Prefix + "complexType") {
            if (!C->GetAttribute("name").empty()) {
                if (PassesFilter(FilterNode, E))
                    Proc(E, C);
            } else {
                EnumRows(C, E, Position, FilterNode, Proc, Depth + 1, InsertMissing);
            }
        } else if (C->Name == Prefix + "all") {
            EnumAllRows(C, E, Position, FilterNode, Proc, InsertMissing);
        } else if (IsContentGroup(C->Name, Prefix)) {
            EnumRows(C, E, Position, FilterNode, Proc, Depth + 1, InsertMissing);
        }
    }
}

} // namespace

TXMLNode* FindGlobal(TXMLNode* Declaration, const std::string& Name)
{
    if (!Declaration || Name.empty())
        return nullptr;
    return Declaration->GetRoot()->FindChildByAttribute("name", Name);
}

TXMLNode* ResolveRef(TXMLNode* Declaration)
{
    const std::string Ref = Declaration->GetAttribute("ref");
    if (Ref.empty())
        return Declaration;
    TXMLNode* Result = FindGlobal(Declaration, Ref);
    if (!Result)
        throw Exception(FormatStr("Error in XSD Schema: referenced type %s not found", {Ref}));
    return Result;
}

TEffectiveType EffectiveType(TXMLNode* Declaration)
{
    const std::string Prefix = RootPrefix(Declaration);
    TXMLNode* N = ResolveRef(Declaration);
    TEffectiveType Result;
    Result.TypeName = N->GetAttribute("type");
    if (!Result.TypeName.empty()) {
        if (!StartsWith(Result.TypeName, Prefix)) {
            if (TXMLNode* T = FindGlobal(N, Result.TypeName)) {
                TXMLNode* X = FindChild(T, Prefix + "extension");
                if (!X)
                    X = FindChild(T, Prefix + "restriction");
                if (X)
                    Result.TypeName = X->GetAttribute("base");
            }
        }
    } else if (IsNamed(N, Prefix, "simpleType")) {
        DeriveFrom(N, Prefix, Result);
    } else if (N->Children) {
        for (TXMLNode* C : *N->Children) {
            if (IsNamed(C, Prefix, "simpleType")) {
                DeriveFrom(C, Prefix, Result);
                break;
            }
            if (IsNamed(C, Prefix, "complexType")) {
                Result.TypeName = Prefix + "complexType";
                if (TXMLNode* S = FindChild(C, Prefix + "simpleContent"))
                    DeriveFrom(S, Prefix, Result);
                break;
            }
            if (IsNamed(C, Prefix, "simpleContent"))
                DeriveFrom(C, Prefix, Result);
        }
    }
    if (Result.TypeName.size() > MaxTypeNameLength)
        Result.TypeName.resize(MaxTypeNameLength);
    return Result;
}


std::string SchemaCaption(TXMLNode* Declaration)
{
    const std::string Prefix = RootPrefix(Declaration);
    TXMLNode* N = ResolveRef(Declaration);
    std::string Result = N->GetPathText(Prefix + "annotation/" + Prefix + "documentation");
    if (Result.empty())
        Result = Declaration->GetAttribute("name");
    if (Result.empty())
        Result = N->GetAttribute("name");
    return Result;
}

bool IsBooleanDeclaration(TXMLNode* Declaration)
{
    return EffectiveType(Declaration).TypeName == RootPrefix(Declaration) + "boolean";
}

std::string DictionaryName(TXMLNode* Declaration)
{
    const std::string Id = Declaration->GetAttribute("id");
    return IsDictionaryId(Id) ? Id.substr(1) : std::string();
}

std::vector<std::string> SchemaValueList(TXMLNode* Declaration)
{
    if (IsBooleanDeclaration(Declaration))
        return {"true", "false"};
    std::vector<std::string> Result;
    const std::string Prefix = RootPrefix(Declaration);
    TXMLNode* N = FlagsNode(ResolveRef(Declaration), Prefix);
    if (!N)
        return Result;
    TXMLNode* First = FirstEnumeration(N, Prefix);
    if (!First)
        return Result;
    for (TXMLNode* C : *First->Parent->Children)
        if (C->Name == Prefix + "enumeration")
            Result.push_back(C->GetAttribute("value"));
    return Result;
}

std::string SchemaAllowedChars(TXMLNode* Declaration)
{
    const std::string Prefix = RootPrefix(Declaration);
    const std::string TypeName = EffectiveType(Declaration).TypeName;
    if (TypeName == Prefix + "integer")
        return "-0123456789";
    if (TypeName == Prefix + "number" || TypeName == Prefix + "float" || TypeName == Prefix + "decimal")
        return "-0123456789.eE";
    return std::string();
}

int SchemaMaxLength(TXMLNode* Declaration)
{
    const std::string Prefix = RootPrefix(Declaration);
    const std::string Text =
        Declaration->GetPathText(Prefix + "simpleType/" + Prefix + "restriction/" + Prefix + "maxLength/@value");
    return Text.empty() ? 255 : StrToInt(Text);
}

TEditorFlags SchemaFlags(TXMLNode* Declaration)
{
    const std::string Prefix = RootPrefix(Declaration);
    TXMLNode* N = FlagsNode(Declaration, Prefix);
    if (!N)
        return 0;
    const TEffectiveType E = EffectiveType(N);
    TEditorFlags Result = 0;
    if (E.TypeName == Prefix + "anyURI") {
        Result = efButton;
    } else if (E.TypeName == Prefix + "anySimpleType") {
        Result = efReadOnly;
    } else {
        const bool Complex = IsNamed(N, Prefix, "complexType") ||
                             N->SelectNode("/" + Prefix + "complexType/" + Prefix + "sequence", false, "", false);
        if (Complex && !InSimpleContentList(E.TypeName, Prefix))
            Result = efSubItems | efReadOnly;
        else if (E.IsExtension)
            Result = efSubItems;
    }
    if (E.TypeName == Prefix + "boolean" || FirstEnumeration(N, Prefix) ||
        IsDictionaryId(Declaration->GetAttribute("id")))
        Result |= efValueList | efRevertable;
    return Result;
}

void CheckSchemaValue(TXMLNode* Declaration, const std::string& Value)
{
    if (SchemaFlags(Declaration) & efValueList)
        return;
    const std::string Prefix = RootPrefix(Declaration);
    const std::string TypeName = EffectiveType(Declaration).TypeName;
    if (TypeName == Prefix + "date") {
        // A cleared date mask holds only blanks and separators.
        if (!TrimBlanks(ReplaceAll(Value, ".", "")).empty())
            ParseDateTime(Value, "dd.mm.yyyy");
    } else if (!TrimBlanks(Value).empty()) {
        // A lone "." is no number; only the empty date mask may skip its check.
        if (TypeName == Prefix + "integer")
            StrToInt(Value);
        else if (TypeName == Prefix + "float" || TypeName == Prefix + "decimal")
            CheckFloat(Value);
    }
}

bool IsRequiredDeclaration(TXMLNode* Declaration)
{
    return Declaration->GetAttribute("nillable") == "false" || Declaration->GetAttribute("use") == "required";
}

// ---------------------------------------------------------------------------

int MinOccursOf(TXMLNode* C)
{
    const std::string Text = C->GetAttribute("minOccurs");
    return Text.empty() ? 1 : StrToInt(Text);
}

int MaxOccursOf(TXMLNode* C)
{
    const std::string Text = C->GetAttribute("maxOccurs");
    if (Text.empty())
        return 1;
    if (Text == "unbounded")
        return Unbounded;
    return StrToInt(Text);
}

std::string ElementNameOf(TXMLNode* C)
{
    std::string Name = C->GetAttribute("name");
    return Name.empty() ? C->GetAttribute("ref") : Name;
}

TXMLNode* RowsNode(TXMLNode* D)
{
    const std::string Type = D->GetAttribute("type");
    if (!Type.empty())
        return FindGlobal(D, Type);
    const std::string Ref = D->GetAttribute("ref");
    if (!Ref.empty())
        return FindGlobal(D, Ref);
    return D;
}

bool IsContentGroup(const std::string& Name, const std::string& Prefix)
{
    for (const char* Local : {"simpleContent", "extension", "restriction", "sequence", "choice"})
        if (Name == Prefix + Local)
            return true;
    return false;
}

std::vector<TXMLNode*> AllMembers(TXMLNode* All)
{
    std::vector<TXMLNode*> Result;
    const std::string Prefix = RootPrefix(All);
    for (int I = 0; I < All->ChildCount(); ++I)
        if (All->Child(I)->Name == Prefix + "element")
            Result.push_back(All->Child(I));
    return Result;
}

namespace {

// The place of a name among an all group's members; -1 for none of them.
int MemberRank(const std::vector<TXMLNode*>& Members, const std::string& Name)
{
    for (int I = 0; I < static_cast<int>(Members.size()); ++I)
        if (ElementNameOf(Members[I]) == Name)
            return I;
    return -1;
}

} // namespace

int AllGroupEnd(TXMLNode* All, TXMLNode* Element, int Start)
{
    const std::vector<TXMLNode*> Members = AllMembers(All);
    int End = Start;
    while (End < Element->ChildCount() && MemberRank(Members, Element->Child(End)->Name) >= 0)
        ++End;
    return End;
}

std::vector<int> AllOccurrences(TXMLNode* Member, TXMLNode* Element, int Start, int End)
{
    std::vector<int> Result;
    const std::string Name = ElementNameOf(Member);
    for (int I = Start; I < End; ++I)
        if (Element->Child(I)->Name == Name)
            Result.push_back(I);
    return Result;
}

int AllGroupInsertIndex(TXMLNode* All, TXMLNode* Member, TXMLNode* Element, int Start, int End)
{
    const std::vector<TXMLNode*> Members = AllMembers(All);
    const int Rank = MemberRank(Members, ElementNameOf(Member));
    int Index = Start;
    for (int I = Start; I < End; ++I)
        if (MemberRank(Members, Element->Child(I)->Name) <= Rank)
            Index = I + 1;
    return Index;
}

// ---------------------------------------------------------------------------

void EnumSchemaRows(TXMLNode* Declaration, TXMLNode* Element, int& Position, TXMLNode* FilterNode,
                    const TSchemaRowProc& Proc, bool InsertMissing)
{
    EnumRows(Declaration, Element, Position, FilterNode, Proc, 0, InsertMissing);
}

bool InsertBySchema(TXMLNode* TypeNode, TXMLNode* Element, TXMLNode* NewElement)
{
    const TPlace Place = PlaceBySchema(TypeNode, Element, NewElement);
    if (Place.Found)
        InsertAt(Element, NewElement, Place.Index);
    return Place.Found;
}

