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

bool LessText(const std::string& A, const std::string& B)
{
    return std::lexicographical_compare(A.begin(), A.end(), B.begin(), B.end(), [](char X, char Y) {
        return UpperCaseTable[static_cast<unsigned char>(X)] < UpperCaseTable[static_cast<unsigned char>(Y)];
    });
}

} // namespace

TXSDSchemaEditor::TXSDSchemaEditor(TXMLNode* ANode, TNodescope* AInspector, TXMLNode* ASchemaNode)
    : TXMLNodeEditor(ANode, AInspector), FSchemaNode(ASchemaNode), FPrefix(RootPrefix(ASchemaNode))
{
    const std::string Name = DictionaryName(FSchemaNode);
    if (!Name.empty() && FInspector && FInspector->OnGetDictionary)
        FInspector->OnGetDictionary(FInspector, Name, FDictionary);
}

TXSDSchemaEditor::~TXSDSchemaEditor() = default;

bool TXSDSchemaEditor::IsBoolean()
{
    return IsBooleanDeclaration(FSchemaNode);
}

std::string TXSDSchemaEditor::GetName()
{
    return SchemaCaption(FSchemaNode);
}

void TXSDSchemaEditor::GetSubItems(const TGetEditorProc& Proc, void* Data)
{
    int Position = 0;
    EnumSchemaRows(FSchemaNode, FNode, Position, FInspector, Proc, Data);
}

void TXSDSchemaEditor::GetValueList(const TGetStrProc& Proc, void* Data)
{
    const std::string Name = DictionaryName(FSchemaNode);
    if (!IsBoolean() && !Name.empty()) {
        if (!FInspector || !FInspector->OnGetDictionary)
            return;
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
    for (const std::string& Value : SchemaValueList(FSchemaNode))
        Proc(Data, Value);
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
    return SchemaAllowedChars(FSchemaNode);
}

int TXSDSchemaEditor::GetMaxLength()
{
    return SchemaMaxLength(FSchemaNode);
}

TEditorFlags TXSDSchemaEditor::GetFlags()
{
    return SchemaFlags(FSchemaNode);
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
    CheckSchemaValue(FSchemaNode, V);
    if (FSchemaNode->Name == FPrefix + "attribute")
        FNode->SetAttribute(FSchemaNode->GetAttribute("name"), V);
    else
        FNode->SetText(V);
}

TColor TXSDSchemaEditor::GetNameColor()
{
    if (IsRequiredDeclaration(FSchemaNode) && GetValue().empty())
        return clRed;
    return clNone;
}
