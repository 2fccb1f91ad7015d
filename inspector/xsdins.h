// The schema-driven inspector: XML Schema declarations read as row rules, the row
// editors behind every inspector row, the row list and the inspector control.
// The schema stays a plain node tree and every rule is evaluated on it each time it
// is asked; editors never own the XML or schema nodes they refer to.
#pragma once

#include "xmls.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class TNodescope;
class TXMLPropEditor;
class TXSDSchemaEditor;

// Colours as $00BBGGRR; clNone keeps the font colour.
using TColor = uint32_t;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clNavy = 0x800000;
constexpr TColor clBtnFace = 0xFF00000F;
QColor ColorToQColor(TColor Color);

// Editor flags: a 16-bit set; bits 3 and 8 to 15 stay clear.
using TEditorFlags = uint16_t;
enum TEditorFlag : TEditorFlags {
    efValueList = 1 << 0,
    efSubItems = 1 << 1,
    efButton = 1 << 2,
    efAutoCommit = 1 << 4,
    efSortList = 1 << 5,
    efReadOnly = 1 << 6,
    efRevertable = 1 << 7,
};

enum TEditKind : uint8_t { ekText = 0, ekButton = 1, ekList = 2, ekBoolean = 3, ekDate = 4 };

enum TScrollBarStyle : uint8_t { ssRegular = 0, ssFlat = 1, ssHotTrack = 2 };

// Callbacks with a context value that is handed back as their first argument.
// A TGetEditorProc receives ownership of every editor it is given.
using TGetEditorProc = std::function<void(void* Data, TXMLPropEditor* Editor)>;
using TGetStrProc = std::function<void(void* Data, const std::string& Value)>;

// The hint record of a value hint; filled by the inspector before OnHint.
struct THintInfo {
    QRect CursorRect;
    QPoint HintPos;
    QString HintStr;
};

using TNewNodeEvent = std::function<void(TNodescope* Sender, TObject* OldNode, TObject* NewNode)>;
using THintEvent = std::function<void(TNodescope* Sender, TXMLPropEditor* Prop, THintInfo* HintInfo)>;
using TChangingEvent = std::function<void(TNodescope* Sender, TXMLPropEditor* Prop, bool& CanChange)>;
using TChangeEvent = std::function<void(TNodescope* Sender, TXMLPropEditor* Prop)>;
using TGetXMLDictionary =
    std::function<void(TNodescope* Sender, const std::string& Name, TXMLDictionary*& Dictionary)>;
using TDrawPropertyEvent =
    std::function<void(TNodescope* Sender, int ARow, TXSDSchemaEditor* AEditor, QFont& AFont, TColor& AColor)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;

// ---------------------------------------------------------------------------
// Schema rules

struct TEffectiveType {
    std::string TypeName;  // at most 50 characters
    bool IsExtension = false;
};

// The global declaration named Name: the first child of the schema root whose "name"
// is Name exactly; nil for an empty Name.
TXMLNode* FindGlobal(TXMLNode* Declaration, const std::string& Name);
// "Error in XSD Schema: referenced type %s not found" for a dangling ref.
TXMLNode* ResolveRef(TXMLNode* Declaration);
TEffectiveType EffectiveType(TXMLNode* Declaration);

// ---------------------------------------------------------------------------
// Row editors

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

// Creates the rows that describe Element under Declaration, in schema order, handing
// each to Proc. Position indexes Element's children and moves past every child that
// gets a row. May insert missing required elements into Element.
void EnumSchemaRows(TXMLNode* Declaration, TXMLNode* Element, int& Position, TNodescope* Inspector,
                    const TGetEditorProc& Proc, void* Data);
// Puts NewElement among Element's children where the content under TypeNode places
// it. Returns false, and leaves NewElement to the caller, when no place accepts it.
bool InsertBySchema(TXMLNode* TypeNode, TXMLNode* Element, TXMLNode* NewElement);

// A check-box glyph in the largest square centred in Rect. State: 0 clear, 1 ticked,
// 2 grayed. Flat draws a one-pixel frame in the button face (FaceFrame) or shadow.
void DrawCheck(QPainter* DC, const QRect& Rect, int State, bool Enabled, bool Flat, bool Down, bool FaceFrame);

