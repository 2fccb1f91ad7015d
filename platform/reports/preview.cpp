// The preview window. It holds the image of the one page shown, drawn at the current
// zoom by the run's page drawer, and lays out the rest of the report in slices from
// the event loop so the window answers while a long report is counted. The buttons
// report failures in the error box; the operations they call throw.
#include "platform/reports/preview.h"

#include "platform/reports/page_drawer.h"
#include "platform/reports/report.h"
#include "platform/widgets/application.h"
#include "platform/widgets/printers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// Zoom 1 shows a page as large as printed on a 96 dpi screen.
constexpr double kScreenDpi = 96;
constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 5;
// Room around the page inside the scroll area, in pixels.
constexpr int kGap = 12;
// How long one slice of background layout may hold the event loop.
constexpr int kSliceMs = 30;

} // namespace

// Shows the image of the page on grey, with a gap around it.
class TRPageView : public QWidget {
public:
    explicit TRPageView(QWidget* Parent) : QWidget(Parent) {}

    QImage Page;

    void SetPage(QImage Image)
    {
        Page = std::move(Image);
        resize(Page.width() + 2 * kGap, Page.height() + 2 * kGap);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        if (Page.isNull())
            return;
        const int x = std::max(kGap, (width() - Page.width()) / 2);
        painter.fillRect(QRect(x + 3, kGap + 3, Page.width(), Page.height()), Qt::black);
        painter.drawImage(x, kGap, Page);
    }
};

TRPreview::TRPreview(TReport* Report, TRPageDrawer& Drawer, QWidget* Parent)
    : TForm(Parent), FReport(Report), FDrawer(Drawer)
{
    setWindowTitle(Report->ReportTitle.isEmpty() ? tr("Print Preview") : tr("Print Preview - %1").arg(Report->ReportTitle));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(820, 940);

    auto button = [this](const QString& name, const QString& text, const QKeySequence& key, auto step) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        b->setAutoRaise(true);
        if (!key.isEmpty())
            b->setShortcut(key);
        connect(b, &QToolButton::clicked, this, [this, step] { Application->Guard([&] { (this->*step)(); }); });
        return b;
    };
    FFirst = button("FirstButton", tr("First"), QKeySequence(Qt::CTRL | Qt::Key_Home), &TRPreview::FirstPage);
    FPrior = button("PriorButton", tr("Prior"), QKeySequence(Qt::Key_PageUp), &TRPreview::PriorPage);
    FNext = button("NextButton", tr("Next"), QKeySequence(Qt::Key_PageDown), &TRPreview::NextPage);
    FLast = button("LastButton", tr("Last"), QKeySequence(Qt::CTRL | Qt::Key_End), &TRPreview::LastPage);
    FZoomIn = button("ZoomInButton", tr("Zoom In"), QKeySequence(QKeySequence::ZoomIn), &TRPreview::ZoomIn);
    FZoomOut = button("ZoomOutButton", tr("Zoom Out"), QKeySequence(QKeySequence::ZoomOut), &TRPreview::ZoomOut);
    FFitPage = button("FitPageButton", tr("Fit Page"), QKeySequence(), &TRPreview::FitPage);
    FFitWidth = button("FitWidthButton", tr("Fit Width"), QKeySequence(), &TRPreview::FitWidth);
    FPrint = button("PrintButton", tr("Print"), QKeySequence(QKeySequence::Print), &TRPreview::PrintReport);
    FSave = button("SaveButton", tr("Save as PDF"), QKeySequence(QKeySequence::Save), &TRPreview::SaveClicked);
    auto* close = new QToolButton(this);
    close->setObjectName("CloseButton");
    close->setText(tr("Close"));
    close->setAutoRaise(true);
    connect(close, &QToolButton::clicked, this, [this] { done(mrOk); });
    SetCancelButton(close);
    FPageLabel = new QLabel(this);
    FPageLabel->setObjectName("PageLabel");

    auto* bar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{FFirst, FPrior, FNext, FLast})
        bar->addWidget(w);
    bar->addSpacing(8);
    bar->addWidget(FPageLabel);
    bar->addSpacing(8);
    for (QWidget* w : std::initializer_list<QWidget*>{FZoomIn, FZoomOut, FFitPage, FFitWidth})
        bar->addWidget(w);
    bar->addStretch();
    for (QWidget* w : std::initializer_list<QWidget*>{FPrint, FSave, close})
        bar->addWidget(w);

    FView = new TRPageView(this);
    FScroll = new QScrollArea(this);
    FScroll->setObjectName("PageArea");
    FScroll->setWidget(FView);
    FScroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    FScroll->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(FScroll, 1);

    FLayoutTimer = new QTimer(this);
    FLayoutTimer->setSingleShot(true);
    FLayoutTimer->setInterval(0);
    connect(FLayoutTimer, &QTimer::timeout, this, [this] { Application->Guard([this] { LayOutSome(); }); });
    UpdateControls();
}

TRPreview::~TRPreview() = default;

int TRPreview::PageCount() const
{
    return FDrawer.PagesKnown();
}

bool TRPreview::PageCountKnown() const
{
    return FDrawer.Complete();
}

QString TRPreview::PageText() const
{
    if (FDrawer.Empty())
        return tr("No pages");
    const int known = std::max(FDrawer.PagesKnown(), FPageNo);
    return tr("Page %1 of %2%3").arg(FPageNo).arg(known).arg(FDrawer.Complete() ? "" : "+");
}

void TRPreview::FirstPage()
{
    GoToPage(1);
}

void TRPreview::PriorPage()
{
    GoToPage(FPageNo - 1);
}

