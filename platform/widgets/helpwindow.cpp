// The help window. One instance lives between the first request for help and
// Application->HelpClose; it loads the file again only when the name changes.
#include "platform/widgets/helpwindow.h"

#include "platform/core/exceptions.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

THelpWindow::THelpWindow(QWidget* Parent)
    : QWidget(Parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    FBack = new QToolButton(this);
    FBack->setText(tr("&Back"));
    FForward = new QToolButton(this);
    FForward->setText(tr("&Forward"));
    auto* contents = new QToolButton(this);
    contents->setText(tr("&Contents"));
    FBrowser = new QTextBrowser(this);
    FBrowser->setOpenExternalLinks(true);

    auto* bar = new QHBoxLayout;
    bar->addWidget(contents);
    bar->addWidget(FBack);
    bar->addWidget(FForward);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(FBrowser, 1);

    FBack->setEnabled(false);
    FForward->setEnabled(false);
    connect(FBack, &QToolButton::clicked, FBrowser, &QTextBrowser::backward);
    connect(FForward, &QToolButton::clicked, FBrowser, &QTextBrowser::forward);
    connect(contents, &QToolButton::clicked, FBrowser, [this] {
        FBrowser->setSource(QUrl::fromLocalFile(FFileName));
        FBrowser->scrollToAnchor(QString());
        FBrowser->verticalScrollBar()->setValue(0);
    });
    connect(FBrowser, &QTextBrowser::backwardAvailable, FBack, &QToolButton::setEnabled);
    connect(FBrowser, &QTextBrowser::forwardAvailable, FForward, &QToolButton::setEnabled);
    connect(FBrowser, &QTextBrowser::sourceChanged, this, [this] {
        QString title = FBrowser->documentTitle();
        setWindowTitle(title.isEmpty() ? tr("Help") : title);
    });
    resize(fontMetrics().averageCharWidth() * 80, fontMetrics().height() * 36);
}

void THelpWindow::Load(const QString& FileName)
{
    QString path = QFileInfo(FileName).absoluteFilePath();
    if (path == FFileName && !FHtml.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError("Cannot open help file \"" + path.toStdString() + "\": " +
                              file.errorString().toStdString(),
                          static_cast<int>(file.error()));
    FHtml = QString::fromUtf8(file.readAll());
    FFileName = path;
    FBrowser->clearHistory();
    FBrowser->setSource(QUrl::fromLocalFile(path));
}

void THelpWindow::Present()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void THelpWindow::ShowContents(const QString& FileName)
{
    Load(FileName);
    FBrowser->setSource(QUrl::fromLocalFile(FFileName));
    FBrowser->verticalScrollBar()->setValue(0);
    Present();
}

void THelpWindow::ShowContext(const QString& FileName, int Context)
{
    Load(FileName);
    QString anchor = ContextAnchor(Context);
    if (!HasAnchor(anchor)) {
        ShowContents(FileName);
        throw Exception("The help file has no topic for help context " + std::to_string(Context) + ".");
    }
    QUrl url = QUrl::fromLocalFile(FFileName);
    url.setFragment(anchor);
    FBrowser->setSource(url);
    FBrowser->scrollToAnchor(anchor);
    Present();
}

bool THelpWindow::HasAnchor(const QString& Anchor) const
{
    QRegularExpression re(QStringLiteral("<[a-z][a-z0-9]*\\b[^>]*\\b(?:name|id)\\s*=\\s*[\"']?%1[\"'\\s>]")
                              .arg(QRegularExpression::escape(Anchor)),
                          QRegularExpression::CaseInsensitiveOption);
    return re.match(FHtml).hasMatch();
}
