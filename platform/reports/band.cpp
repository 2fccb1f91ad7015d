// Bands keep their report's and parent's lists in step with their own lifetime, so a
// band deleted by hand never prints again.
#include "platform/reports/band.h"

#include "platform/reports/report.h"

TRBand::TRBand(TReport* Report, TRBandType Type)
    : QObject(Report), FType(Type), FReport(Report)
{
    Q_ASSERT(Type != rbChild);
    Report->FBands.append(this);
}

TRBand::TRBand(TRBand* Parent)
    : QObject(Parent), FType(rbChild), FReport(Parent->FReport), FParent(Parent)
{
    Parent->FChildren.append(this);
}

TRBand::~TRBand()
{
    // Deleted here rather than by QObject, while the lists they unlist from still exist.
    while (!FChildren.isEmpty())
        delete FChildren.last();
    while (!FElements.isEmpty())
        delete FElements.last();
    if (FParent)
        FParent->FChildren.removeOne(this);
    else
        FReport->FBands.removeOne(this);
}
