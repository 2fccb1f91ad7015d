// What the report tests read back from a PDF through poppler's pdftotext: the text of
// each page as laid out, and each word with its place on the page in millimetres.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QVector>
#include <QtTest>

struct TPdfWord {
    int Page; // 1-based
    QString Text;
    double Left, Right, Top, Bottom; // mm from the page's top left
    double Centre() const { return (Left + Right) / 2; }
};

inline QByteArray RunPdfToText(const QStringList& arguments)
{
    QProcess p;
    p.start("pdftotext", arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("pdftotext failed: %s", p.readAllStandardError().constData());
        return QByteArray();
    }
    return p.readAllStandardOutput();
}

// The text of each page; one entry per page.
inline QStringList PdfPages(const QString& file)
{
    QStringList pages = QString::fromUtf8(RunPdfToText({"-layout", file, "-"})).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The lines of a page's text that are not blank, trimmed, with runs of blanks as one.
inline QStringList PdfLines(const QString& page)
{
    QStringList lines;
    for (const QString& line : page.split('\n'))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    return lines;
}

inline QVector<TPdfWord> PdfWords(const QString& file)
{
    const QString html = QString::fromUtf8(RunPdfToText({"-bbox", file, "-"}));
    static const QRegularExpression tag(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    QVector<TPdfWord> words;
    int page = 0;
    const double mm = 25.4 / 72;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith("<page")) {
            ++page;
            continue;
        }
        words.append({page, m.captured(5), m.captured(1).toDouble() * mm, m.captured(3).toDouble() * mm,
                      m.captured(2).toDouble() * mm, m.captured(4).toDouble() * mm});
    }
    return words;
}

inline const TPdfWord* FindWord(const QVector<TPdfWord>& words, const QString& text, int page = 0)
{
    for (const TPdfWord& w : words)
        if (w.Text == text && (page == 0 || w.Page == page))
            return &w;
    return nullptr;
}
