// The columns of a data grid: which field each shows and how. A column's look falls
// back on its field and its grid until the column is given a value of its own, so a
// grid without columns of its own shows every visible field of its dataset, and a
// field's display width, label and alignment reach the grid without being repeated.
#pragma once

#include "platform/datacontrols/font.h"
#include "platform/datacontrols/published.h"
#include "platform/core/object.h"
#include "platform/data/field.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <vector>

class TColumn;
class TDBGrid;
class TDBGridColumns;

class TColumnTitle : public QObject, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)

public:
    explicit TColumnTitle(TColumn* Column);

    // The caption given, or the field's display name, or the field name.
    QString Caption() const;
    void SetCaption(const QString& Value);
    // Back to the field's display name.
    void RestoreDefaults();

private:
    TColumn* FColumn;
    QString FCaption;
    bool FCaptionSet = false;
};

class TColumn : public QObject, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString FieldName READ FieldName WRITE SetFieldName)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(TButtonStyle ButtonStyle READ ButtonStyle WRITE SetButtonStyle)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(TColumnTitle* Title READ Title)

public:
    // cbsEllipsis: a "..." button in the selected cell raises the grid's OnEditButtonClick.
    enum TButtonStyle { cbsAuto, cbsEllipsis, cbsNone };
    Q_ENUM(TButtonStyle)

    explicit TColumn(TDBGridColumns* Collection);

    TDBGridColumns* Collection() const { return FCollection; }
    TDBGrid* Grid() const;
    int Index() const;

    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    // The field of the grid's dataset named FieldName; null when there is none.
    TField* Field() const;

    // In pixels: the given width, or the field's display width in the column's font.
    int Width() const;
    void SetWidth(int Value);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    // Cell background: the given colour or the grid's.
    QColor Color() const;
    void SetColor(const QColor& Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TButtonStyle Value);
    // Follows the grid's font until the column's own is changed.
    TFont* Font() const { return FFont; }
    bool FontAssigned() const { return FFontSet; }
    TColumnTitle* Title() const { return FTitle; }

    // Forgets the values given, so the column follows its field and grid again.
    void RestoreDefaults();

private:
    friend class TDBGridColumns;
    friend class TColumnTitle;
    void Changed();
    // Takes the grid's font without counting as a value of the column's own.
    void FollowGridFont();

    TDBGridColumns* FCollection;
    QString FFieldName;
    int FWidth = 0;
    bool FWidthSet = false;
    TAlignment FAlignment = taLeftJustify;
    bool FAlignmentSet = false;
    QColor FColor;
    bool FReadOnly = false;
    bool FVisible = true;
    TButtonStyle FButtonStyle = cbsAuto;
    TFont* FFont;
    bool FFontSet = false;
    bool FFollowing = false;
    TColumnTitle* FTitle;
};

class TDBGridColumns : public TCollection, public TObject {
    Q_OBJECT

public:
    // csDefault: the columns were made from the dataset's fields and are made again
    // when the fields change; csCustomized: the program chose them.
    enum TColumnsState { csDefault, csCustomized };

    explicit TDBGridColumns(TDBGrid* Grid);
    ~TDBGridColumns() override;

    TDBGrid* Grid() const { return FGrid; }
    int Count() const override { return int(FItems.size()); }
    QObject* Item(int Index) const override { return Items(Index); }
    // Raises EListError outside 0..Count-1.
    TColumn* Items(int Index) const;
    // A new column at the end; the first one added replaces the default columns.
    TColumn* Add();
    // Back to the default columns.
    void Clear();
    TColumnsState State() const { return FState; }
    // Makes the columns one per visible field of the grid's dataset (csDefault).
    void RebuildColumns();

private:
    friend class TColumn;
    friend class TDBGrid;
    void Changed();
    // The grid's font changed: columns without a font of their own take it.
    void FollowGridFont();

    TDBGrid* FGrid;
    std::vector<TColumn*> FItems;
    TColumnsState FState = csDefault;
    bool FRebuilding = false;
};
