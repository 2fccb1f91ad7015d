// The inspector with one long text value (10 MB by default, or the megabytes given
// as the first argument): how long selecting its row takes (the edit loaded and
// everything repainted), how long a repaint and a value hint take with the row
// unselected, and the peak memory. Targets: selecting under 100 ms, peak memory
// within a few times the document.
#include "inspector/inplace_controls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const char* const Schema = R"(<xsd:schema>
<xsd:element name="R"><xsd:complexType><xsd:sequence>
 <xsd:element name="Name" type="xsd:string"/>
 <xsd:element name="Notes" type="xsd:string"/>
 <xsd:element name="City" type="xsd:string"/>
</xsd:sequence></xsd:complexType></xsd:element>
</xsd:schema>)";

long PeakKiB()
{
    QFile Status("/proc/self/status");
    if (!Status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& Line : Status.readAll().split('\n'))
        if (Line.startsWith("VmHWM:"))
            return Line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

template <typename F> double Millis(F&& Action)
{
    QElapsedTimer Timer;
    Timer.start();
    Action();
    return static_cast<double>(Timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const long Megabytes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10;
    QApplication App(argc, argv);

    std::unique_ptr<TXMLNode> S(new TXMLNode(Schema, false, nullptr));
    std::unique_ptr<TXMLNode> X(new TXMLNode("<R><Name>Ann</Name><Notes/><City>Linz</City></R>", false, nullptr));
    std::string Long;
    Long.reserve(static_cast<size_t>(Megabytes) << 20);
    while (Long.size() + 40 <= static_cast<size_t>(Megabytes) << 20)
        Long += "the quick brown fox jumps over the dog ";
    X->Child(1)->SetText(Long);
    const long Before = PeakKiB();

    TNodescope Ins;
    Ins.SetSchemaNode(S->FindChildByAttribute("name", "R"));
    Ins.SetNode(X.get());
    Ins.resize(640, 400);
    Ins.show();
    QCoreApplication::processEvents();

    Ins.viewport()->repaint();
    const double Paint = Millis([&] { Ins.viewport()->repaint(); });
    THintInfo Info;
    bool Shown = false;
    const double Hint = Millis([&] { Shown = Ins.GetValueHint(QPoint(Ins.Middle() + 10, Ins.RowHeight() + 2), Info); });
    const double Select = Millis([&] {
        Ins.SelectRow(1);
        Ins.viewport()->repaint();
        Ins.InplaceEdit()->repaint();
        QCoreApplication::processEvents();
    });
    const qsizetype Held = Ins.InplaceEdit()->text().size();
    const double Leave = Millis([&] {
        Ins.SelectRow(2);
        Ins.viewport()->repaint();
        QCoreApplication::processEvents();
    });

    std::printf("value of %.1f MB on a %dx%d inspector\n", static_cast<double>(Long.size()) / (1 << 20), Ins.width(),
                Ins.height());
    std::printf("repaint, long row unselected   %8.1f ms\n", Paint);
    std::printf("value hint (%s)                %8.1f ms\n", Shown ? "shown" : "none ", Hint);
    std::printf("select the long row + repaint  %8.1f ms   (target < 100 ms)\n", Select);
    std::printf("select the next row + repaint  %8.1f ms\n", Leave);
    std::printf("edit holds %lld characters of the value\n", static_cast<long long>(Held));
    std::printf("peak memory: %.0f MB with the document, %.0f MB in all (document %.0f MB)\n", Before / 1024.0,
                PeakKiB() / 1024.0, static_cast<double>(Long.size()) / (1 << 20));
    Ins.SetNode(nullptr);
    return 0;
}
