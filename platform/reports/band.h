// Bands of a report: horizontal strips of a fixed height that hold elements. A page
// starts with the page header and the column header; the detail prints once per record
// of the report's dataset, the summary once after the last record; a child band prints
// right after its parent, every time the parent prints. Bands of one kind print in the
// order they were made, and so do the children of one band.
#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QObject>

class TReport;
class TRElement;

enum TRBandType { rbPageHeader, rbColumnHeader, rbDetail, rbSummary, rbChild };

class TRBand : public QObject {
    Q_OBJECT

public:
    // A band of Report, which owns it (Type is not rbChild).
    TRBand(TReport* Report, TRBandType Type);
    // A child band of Parent (a band of any kind, a child too), which owns it.
    explicit TRBand(TRBand* Parent);
    ~TRBand() override;

    TRBandType BandType() const { return FType; }
    TReport* Report() const { return FReport; }
    // The band this child prints after; null for other kinds.
    TRBand* ParentBand() const { return FParent; }
    const QList<TRBand*>& ChildBands() const { return FChildren; }
    // In the order they were made; later ones print over earlier ones.
    const QList<TRElement*>& Elements() const { return FElements; }

    // Millimetres.
    double Height = 10;
    // The background; invalid leaves the page as it is.
    QColor Color;
    // What this font sets overrides the report's font for the band's elements.
    QFont Font;
    // The text colour of the band's elements; invalid takes the report's.
    QColor FontColor;

private:
    friend class TRElement;
    TRBandType FType;
    TReport* FReport;
    TRBand* FParent = nullptr;
    QList<TRBand*> FChildren;
    QList<TRElement*> FElements;
};