void TRPreview::NextPage()
{
    GoToPage(FPageNo + 1);
}

void TRPreview::LastPage()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        while (FDrawer.LayOutNext()) {
        }
    } catch (...) {
        QApplication::restoreOverrideCursor();
        FLayoutFailed = true;
        UpdateControls();
        throw;
    }
    QApplication::restoreOverrideCursor();
    GoToPage(FDrawer.PagesKnown());
}

void TRPreview::GoToPage(int PageNo)
{
    if (FDrawer.Empty() || PageNo < 1 || PageNo == FPageNo)
        return;
    // Past the end: stay where we are.
    if (FDrawer.Complete() && PageNo > FDrawer.PagesKnown())
        return;
    const int was = FPageNo;
    FPageNo = PageNo;
    try {
        Render();
    } catch (...) {
        FPageNo = was;
        UpdateControls();
        throw;
    }
    FScroll->verticalScrollBar()->setValue(0);
    UpdateControls();
}

void TRPreview::Render()
{
    if (FPageNo < 1)
        return;
    // The image's resolution is the zoom, so fonts in points scale with the page;
    // rounded down, so a fitted page never outgrows the room it was fitted to.
    const int dpi = std::max(1, int(kScreenDpi * FZoom + 1e-9));
    const QSizeF mm = FDrawer.PageSizeMm();
    QImage image(int(std::ceil(mm.width() / 25.4 * dpi)), int(std::ceil(mm.height() / 25.4 * dpi)),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (!FDrawer.DrawPage(FPageNo, painter, image.logicalDpiX() / 25.4)) {
        // The page went away (the report is shorter than laid out): show the last.
        painter.end();
        FPageNo = std::max(0, FDrawer.PagesKnown());
        if (FPageNo > 0)
            Render();
        return;
    }
    painter.end();
    FView->SetPage(std::move(image));
}

void TRPreview::LayOutSome()
{
    QElapsedTimer slice;
    slice.start();
    try {
        while (slice.elapsed() < kSliceMs && FDrawer.LayOutNext()) {
        }
    } catch (...) {
        FLayoutFailed = true; // the error is shown once
        UpdateControls();
        throw;
    }
    UpdateControls();
}

void TRPreview::ZoomIn()
{
    FFit = fitNone;
    SetZoom(FZoom * kZoomStep);
}

void TRPreview::ZoomOut()
{
    FFit = fitNone;
    SetZoom(FZoom / kZoomStep);
}

void TRPreview::SetZoom(double Zoom)
{
    Zoom = std::clamp(Zoom, kMinZoom, kMaxZoom);
    if (std::abs(Zoom - FZoom) < 1e-6)
        return;
    FZoom = Zoom;
    Render();
    UpdateControls();
}

void TRPreview::FitPage()
{
    FFit = fitPage;
    ApplyFit();
}

void TRPreview::FitWidth()
{
    FFit = fitWidth;
    ApplyFit();
}

void TRPreview::ApplyFit()
{
    if (FFit == fitNone)
        return;
    const QSizeF mm = FDrawer.PageSizeMm();
    const double width = mm.width() / 25.4 * kScreenDpi;
    const double height = mm.height() / 25.4 * kScreenDpi;
    const QSize room = FScroll->maximumViewportSize() - QSize(2 * kGap, 2 * kGap);
    double zoom = room.width() / width;
    if (FFit == fitPage)
        zoom = std::min(zoom, room.height() / height);
    else if (zoom * height > room.height())
        // The vertical scroll bar will take part of the width.
        zoom = (room.width() - FScroll->verticalScrollBar()->sizeHint().width()) / width;
    SetZoom(zoom);
}

void TRPreview::PrintReport()
{
    FDrawer.PrintOn(*Printer());
    UpdateControls();
}

void TRPreview::SaveToPdf(const QString& FileName)
{
    FDrawer.WritePdf(FileName);
    UpdateControls();
}

void TRPreview::SaveClicked()
{
    QString name = OnAskFileName
        ? OnAskFileName(this)
        : QFileDialog::getSaveFileName(this, tr("Save as PDF"), QString(), tr("PDF files (*.pdf)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += ".pdf";
    SaveToPdf(name);
}

void TRPreview::UpdateControls()
{
    const bool pages = !FDrawer.Empty();
    const bool more = pages && (!FDrawer.Complete() || FPageNo < FDrawer.PagesKnown());
    FFirst->setEnabled(FPageNo > 1);
    FPrior->setEnabled(FPageNo > 1);
    FNext->setEnabled(more);
    FLast->setEnabled(more);
    for (QToolButton* b : {FZoomIn, FZoomOut, FFitPage, FFitWidth, FPrint, FSave})
        b->setEnabled(pages);
    FZoomIn->setEnabled(pages && FZoom < kMaxZoom);
    FZoomOut->setEnabled(pages && FZoom > kMinZoom);
    FPageLabel->setText(PageText());
    if (!FDrawer.Complete() && !FLayoutFailed && !FLayoutTimer->isActive() && isVisible())
        FLayoutTimer->start();
}

void TRPreview::showEvent(QShowEvent* Event)
{
    TForm::showEvent(Event);
    Application->Guard([this] {
        ApplyFit();
        if (FPageNo == 0 && !FDrawer.Empty())
            GoToPage(1);
        UpdateControls();
    });
}

void TRPreview::resizeEvent(QResizeEvent* Event)
{
    TForm::resizeEvent(Event);
    if (isVisible() && FPageNo > 0)
        Application->Guard([this] { ApplyFit(); });
}
