// The row editors' behaviour: the base editor, the schema-less node editor, the
// schema editor that applies the schema rules to its node (dictionaries come from
// the inspector), and the only painting editors do: value cells, drop-down items and
// the check-box glyph of boolean rows, drawn with QPainter and the application
// style. A cell is handed only the text it can show.
#include "inspector/row_editors.h"

#include "inspector/nodescope.h"
#include "inspector/text_bytes.h"
#include "platform/core/convert.h"
#include "platform/core/exceptions.h"
#include "xmllib/strs.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace {

bool LessText(const std::string& A, const std::string& B)
{
    return std::lexicographical_compare(A.begin(), A.end(), B.begin(), B.end(), [](char X, char Y) {
        return UpperCaseTable[static_cast<unsigned char>(X)] < UpperCaseTable[static_cast<unsigned char>(Y)];
    });
}

} // namespace

QColor ColorToQColor(TColor Color)
{
    if ((Color & 0xFF000000) == 0xFF000000) {
        // A system colour: the low byte is the platform's colour index.
        const QPalette Palette = QApplication::palette();
        switch (Color & 0xFF) {
        case 5: return Palette.color(QPalette::Base);
        case 8: return Palette.color(QPalette::WindowText);
        case 13: return Palette.color(QPalette::Highlight);
        case 14: return Palette.color(QPalette::HighlightedText);
        case 16: return Palette.color(QPalette::Dark);
        default: return Palette.color(QPalette::Button);
        }
    }
    return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
}

void EnumSchemaRows(TXMLNode* Declaration, TXMLNode* Element, int& Position, TNodescope* Inspector,
                    const TGetEditorProc& Proc, void* Data)
{
    EnumSchemaRows(Declaration, Element, Position, Inspector ? Inspector->FilterNode() : nullptr,
                   [&](TXMLNode* Node, TXMLNode* Row) { Proc(Data, new TXSDSchemaEditor(Node, Inspector, Row)); });
}

// ---------------------------------------------------------------------------

std::string TXMLPropEditor::GetName()
{
    return "Prop Name";
}

std::string TXMLPropEditor::GetValue()
{
    return std::string();
}

std::string TXMLPropEditor::GetAllowedChars()
{
    return std::string();
}

void TXMLPropEditor::Activate() {}

int TXMLPropEditor::GetMaxLength()
{
    return 255;
}

TEditorFlags TXMLPropEditor::GetFlags()
{
    return 0;
}

void TXMLPropEditor::CycleValue()
{
    std::vector<std::string> Values;
    GetValueList([&Values](void*, const std::string& S) { Values.push_back(S); }, nullptr);
    if (Values.empty())
        return;
    if (GetFlags() & efSortList)
        std::stable_sort(Values.begin(), Values.end(), [](const std::string& A, const std::string& B) {
            return CompareOrdinal(A, B) < 0;
        });
    const std::string Current = GetValue();
    int I = -1;
    for (int J = 0; J < static_cast<int>(Values.size()); ++J)
        if (EqualText(Values[J], Current)) {
            I = J;
            break;
        }
    const int Next = I + 1 == static_cast<int>(Values.size()) ? 0 : I + 1;
    SetValue(Values[Next]);
}

void TXMLPropEditor::SetValue(const std::string&) {}

void TXMLPropEditor::MeasureListWidth(const std::string&, QPainter*, int&) {}

void TXMLPropEditor::MeasureListHeight(const std::string&, QPainter*, int&) {}

TColor TXMLPropEditor::GetNameColor()
{
    return clNone;
}

// ---------------------------------------------------------------------------

TXMLNodeEditor::TXMLNodeEditor(TXMLNode* ANode, TNodescope* AInspector) : FNode(ANode), FInspector(AInspector) {}

std::string TXMLNodeEditor::GetName()
{
    return FNode->Name;
}

void TXMLNodeEditor::GetSubItems(const TGetEditorProc& Proc, void* Data)
{
    if (FNode->Attributes)
        for (TXMLNode* A : *FNode->Attributes)
            Proc(Data, new TXMLNodeEditor(A, FInspector));
    if (FNode->Children)
        for (TXMLNode* C : *FNode->Children)
            Proc(Data, new TXMLNodeEditor(C, FInspector));
}

void TXMLNodeEditor::GetValueList(const TGetStrProc&, void*) {}

std::string TXMLNodeEditor::GetValue()
{
    return FNode->Kind == nkElement ? std::string("<+>") : FNode->GetText();
}

