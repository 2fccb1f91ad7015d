// The row editors behind every inspector row: the base editor, the schema-less node
// editor and the schema editor that applies the schema rules to one node. Editors
// never own the XML or schema nodes they refer to; the inspector that created them
// answers their questions about dictionaries and filtering.
#pragma once

#include "inspector/xsd_rules.h"

#include <QColor>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class TNodescope;
class TXMLPropEditor;

// Colours as $00BBGGRR; clNone keeps the font colour.
using TColor = uint32_t;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clNavy = 0x800000;
constexpr TColor clBtnFace = 0xFF00000F;
QColor ColorToQColor(TColor Color);

// Callbacks with a context value that is handed back as their first argument.
// A TGetEditorProc receives ownership of every editor it is given.
using TGetEditorProc = std::function<void(void* Data, TXMLPropEditor* Editor)>;
using TGetStrProc = std::function<void(void* Data, const std::string& Value)>;

class TXMLPropEditor : public TObject {
public:
    virtual std::string GetName();
    virtual void GetSubItems(const TGetEditorProc& Proc, void* Data) = 0;
    virtual void GetValueList(const TGetStrProc& Proc, void* Data) = 0;
    virtual std::string GetValue();
    virtual std::string GetAllowedChars();
    virtual void DrawValue(QPainter* Canvas, const QRect& Rect, bool Selected);
    virtual void Activate();
    virtual int GetMaxLength();
    virtual TEditorFlags GetFlags();
    virtual void CycleValue();
    virtual void SetValue(const std::string& Value);
    virtual void MeasureListWidth(const std::string& Value, QPainter* Canvas, int& Width);
    virtual void MeasureListHeight(const std::string& Value, QPainter* Canvas, int& Height);
    virtual void DrawListValue(const std::string& Value, QPainter* Canvas, const QRect& Rect, bool Selected);
    virtual TColor GetNameColor();
};

// A row on one XML node, without schema.
class TXMLNodeEditor : public TXMLPropEditor {
public:
    TXMLNodeEditor(TXMLNode* ANode, TNodescope* AInspector);

    std::string GetName() override;
    void GetSubItems(const TGetEditorProc& Proc, void* Data) override;
    void GetValueList(const TGetStrProc& Proc, void* Data) override;
    std::string GetValue() override;
    TEditorFlags GetFlags() override;
    void SetValue(const std::string& Value) override;

    TXMLNode* FNode;
    TNodescope* FInspector;
};

// A row on an XML element and the schema declaration that describes it. For an
// attribute declaration FNode is the element that holds (or will hold) the attribute.
class TXSDSchemaEditor : public TXMLNodeEditor {
public:
    TXSDSchemaEditor(TXMLNode* ANode, TNodescope* AInspector, TXMLNode* ASchemaNode);
    ~TXSDSchemaEditor() override;

    std::string GetName() override;
    void GetSubItems(const TGetEditorProc& Proc, void* Data) override;
    void GetValueList(const TGetStrProc& Proc, void* Data) override;
    std::string GetValue() override;
    std::string GetAllowedChars() override;
    void DrawValue(QPainter* Canvas, const QRect& Rect, bool Selected) override;
    int GetMaxLength() override;
    TEditorFlags GetFlags() override;
    void SetValue(const std::string& Value) override;
    void DrawListValue(const std::string& Value, QPainter* Canvas, const QRect& Rect, bool Selected) override;
    TColor GetNameColor() override;

    TXMLNode* FSchemaNode;
    std::string FPrefix;
    std::vector<std::unique_ptr<TXMLPropEditor>> FSubEditors;
    TXMLDictionary* FDictionary = nullptr;

private:
    bool IsBoolean();
};

// The schema rows of Element (see the rules' EnumSchemaRows) as editors handed to
// Proc, filtered by the inspector's FilterNode.
void EnumSchemaRows(TXMLNode* Declaration, TXMLNode* Element, int& Position, TNodescope* Inspector,
                    const TGetEditorProc& Proc, void* Data);

// A check-box glyph in the largest square centred in Rect. State: 0 clear, 1 ticked,
// 2 grayed. Flat draws a one-pixel frame in the button face (FaceFrame) or shadow.
void DrawCheck(QPainter* DC, const QRect& Rect, int State, bool Enabled, bool Flat, bool Down, bool FaceFrame);
