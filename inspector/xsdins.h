// The schema-driven inspector: XML Schema declarations read as row rules, the row
// editors behind every inspector row, the row list and the inspector control.
// The schema stays a plain node tree and every rule is evaluated on it each time it
// is asked; editors never own the XML or schema nodes they refer to.
#pragma once

#include "inspector/xsd_rules.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QPainter;
class TZInplaceEdit;
class TZListButton;
class TZPopupList;
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

// The one way the inspector turns stored bytes into text and back. Bytes valid in
// the locale's encoding (UTF-8 under Qt 6 on Unix) are decoded with it; any other
// bytes are shown one character per byte. Text goes back the way it came: with
// ByteWise every character below 256 is written as that byte (a character the user
// typed beyond that in the locale's encoding), so bytes the user did not change are
// written back as they were stored.
bool IsLocalText(std::string_view Bytes);
QString BytesToText(std::string_view Bytes, bool ByteWise);
inline QString BytesToText(std::string_view Bytes) { return BytesToText(Bytes, !IsLocalText(Bytes)); }
std::string TextToBytes(const QString& Text, bool ByteWise);
// The size in bytes of the first MaxChars characters of Bytes (all of it when it
// has fewer), never cutting a character of the locale's encoding in two.
size_t TextHeadSize(std::string_view Bytes, bool ByteWise, size_t MaxChars);
// What a cell Width pixels wide can show of Bytes: the head of as many characters
// as pixels (no glyph is narrower than one), so painting never lays out more.
QString VisibleText(std::string_view Bytes, int Width);

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

// The schema rows of Element (see the rules' EnumSchemaRows) as editors handed to
// Proc, filtered by the inspector's FilterNode.
void EnumSchemaRows(TXMLNode* Declaration, TXMLNode* Element, int& Position, TNodescope* Inspector,
                    const TGetEditorProc& Proc, void* Data);

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
// The inspector control and its in-place controls. Qt stands in for the window
// services: the viewport is the client area, a QScrollBar the flat scroll bar.

enum TBorderStyle : uint8_t { bsNone = 0, bsSingle = 1 };

// Milliseconds from a monotonic clock. Replaceable so that tests can step time
// instead of sleeping through the drop-down's search pause or the double-click time.
using TTickCount = std::function<uint64_t()>;
uint64_t MonotonicTickCount();

// Shows an error in the application's error box (EAbort shows nothing).
void ShowInspectorError(const std::exception& E);

class TNodescope : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(uint PropColor READ PropColor WRITE SetPropColor)
    Q_PROPERTY(bool IntegralHeight READ IntegralHeight WRITE SetIntegralHeight)
    Q_PROPERTY(bool NewButtons READ NewButtons WRITE SetNewButtons)
    Q_PROPERTY(int Middle READ Middle WRITE SetMiddle)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly STORED true)
    Q_PROPERTY(int ScrollBarStyle READ ScrollBarStyle WRITE SetScrollBarStyle)
    Q_PROPERTY(uint Color READ Color WRITE SetColor)
    Q_PROPERTY(int BorderStyle READ BorderStyle WRITE SetBorderStyle)

