// TDBGrid: the records of a data source as rows, its fields as columns. It reads
// only the page it shows, through the dataset's cursor (gridrows.h), so a table of a
// million rows opens, pages and jumps at the cost of a screenful. Cells are edited in
// place through the fields' own text rules; the record is posted when the cursor
// leaves it and cancelled with Escape, all through the dataset and its events.
//
// The scroll bar follows the record number. The grid counts its own moves; where it
// cannot (another control moved the dataset far away) the thumb stays until the page
// meets an end of the dataset. The record count is asked for after the page has been
// painted, so a slow count(*) never holds back the first rows; until then the bar
// shows what the grid has seen.
#pragma once

#include "platform/datacontrols/font.h"
#include "platform/datacontrols/gridcolumns.h"
#include "platform/datacontrols/gridrows.h"
#include "platform/datacontrols/keypress.h"
#include "platform/core/object.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QRect>

#include <functional>
#include <memory>

class QLineEdit;
class TDataSource;
class TGridEditor;

enum TDBGridOption {
    dgEditing = 0x1,
    dgAlwaysShowEditor = 0x2,
    dgTitles = 0x4,
    dgIndicator = 0x8,
    dgColLines = 0x10,
    dgRowLines = 0x20,
    dgTabs = 0x40,
    dgRowSelect = 0x80,
    dgAlwaysShowSelection = 0x100,
    dgConfirmDelete = 0x200,
    dgCancelOnExit = 0x400,
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)

class TDBGrid : public QAbstractScrollArea, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(TDBGridColumns* Columns READ Columns)
    Q_PROPERTY(QObject* DataSource READ DataSourceObject WRITE SetDataSourceObject)