// ---------------------------------------------------------------------------
// Row list

struct TEditorRow {
    std::unique_ptr<TXMLPropEditor> Editor;
    int Level = 0;
    bool HasChildren = false;
    bool Expanded = false;
};

class TZEditorList {
public:
    explicit TZEditorList(TNodescope* AInspector);
    ~TZEditorList();
    TZEditorList(const TZEditorList&) = delete;
    TZEditorList& operator=(const TZEditorList&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // EListError outside 0..Count-1.
    TEditorRow* Rows(int Index) const;
    void Insert(int Index, TEditorRow* Row);
    void Delete(int Index);
    // Frees the row and its editor; the slot stays for the caller to delete.
    void FreeRow(int Index);
    void Clear();
    int FindRow(const std::string& Name, int Start) const;
    int ExpandPath(const std::string& Path);

    TNodescope* FInspector;

private:
    std::vector<TEditorRow*> FItems;
};

// ---------------------------------------------------------------------------
// The inspector control. This part holds the data and operations the row editors
// and hosts use; painting, keyboard, mouse and in-place editing grow on it.

class TNodescope : public QWidget {
    Q_OBJECT
    Q_PROPERTY(uint PropColor READ PropColor WRITE SetPropColor)
    Q_PROPERTY(bool IntegralHeight READ IntegralHeight WRITE SetIntegralHeight)
    Q_PROPERTY(bool NewButtons READ NewButtons WRITE SetNewButtons)
    Q_PROPERTY(int Middle READ Middle WRITE SetMiddle)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(int ScrollBarStyle READ ScrollBarStyle WRITE SetScrollBarStyle)

public:
    explicit TNodescope(QWidget* AOwner = nullptr);
    ~TNodescope() override;

    TColor PropColor() const { return FPropColor; }
    void SetPropColor(TColor Value);
    bool IntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool Value) { FIntegralHeight = Value; }
    bool NewButtons() const { return FNewButtons; }
    void SetNewButtons(bool Value);
    int Middle() const { return FMiddle; }
    void SetMiddle(int Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    int ScrollBarStyle() const { return FScrollBarStyle; }
    void SetScrollBarStyle(int Value) { FScrollBarStyle = static_cast<TScrollBarStyle>(Value); }

    TXMLNode* SchemaNode = nullptr;
    TXMLNode* Node() const { return FNode; }
    void SetNode(TXMLNode* ANode);
    TXMLNode* FilterNode = nullptr;

    TNewNodeEvent OnNewNode;
    THintEvent OnHint;
    TChangingEvent OnChanging;
    TChangeEvent OnChange;
    TGetXMLDictionary OnGetDictionary;
    TDrawPropertyEvent OnDrawProperty;
    TNotifyEvent OnButton;

    void LoadNode(TXMLNode* ANode);
    void BuildRows();
    void ClearRows();
    // The row-adding callback handed to GetSubItems; Data is the inspector.
    static void AddRow(void* Data, TXMLPropEditor* Editor);
    std::string GetRowPath(int Index) const;
    void SelectPath(const std::string& Path);
    bool SelectRow(int Index);
    void ToggleExpand();
    TXMLPropEditor* SelectedEditor() const;
    std::string GetRowValue(int Index) const;
    std::string GetDisplayValue(int Index) const;
    TEditKind EditKind() const;
    void ChangeValue(TXMLPropEditor* Editor, bool Cycle, const std::string& Text);
    void SetRowValue(int Index, const std::string& Text);

    TZEditorList* FRows;
    int FRowCount = 0;
    int FRowHeight = 0;
    int FTopRow = 0;
    int FRow = -1;
    int FInsertLevel = 0;
    int FInsertIndex = 0;
    bool FSplitDrag = false;
    bool FTracking = false;
    bool FPosting = false;
    bool FScrollReady = false;
    bool FDestroying = false;
    QPoint FHitPos;

private:
    TXMLNode* FNode = nullptr;
    TColor FPropColor = clNavy;
    bool FIntegralHeight = false;
    bool FNewButtons = true;
    int FMiddle = 85;
    bool FReadOnly = false;
    TScrollBarStyle FScrollBarStyle = ssRegular;
};