public:
    explicit TNodescope(QWidget* AOwner = nullptr);
    ~TNodescope() override;

    TColor PropColor() const { return FPropColor; }
    void SetPropColor(TColor Value);
    bool IntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool Value);
    bool NewButtons() const { return FNewButtons; }
    void SetNewButtons(bool Value);
    int Middle() const { return FMiddle; }
    void SetMiddle(int Value) { MoveSplit(Value); }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    int ScrollBarStyle() const { return FScrollBarStyle; }
    void SetScrollBarStyle(int Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(int Value);

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

    // The clock behind click times and the drop-down's incremental search.
    TTickCount TickCount = MonotonicTickCount;

    // Gives the focus to the control only when it is visible.
    void SetFocus();

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
    void LoadEdit(bool Activate);
    bool PostEdit(bool Reload);
    void ChangeValue(TXMLPropEditor* Editor, bool Cycle, const std::string& Text);
    void SetRowValue(int Index, const std::string& Text);
    void RowDoubleClick();
    // The control's key handling, also reached from the in-place edit.
    void KeyDown(int Key, Qt::KeyboardModifiers Shift);
    void KeyUp(int Key, Qt::KeyboardModifiers Shift);

    // Layout (client coordinates of the viewport).
    int ClientWidth() const;
    int ClientHeight() const;
    int RowAt(int Y) const;
    int VisibleRowCount() const;
    QRect ValueRect(int Index) const;
    QRect EditRect() const { return FRow >= 0 ? ValueRect(FRow) : QRect(); }
    void InvalidateRow();
    bool NearSplit(int X) const;
    bool InExpandButton(int X) const;
    bool SetSplit(int X);
    void MoveSplit(int X);
    void AdjustMiddle();
    void UpdateScrollBar();
    void ScrollTo(int Top);
    void DoScroll(int Code);
    std::string GetRowCaption(int Index) const;
    static TColor DarkenColor(TColor C);
    // The height that IntegralHeight makes of a requested one.
    int IntegralHeightFor(int Requested) const;
    // Fills HintInfo for a pointer at Pos; false when no value hint applies.
    bool GetValueHint(const QPoint& Pos, THintInfo& HintInfo);
    // The value hint: a window of its own, laid exactly where HintInfo says (a Qt
    // tool tip moves itself below the pointer) and shown as plain text.
    void ShowHint(const THintInfo& HintInfo);
    void HideHint();

    TZEditorList* FRows;
    TZInplaceEdit* FInplaceEdit = nullptr;
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
    QLabel* FHintWindow = nullptr;
    // The cell of the hint shown, in client coordinates: leaving it hides the hint.
    QRect FHintRect;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    bool viewportEvent(QEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;

private:
    void FontChanged();
    void DrawRowName(QPainter& Canvas, int Index, const QRect& Rect, int Dx, const QColor& Background);
    void ApplyScrollBarStyle();
    // Runs Action and shows any error in the error box, as the event loop would.
    void Guarded(const std::function<void()>& Action);

    TXMLNode* FNode = nullptr;
    TColor FPropColor = clNavy;
    bool FIntegralHeight = false;
    bool FNewButtons = true;
    int FMiddle = 85;
    bool FReadOnly = false;
    TScrollBarStyle FScrollBarStyle = ssRegular;
    TColor FColor = clBtnFace;
    TBorderStyle FBorderStyle = bsSingle;
    unsigned long FLastPressStamp = 0;
    Qt::MouseButton FLastPressButton = Qt::NoButton;
    QPoint FLastPressPos;
    bool FSizing = false;
    // The split was fitted to the captions before the control had its shown size.
    bool FSplitPending = false;
    // A painting error is reported once per node: the box's own repaint would
    // otherwise raise it again without end.
    bool FPaintErrorShown = false;
};

class TZPopupList : public QListWidget {
    Q_OBJECT
public:
    explicit TZPopupList(TZListButton* AButton);

    // The list's character handling: the incremental search.
    void SearchChar(QChar Char);

    std::string FSearchText;
    uint64_t FSearchTickCount = 0;
    TZListButton* FButton;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void keyboardSearch(const QString&) override {}
};

class TZListButton : public QWidget {
    Q_OBJECT
public:
    TZListButton(TZInplaceEdit* AEdit, TNodescope* AInspector, QWidget* Parent);

    void DropDown();
    void CloseUp(bool Accept);
    void HideList();
    void HideButton();
    void TrackButton(int X, int Y);
    void StopTracking();
    void FontChanged();
    void ListMouseUp(Qt::MouseButton Button, const QPoint& ListPos);
    void ListMeasureItem(int Index, int& Height);

    TZInplaceEdit* FEdit;
    TNodescope* FInspector;
    int FButtonWidth;
    int FItemHeight = 0;
    bool FPressed = false;
    bool FTracking = false;
    bool FListVisible = false;
    bool FDropDownStyle = false;
    // The list took over a drag that began on the button.
    bool FListDrag = false;
    TZPopupList* FList;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void changeEvent(QEvent* Event) override;
};

class TZInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TZInplaceEdit(TNodescope* AInspector);

    void MoveEdit(const QRect& Rect) { SetEditBounds(Rect, false); }
    void ShowEdit(const QRect& Rect) { SetEditBounds(Rect, true); }
    void SetEditBounds(const QRect& Rect, bool ForceRedraw);
    // Gives the edit the focus only when it is visible.
    void SetFocus();
    // The value as it is committed: the edited text in the bytes it came from, and
    // after it the hidden tail of a long value. Under the date mask unfilled
    // positions become leading blanks of their group and the separators stay; a
    // mask without any digit is the empty value.
    std::string GetEditText() const;
    // Takes the text by value: a long one's tail is kept without another copy.
    void SetEditText(std::string Text);
    // The character level of typing; false when the character is refused.
    bool HandleChar(int Char);
    void AutoComplete(const QString& Typed);
    void DblClick();
    void CheckBoxClick();

    TNodescope* FInspector;
    TZListButton* FButton;
    QCheckBox* FCheckBox;
    uint64_t FClickTime = 0;
    TEditKind FEditKind = ekText;
    bool FAutoCommit = false;
    bool FNoAutoComplete = false;
    std::string FAllowedChars;
    // How the text came from the stored bytes, and so goes back (BytesToText).
    bool FByteWise = false;
    // The bytes of a long value past the head shown in the edit; they follow the
    // edited head when the value is committed.
    std::string FHiddenTail;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

private:
    void UserChanged();
    bool FPressWasDouble = false;
};
