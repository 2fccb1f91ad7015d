// The inspector control: rows built from a schema declaration and an XML node,
// selection, expansion, the commit flow that lets the host veto a value, painting,
// scrolling and value hints. The control edits the host's tree in place and owns
// neither node. Qt stands in for the window services: the viewport is the client
// area, a QScrollBar the flat scroll bar.
#pragma once

#include "inspector/row_editors.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QMenu;
class TZInplaceEdit;

enum TEditKind : uint8_t { ekText = 0, ekButton = 1, ekList = 2, ekBoolean = 3, ekDate = 4 };

enum TScrollBarStyle : uint8_t { ssRegular = 0, ssFlat = 1, ssHotTrack = 2 };

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

private:
    TNodescope* FInspector;
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
    Q_PROPERTY(bool AllowStructureEdits READ AllowStructureEdits WRITE SetAllowStructureEdits)

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
    // Off by default. On: a context menu on the rows, Insert and Delete add and
    // remove elements within what the schema allows (not while ReadOnly).
    bool AllowStructureEdits() const { return FAllowStructureEdits; }
    void SetAllowStructureEdits(bool Value) { FAllowStructureEdits = Value; }

    // Plain references, read at the next assignment of Node; neither is owned.
    TXMLNode* SchemaNode() const { return FSchemaNode; }
    void SetSchemaNode(TXMLNode* Value) { FSchemaNode = Value; }
    TXMLNode* Node() const { return FNode; }
    void SetNode(TXMLNode* ANode);
    TXMLNode* FilterNode() const { return FFilterNode; }
    void SetFilterNode(TXMLNode* Value) { FFilterNode = Value; }

    TNewNodeEvent OnNewNode;
    THintEvent OnHint;
    TChangingEvent OnChanging;
    TChangeEvent OnChange;
    TGetXMLDictionary OnGetDictionary;
    TDrawPropertyEvent OnDrawProperty;
    TNotifyEvent OnButton;
    // An element was added or removed; the rows are already rebuilt.
    TNotifyEvent OnStructureChange;

    // The clock behind click times and the drop-down's incremental search; an
    // empty one puts the monotonic clock back.
    uint64_t TickCount() const { return FTickCount(); }
    void SetTickCount(TTickCount Value) { FTickCount = Value ? std::move(Value) : TTickCount(MonotonicTickCount); }

    // The rows as presented, in display order (EListError outside 0..RowCount()-1).
    const TEditorRow* Rows(int Index) const { return FRows->Rows(Index); }
    int RowCount() const { return FRowCount; }
    // -1 when no row is selected.
    int SelectedRow() const { return FRow; }
    int TopRow() const { return FTopRow; }
    // Pixels per row; 0 until the control is first shown.
    int RowHeight() const { return FRowHeight; }
    // Created with the control and kept for its whole life.
    TZInplaceEdit* InplaceEdit() const { return FInplaceEdit; }

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

    // Structure edits (nodescope_structure.cpp).
    // The element whose content row Index belongs to, with the declaration it is
    // shown under: the parent row's, or Node and SchemaNode for top-level rows and
    // for -1 (the space below the rows).
    std::pair<TXMLNode*, TXMLNode*> RowContainer(int Index) const;
    // The element row Index stands for and its declaration; nils for other rows.
    std::pair<TXMLNode*, TXMLNode*> RowElement(int Index) const;
    // Adds one more element of ElementDeclaration to Element at its schema place,
    // shows it and selects its row. Nil when the schema allows no more of it or the
    // pending value is refused.
    TXMLNode* AddElement(TXMLNode* Element, TXMLNode* Declaration, TXMLNode* ElementDeclaration);
    // Removes the element of row Index. A required one is refused with a message
    // naming it; one holding elements is removed only when the user confirms.
    bool RemoveRow(int Index);
    // The context menu of row Index (-1: below the rows), shown at GlobalPos without
    // waiting; Base (taken over) holds items of its own to go first. The control
    // keeps the menu until the next one.
    QMenu* ShowStructureMenu(int Index, const QPoint& GlobalPos, QMenu* Base = nullptr);
    QMenu* StructureMenu() const;
    // Rows of the whole object, shown or not, whose value is required and empty (the
    // red captions). Reads only: no missing element is created to count it.
    int RequiredEmptyCount() const;

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
    void contextMenuEvent(QContextMenuEvent* Event) override;
    bool viewportEvent(QEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;

private:
    // The row list adds rows where FInsertLevel and FInsertIndex say; the edit
    // must not post into a control that is being destroyed.
    friend class TZEditorList;
    friend class TZInplaceEdit;
    // Defined by the tests that reach the row list directly.
    friend struct TNodescopeTestAccess;

    void FontChanged();
    void DrawRowName(QPainter& Canvas, int Index, const QRect& Rect, int Dx, const QColor& Background);
    void ApplyScrollBarStyle();
    // Runs Action and shows any error in the error box, as the event loop would.
    void Guarded(const std::function<void()>& Action);
    // Rebuilds the rows around a change of the tree made by Change, which returns
    // the element whose row is to be selected (nil: the row at the old index).
    // Expanded rows stay expanded, except row SkipRow and its children; KeepOpen
    // (element and declaration) is expanded too.
    void Restructure(const std::function<TXMLNode*()>& Change, int SkipRow, std::pair<TXMLNode*, TXMLNode*> KeepOpen);
    // Builds the rows, expands those of Open and selects Target's row (else OldRow).
    void Reopen(const std::vector<std::pair<TXMLNode*, TXMLNode*>>& Open, TXMLNode* Target, int OldRow);
    void AddStructureActions(QMenu* Menu, int Index);
    // After a menu command: the focus goes to the edit of the selected row.
    void TakeFocus();
    void DropStructureMenu();

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
    TXMLNode* FSchemaNode = nullptr;
    TXMLNode* FFilterNode = nullptr;
    TTickCount FTickCount = MonotonicTickCount;
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
    bool FAllowStructureEdits = false;
    QPointer<QMenu> FStructureMenu;
};
