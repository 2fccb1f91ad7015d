// What a band holds: texts (a fixed caption, a field's display text, an expression's
// value) and shapes. Positions and sizes are millimetres from the band's left and top
// edges; the band owns its elements. A text with Width 0 is as wide as its text and
// starts at Left; with a width it is aligned within it. AlignToBand aligns it within
// the whole band instead (centred, or at the band's right edge).
#pragma once

#include "platform/data/field.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QPainter;
class TDataSet;
class TRBand;
class TReportExpression;
struct TRPrintContext;

class TRElement : public QObject {
    Q_OBJECT

public:
    // Band owns the element; it prints over the band's earlier elements.
    explicit TRElement(TRBand* Band);
    ~TRElement() override;

    TRBand* Band() const { return FBand; }

    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;

protected:
    friend class TRPageDrawer;
    // Checks what the element needs before a run prints anything; throws.
    virtual void Prepare(const TRPrintContext& Context);
    virtual void Print(TRPrintContext& Context) = 0;

private:
    TRBand* FBand;
};

class TRCustomLabel : public TRElement {
    Q_OBJECT

public:
    explicit TRCustomLabel(TRBand* Band);
    ~TRCustomLabel() override;

    TAlignment Alignment = taLeftJustify;
    bool AlignToBand = false;
    // What this font sets overrides the band's (and so the report's) font.
    QFont Font;
    // Invalid: the band's text colour, else the report's (black).
    QColor FontColor;
    // The background behind the text; invalid leaves the band's.
    QColor Color;

    // Before each print, with the text about to print; Value may be replaced.
    std::function<void(TRCustomLabel* Sender, QString& Value)> OnPrint;

    // The text of the element, before OnPrint, for the current record.
    virtual QString Text(const TRPrintContext& Context) const = 0;

protected:
    void Print(TRPrintContext& Context) override;

private:
    struct TLook; // the font as the device draws it, found once per run
    std::unique_ptr<TLook> FLook;
};

// A fixed text.
class TRLabel : public TRCustomLabel {
    Q_OBJECT

public:
    using TRCustomLabel::TRCustomLabel;
    QString Caption;
    QString Text(const TRPrintContext& Context) const override;
};

// The display text of a field (its display format, currency, short date).
class TRDBText : public TRCustomLabel {
    Q_OBJECT

public:
    using TRCustomLabel::TRCustomLabel;
    // Null: the report's dataset.
    TDataSet* DataSet = nullptr;
    QString DataField;
    QString Text(const TRPrintContext& Context) const override;

protected:
    void Prepare(const TRPrintContext& Context) override;

private:
    TField* FField = nullptr; // found once per run
};

// The value of an expression (expression.h) over the report's dataset and its extra
// datasets; parsed once at the start of each run, evaluated at each print.
class TRExpr : public TRCustomLabel {
    Q_OBJECT

public:
    explicit TRExpr(TRBand* Band);
    ~TRExpr() override;
    QString Expression;
    QString Text(const TRPrintContext& Context) const override;
    // The parsed expression of the current run; null before the first run.
    TReportExpression* Parsed() const { return FParsed.get(); }

protected:
    void Prepare(const TRPrintContext& Context) override;

private:
    std::unique_ptr<TReportExpression> FParsed;
};

enum TRShapeType { rsRectangle, rsFilledRectangle, rsHorizontalLine };

// A rectangle outlined with PenColor, one filled with Color, or a horizontal line
// across Width at the middle of Height.
class TRShape : public TRElement {
    Q_OBJECT

public:
    using TRElement::TRElement;
    TRShapeType Shape = rsRectangle;
    QColor Color = Qt::white;
    QColor PenColor = Qt::black;
    // Millimetres.
    double PenWidth = 0.25;

protected:
    void Print(TRPrintContext& Context) override;
};