public:
    explicit TDBGrid(QWidget* Parent = nullptr);
    ~TDBGrid() override;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    QObject* DataSourceObject() const;
    // Takes a TDataSource; anything else detaches the grid.
    void SetDataSourceObject(QObject* Value);

    TDBGridColumns* Columns() const { return FColumns; }
    TDBGridOptions Options() const { return FOptions; }
    void SetOptions(TDBGridOptions Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // The cells' background where a column has no colour of its own.
    QColor Color() const { return FColor; }
    void SetColor(const QColor& Value);
    TFont* Font() const { return FFont; }
    // The grid's own flag, true while its window is still hidden.
    bool Visible() const { return !isHidden(); }

    // The selected column, an index into the visible columns, and its field.
    int SelectedIndex() const { return FSelected; }
    void SetSelectedIndex(int Value);
    TField* SelectedField() const;

    // Full rows the window has room for.
    int VisibleRowCount() const;
    // Rows on the page, and the page row of the current record (-1: none).
    int RowCount() const;
    int Row() const;
    // What a cell shows, and where: row on the page, visible column, in the
    // viewport's coordinates.
    QString CellText(int Row, int Column) const;
    QRect CellRect(int Row, int Column) const;
    // The current record's number and the record count, as the scroll bar has them:
    // exact after the grid's own moves and where the page meets an end of the dataset,
    // kept as it was after another control moved the cursor off the page (0 and -1 when
    // not known at all).
    qint64 RecNo() const { return FRecNo; }
    qint64 RecordCount() const { return FCount; }

    // The in-place editor is shown over the selected cell.
    bool EditorMode() const;
    void SetEditorMode(bool Value);
    QLineEdit* InplaceEditor() const;

    std::function<void(TObject* Sender)> OnDblClick;
    std::function<void(TObject* Sender)> OnEditButtonClick;
    std::function<void(TObject* Sender)> OnEnter;
    std::function<void(TObject* Sender)> OnExit;
    // Key is the Qt key code; a handler that sets it to 0 stops the key.
    std::function<void(TObject* Sender, int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    TKeyPressEvent OnKeyPress;

    // For the columns: their number, order or look changed.
    void ColumnsChanged();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;
    bool focusNextPrevChild(bool Next) override;

private:
    class TGridLink;
    friend class TGridLink;
    friend class TGridEditor;

    // ---- data (dbgrid.cpp) ----
    void DataEvent(int Event, TField* Field);
    TDataSet* DataSet() const;
    bool Browsing() const;
    // Reads the page again when it is stale and the dataset is browsing.
    void EnsureRows();
    void RefreshRows(int ActiveRow);
    // Runs a move of the cursor the grid makes itself; its own notices are not news.
    void OwnMove(const std::function<void()>& Move);
    void MoveBy(int Distance, bool KeepRow);
    void GoFirst();
    void GoLast();
    void GoRecNo(qint64 RecNo);
    void CountLater();
    void CountNow();
    void SettlePosition();
    void UpdateScrollBars();
    void ScrollAction(int Action);
    void ThumbMoved();
    void Report(const std::exception& E);
    void Guarded(const std::function<void()>& Action);
    // The texts of a page row; the record being edited shows its fields as they are.
    QStringList RowTexts(int Row) const;

    // ---- layout and painting (dbgrid_paint.cpp) ----
    // Resolves the columns' fields and measures the columns and rows again.
    void UpdateLayout();
    int TitleHeight() const;
    int RowHeight() const;
    int IndicatorWidth() const;
    int ColumnLeft(int Column) const;
    QRect ButtonRect() const;
    bool ShowsButton() const;
    // Row and column under a point of the viewport; -1 where there is none.
    int RowAt(int Y) const;
    int ColumnAt(int X) const;
    void ScrollToColumn(int Column);
    void PaintTitles(QPainter& Painter);
    void PaintRow(QPainter& Painter, int Row, const QStringList& Texts);
    void PaintIndicator(QPainter& Painter, const QRect& Rect, int Row);

    // ---- editing, keys and mouse (dbgrid_editing.cpp) ----
    bool CanEditCell() const;
    bool CanModify() const;
    void ShowEditor(const QString* Typed = nullptr);
    void HideEditor();
    void PlaceEditor();
    // Writes the editor's text to the field. A text the field refuses is reported and
    // gives false, or, without ReportErrors, raises the field's error.
    bool UpdateData(bool ReportErrors);
    void EditorEdited();
    // Key handling shared by the grid and its editor; true when the key was used.
    bool HandleKey(QKeyEvent* Event, bool FromEditor);
    bool LeaveCell();
    // Moves the current record as the keys do: Page keeps its row on the screen.
    void MoveRow(int Distance, bool Page);
    void SelectColumn(int Column);
    void InsertRecord(bool Append);
    void DeleteRecord();
    void CancelRecord();
    void EditButtonClick();
    void FocusChanged(QWidget* Now);
    // A click on the viewport: the button, or a cell's record and column.
    void ClickCell(const QPoint& Pos, bool Double);

    TDataSource* FDataSource = nullptr;
    std::unique_ptr<TGridLink> FLink;
    TDBGridColumns* FColumns;
    TFont* FFont;
    TDBGridOptions FOptions;
    bool FReadOnly = false;
    QColor FColor;

    // The visible columns and their fields, as laid out: left edges (unscrolled),
    // widths, and the heights of the title and of a row.
    QVector<TColumn*> FVisible;
    QVector<TField*> FFields;
    QVector<int> FLefts, FWidths;
    int FTitleHeight = 0, FRowHeight = 1;
    int FSelected = 0;

    TGridRows FRows;
    bool FRowsStale = true;
    int FOwnMoves = 0;      // moves of the grid's own under way
    bool FAppending = false; // the insert under way is the grid's append

    // Where the cursor stands: record number (0: not known) and count (-1: not known).
    qint64 FRecNo = 0;
    qint64 FCount = -1;
    bool FCountStale = true;
    bool FCountQueued = false;
    int FThumbTarget = -1;

    TGridEditor* FEditor = nullptr;
    bool FFocused = false;
};
