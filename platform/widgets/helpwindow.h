// The help window: the program's HTML help file in a browser window of our own.
// Context numbers are anchors named "ctx-N" in that file; its top is the contents.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;
class QToolButton;

class THelpWindow : public QWidget {
public:
    explicit THelpWindow(QWidget* Parent = nullptr);

    // Loads FileName (once; again when it changed) and shows its first page.
    // Throws EFOpenError when the file does not exist.
    void ShowContents(const QString& FileName);
    // Shows the topic of Context; throws Exception when the file has no such anchor.
    void ShowContext(const QString& FileName, int Context);

    static QString ContextAnchor(int Context) { return QStringLiteral("ctx-%1").arg(Context); }
    bool HasAnchor(const QString& Anchor) const;

    QTextBrowser* Browser() const { return FBrowser; }
    QString FileName() const { return FFileName; }

private:
    void Load(const QString& FileName);
    void Present();

    QTextBrowser* FBrowser;
    QToolButton* FBack;
    QToolButton* FForward;
    QString FFileName;
    QString FHtml;
};