TEditorFlags TXMLNodeEditor::GetFlags()
{
    if (FNode->Kind != nkElement)
        return efValueList | efSortList | efRevertable;
    if (FNode->Attributes->Count() > 0 || FNode->ChildCount() > 0)
        return efSubItems | efButton | efReadOnly;
    return efButton | efReadOnly;
}

void TXMLNodeEditor::SetValue(const std::string& Value)
{
    if (FNode->Kind == nkAttribute)
        FNode->SetText(Value);
}

// ---------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------

namespace {

void DrawClippedText(QPainter* Canvas, const QRect& Rect, const std::string& Text)
{
    Canvas->save();
    Canvas->setClipRect(Rect, Qt::IntersectClip);
    Canvas->fillRect(Rect, Canvas->brush());
    const QRect TextRect(Rect.left() + 1, Rect.top() + 1, std::max(Rect.width() - 1, 0), std::max(Rect.height() - 1, 0));
    Canvas->drawText(TextRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, VisibleText(Text, TextRect.width()));
    Canvas->restore();
}

void DrawBooleanCell(QPainter* Canvas, const QRect& Rect, bool Ticked, bool Down)
{
    Canvas->fillRect(Rect, Canvas->brush());
    DrawCheck(Canvas, QRect(Rect.left(), Rect.top(), 20, Rect.height()), Ticked ? 1 : 0, true, true, Down, true);
}

} // namespace

void DrawCheck(QPainter* DC, const QRect& Rect, int State, bool Enabled, bool Flat, bool Down, bool FaceFrame)
{
    QRect Box = Rect;
    if (Rect.width() > Rect.height()) {
        Box.setLeft(Rect.left() + (Rect.width() - Rect.height()) / 2);
        Box.setWidth(Rect.height());
    } else if (Rect.height() > Rect.width()) {
        Box.setTop(Rect.top() + (Rect.height() - Rect.width()) / 2);
        Box.setHeight(Rect.width());
    }

    QStyleOptionButton Option;
    Option.state = State == 1 ? QStyle::State_On : State == 2 ? QStyle::State_NoChange : QStyle::State_Off;
    if (Enabled)
        Option.state |= QStyle::State_Enabled;
    if (Down)
        Option.state |= QStyle::State_Sunken;
    Option.palette = QApplication::palette();

    DC->save();
    if (Flat) {
        // The style's own 3D border is clipped away and replaced by a flat frame.
        DC->setClipRect(Box.adjusted(1, 1, -1, -1), Qt::IntersectClip);
        Box.adjust(-1, -1, 1, 1);
    }
    Option.rect = Box;
    QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &Option, DC, nullptr);
    DC->restore();

    if (Flat) {
        Box.adjust(1, 1, -1, -1);
        const auto Outline = [DC](const QRect& R, const QColor& Colour) {
            DC->fillRect(QRect(R.left(), R.top(), R.width(), 1), Colour);
            DC->fillRect(QRect(R.left(), R.bottom(), R.width(), 1), Colour);
            DC->fillRect(QRect(R.left(), R.top(), 1, R.height()), Colour);
            DC->fillRect(QRect(R.right(), R.top(), 1, R.height()), Colour);
        };
        Outline(Box, Option.palette.color(FaceFrame ? QPalette::Button : QPalette::Dark));
        // The edge of the box itself. The platform's glyph kept its inner dark edge
        // inside the clip; a Qt style draws its whole outline where the clip cuts it
        // away, and an unticked box would be white on white, framed in a face colour
        // barely darker than white.
        if (Box.width() > 2 && Box.height() > 2)
            Outline(Box.adjusted(1, 1, -1, -1), Option.palette.color(Enabled ? QPalette::Shadow : QPalette::Dark));
    }
}

void TXMLPropEditor::DrawValue(QPainter* Canvas, const QRect& Rect, bool)
{
    DrawClippedText(Canvas, Rect, GetValue());
}

void TXMLPropEditor::DrawListValue(const std::string& Value, QPainter* Canvas, const QRect& Rect, bool)
{
    DrawClippedText(Canvas, Rect, Value);
}

void TXSDSchemaEditor::DrawValue(QPainter* Canvas, const QRect& Rect, bool Selected)
{
    if (IsBoolean())
        DrawBooleanCell(Canvas, Rect, GetValue() == "true", false);
    else
        TXMLPropEditor::DrawValue(Canvas, Rect, Selected);
}

void TXSDSchemaEditor::DrawListValue(const std::string& Value, QPainter* Canvas, const QRect& Rect, bool Selected)
{
    if (IsBoolean())
        DrawBooleanCell(Canvas, Rect, Value == "true", Selected);
    else
        TXMLPropEditor::DrawListValue(Value, Canvas, Rect, Selected);
}
