// XML Schema declarations read as row rules: reference and type resolution, flags,
// value lists, captions, limits and the checked write-back of a committed value.
// Nothing is cached but the prefix and the dictionary: every rule reads the live
// trees, so an edited schema or document is seen at the next question.
#include "xsdins.h"

#include "convert.h"
#include "exceptions.h"
#include "formatsettings.h"

#include <algorithm>

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

bool LessText(const std::string& A, const std::string& B)
{
    return std::lexicographical_compare(A.begin(), A.end(), B.begin(), B.end(), [](char X, char Y) {
        return UpperCaseTable[static_cast<unsigned char>(X)] < UpperCaseTable[static_cast<unsigned char>(Y)];
    });
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

// ---------------------------------------------------------------------------

TXSDSchemaEditor::TXSDSchemaEditor(TXMLNode* ANode, TNodescope* AInspector, TXMLNode* ASchemaNode)
    : TXMLNodeEditor(ANode, AInspector), FSchemaNode(ASchemaNode), FPrefix(RootPrefix(ASchemaNode))
{
    const std::string Id = FSchemaNode->GetAttribute("id");
    if (IsDictionaryId(Id) && FInspector && FInspector->OnGetDictionary)
        FInspector->OnGetDictionary(FInspector, Id.substr(1), FDictionary);
}

TXSDSchemaEditor::~TXSDSchemaEditor() = default;

bool TXSDSchemaEditor::IsBoolean()
{
    return EffectiveType(FSchemaNode).TypeName == FPrefix + "boolean";
}

std::string TXSDSchemaEditor::GetName()
{
    TXMLNode* N = ResolveRef(FSchemaNode);
    std::string Result = N->GetPathText(FPrefix + "annotation/" + FPrefix + "documentation");
    if (Result.empty())
        Result = FSchemaNode->GetAttribute("name");
    if (Result.empty())
        Result = N->GetAttribute("name");
    return Result;
}

void TXSDSchemaEditor::GetSubItems(const TGetEditorProc& Proc, void* Data)
{
    int Position = 0;
    EnumSchemaRows(FSchemaNode, FNode, Position, FInspector, Proc, Data);
}

void TXSDSchemaEditor::GetValueList(const TGetStrProc& Proc, void* Data)
{
    if (IsBoolean()) {
        Proc(Data, "true");
        Proc(Data, "false");
        return;
    }
    const std::string Id = FSchemaNode->GetAttribute("id");
    if (IsDictionaryId(Id)) {
        if (!FInspector || !FInspector->OnGetDictionary)
            return;
        const std::string Name = Id.substr(1);
        TXMLDictionary* Dictionary = nullptr;
        FInspector->OnGetDictionary(FInspector, Name, Dictionary);
        if (!Dictionary)
            throw Exception("Cannot find dictionary \"" + Name);
        std::vector<std::string> Names;
        for (int I = 0; I < Dictionary->EntryCount(); ++I)
            Names.push_back(Dictionary->GetEntryName(I));
        std::stable_sort(Names.begin(), Names.end(), LessText);
        for (const std::string& Entry : Names)
            Proc(Data, Entry);
        return;
    }
    TXMLNode* N = FlagsNode(ResolveRef(FSchemaNode), FPrefix);
    if (!N)
        return;
    TXMLNode* First = FirstEnumeration(N, FPrefix);
    if (!First)
        return;
    for (TXMLNode* C : *First->Parent->Children)
        if (C->Name == FPrefix + "enumeration")
            Proc(Data, C->GetAttribute("value"));
}

std::string TXSDSchemaEditor::GetValue()
{
    std::string Result;
    if (FSchemaNode->Name == FPrefix + "attribute") {
        Result = FNode->GetAttribute(FSchemaNode->GetAttribute("name"));
    } else {
        const TEditorFlags Flags = GetFlags();
        if ((Flags & efReadOnly) == 0 || (Flags & efSubItems) == 0) {
            Result = FNode->GetText();
        } else if (FNode->ChildCount() > 0) {
            FSubEditors.clear();
            GetSubItems([this](void*, TXMLPropEditor* Editor) { FSubEditors.emplace_back(Editor); }, this);
            std::string Summary;
            for (auto& Editor : FSubEditors)
                AddDelimited(Summary, Editor->GetValue(), ", ");
            Result = "(" + Summary + ")";
        }
    }
    if (FDictionary && !Result.empty()) {
        const int Index = FDictionary->IndexOfEntry(Result);
        Result = Index >= 0 ? FDictionary->GetEntryName(Index) : std::string();
    }
    return Result;
}

std::string TXSDSchemaEditor::GetAllowedChars()
{
    const std::string TypeName = EffectiveType(FSchemaNode).TypeName;
    if (TypeName == FPrefix + "integer")
        return "-0123456789";
    if (TypeName == FPrefix + "number" || TypeName == FPrefix + "float" || TypeName == FPrefix + "decimal")
        return "-0123456789.eE";
    return std::string();
}

int TXSDSchemaEditor::GetMaxLength()
{
    const std::string Text = FSchemaNode->GetPathText(FPrefix + "simpleType/" + FPrefix + "restriction/" + FPrefix +
                                                      "maxLength/@value");
    return Text.empty() ? 255 : StrToInt(Text);
}

TEditorFlags TXSDSchemaEditor::GetFlags()
{
    TXMLNode* N = FlagsNode(FSchemaNode, FPrefix);
    if (!N)
        return 0;
    const TEffectiveType E = EffectiveType(N);
    TEditorFlags Result = 0;
    if (E.TypeName == FPrefix + "anyURI") {
        Result = efButton;
    } else if (E.TypeName == FPrefix + "anySimpleType") {
        Result = efReadOnly;
    } else {
        const bool Complex = IsNamed(N, FPrefix, "complexType") ||
                             N->SelectNode("/" + FPrefix + "complexType/" + FPrefix + "sequence", false, "", false);
        if (Complex && !InSimpleContentList(E.TypeName, FPrefix))
            Result = efSubItems | efReadOnly;
        else if (E.IsExtension)
            Result = efSubItems;
    }
    if (E.TypeName == FPrefix + "boolean" || FirstEnumeration(N, FPrefix) ||
        IsDictionaryId(FSchemaNode->GetAttribute("id")))
        Result |= efValueList | efRevertable;
    return Result;
}

void TXSDSchemaEditor::SetValue(const std::string& Value)
{
    std::string V = Value;
    const TEditorFlags Flags = GetFlags();
    if ((Flags & efValueList) && !V.empty() && !FDictionary) {
        std::vector<std::string> Values;
        GetValueList([&Values](void*, const std::string& S) { Values.push_back(S); }, nullptr);
        auto Found = std::find_if(Values.begin(), Values.end(), [&V](const std::string& S) { return EqualText(S, V); });
        if (Found == Values.end())
            throw Exception(FormatStr("Value %s not in list", {V}));
        // Matching ignores letter case, but the document gets the listed spelling:
        // schema enumerations and booleans are case-sensitive.
        V = *Found;
    }
    if (!V.empty() && FDictionary) {
        int Index = 0;
        while (Index < FDictionary->EntryCount() && FDictionary->GetEntryName(Index) != V)
            ++Index;
        if (Index == FDictionary->EntryCount())
            throw Exception(FormatStr("Value %s not in list", {V}));
        V = FDictionary->GetEntryID(Index);
    }
    if ((Flags & efValueList) == 0) {
        const std::string TypeName = EffectiveType(FSchemaNode).TypeName;
        if (TypeName == FPrefix + "date") {
            // A cleared date mask holds only blanks and separators.
            if (!TrimBlanks(ReplaceAll(V, ".", "")).empty())
                ParseDateTime(V, "dd.mm.yyyy");
        } else if (!TrimBlanks(V).empty()) {
            // A lone "." is no number; only the empty date mask may skip its check.
            if (TypeName == FPrefix + "integer")
                StrToInt(V);
            else if (TypeName == FPrefix + "float" || TypeName == FPrefix + "decimal")
                CheckFloat(V);
        }
    }
    if (FSchemaNode->Name == FPrefix + "attribute")
        FNode->SetAttribute(FSchemaNode->GetAttribute("name"), V);
    else
        FNode->SetText(V);
}

TColor TXSDSchemaEditor::GetNameColor()
{
    const bool Required =
        FSchemaNode->GetAttribute("nillable") == "false" || FSchemaNode->GetAttribute("use") == "required";
    if (Required && GetValue().empty())
        return clRed;
    return clNone;
}
