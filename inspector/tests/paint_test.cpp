// The inspector's presentation: split clamping and fitting, painted colours of the
// selection band, grid lines and expand boxes, captions without new buttons, the
// scroll bar range and thumb, IntegralHeight, value hints over their cell, partial
// repaints, a painting error, and long values handed to the painter only as far as
// their cell shows them.
#include "inspector/tests/scopefixture.h"

#include "platform/core/exceptions.h"

#include <QHelpEvent>
#include <QLabel>
#include <QPaintEngine>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

QString Pixel(TNodescope* Ins, int X, int Y)
{
    return QColor(Ins->viewport()->grab().toImage().pixel(X, Y)).name();
}

QString Hex(const QColor& C)
{
    return C.name();
}

const char* const ManyRowsSchema = R"(<xsd:schema>
<xsd:element name="R"><xsd:complexType><xsd:sequence>
 <xsd:element name="Block"><xsd:complexType><xsd:sequence>
  <xsd:element name="C" minOccurs="18" maxOccurs="18" type="xsd:string"/>
 </xsd:sequence></xsd:complexType></xsd:element>
 <xsd:element name="T" minOccurs="11" maxOccurs="11" type="xsd:string"/>
</xsd:sequence></xsd:complexType></xsd:element>
<xsd:element name="Bare"><xsd:complexType/></xsd:element>
</xsd:schema>)";

std::string ManyRowsObject()
{
    std::string Text = "<R><Block>";
    for (int I = 0; I < 18; ++I)
        Text += "<C>c</C>";
    Text += "</Block>";
    for (int I = 0; I < 11; ++I)
        Text += "<T>t</T>";
    return Text + "</R>";
}

// A paint device that keeps the texts handed to it: how much a painter was asked
// to lay out, whatever reaches the pixels.
class TTextRecorder : public QPaintDevice {
public:
    struct Engine : QPaintEngine {
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF&, const QTextItem& Item) override
        {
            Texts << Item.text();
            Longest = std::max(Longest, Item.text().size());
        }
        Type type() const override { return QPaintEngine::User; }
        QStringList Texts;
        qsizetype Longest = 0;
    };

    QPaintEngine* paintEngine() const override { return &FEngine; }
    Engine& Recorded() { return FEngine; }

protected:
    int metric(PaintDeviceMetric Metric) const override
    {
        switch (Metric) {
        case PdmWidth: return 1000;
        case PdmHeight: return 400;
        case PdmWidthMM: return 264;
        case PdmHeightMM: return 106;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        default: return 96;
        }
    }

private:
    mutable Engine FEngine;
};

// The windows on screen that look like a value hint: tool-tip windows.
QList<QWidget*> HintWindows()
{
    QList<QWidget*> Result;
    for (QWidget* W : QApplication::topLevelWidgets())
        if (W->isVisible() && W->windowType() == Qt::ToolTip)
            Result << W;
    return Result;
}

} // namespace

class PaintTest : public QObject {
    Q_OBJECT
private slots:
    void splitStaysAwayFromTheEdges()
    {
        ScopeFixture F;
        const int Extra = F.Ins->width() - F.Ins->ClientWidth();
        F.Ins->resize(50 + Extra, F.Ins->height());
        QCoreApplication::processEvents();
        QCOMPARE(F.Ins->ClientWidth(), 50);
        QCOMPARE(F.Ins->Middle(), 32);
        F.Ins->SetMiddle(5);
        QCOMPARE(F.Ins->Middle(), 32);
        F.Ins->SetMiddle(45);
        QCOMPARE(F.Ins->Middle(), 32);
        F.Ins->resize(300 + Extra, F.Ins->height());
        QCoreApplication::processEvents();
        F.Ins->SetMiddle(290);
        QCOMPARE(F.Ins->Middle(), 300 - 32);
    }

    void adjustMiddleFitsTheWidestCaption()
    {
        ScopeFixture F;
        const QFontMetrics M(F.Ins->font());
        int Need = 0;
        for (int I = 0; I < F.Ins->RowCount(); ++I)
            Need = std::max(Need, M.horizontalAdvance(F.Caption(I)) + 20);
        // Wider than needed by more than 20: narrowed to the need.
        F.Ins->SetMiddle(Need + 25);
        F.Ins->AdjustMiddle();
        QCOMPARE(F.Ins->Middle(), Need);
        // 20 or fewer to spare: kept.
        F.Ins->SetMiddle(Need + 15);
        F.Ins->AdjustMiddle();
        QCOMPARE(F.Ins->Middle(), Need + 15);
        // Narrower than needed: widened, at most to half the control's width.
        F.Ins->SetMiddle(Need - 10);
        F.Ins->AdjustMiddle();
        QCOMPARE(F.Ins->Middle(), Need);
        F.Ins->resize(2 * (Need - 10), F.Ins->height());
        QCoreApplication::processEvents();
        F.Ins->SetMiddle(40);
        F.Ins->AdjustMiddle();
        QCOMPARE(F.Ins->Middle(), Need - 10);
        // Expanded children count with their indentation.
        F.Ins->resize(600, F.Ins->height());
        F.Ins->SelectRow(rAddress);
        F.Ins->ToggleExpand();
        F.Ins->SelectRow(rAddress + 2);
        F.Ins->ToggleExpand();
        QCOMPARE(F.Ins->Middle(), std::max(Need, M.horizontalAdvance("Lat") + 20 + 20));
    }

    void splitFitsBeforeTheFirstShowing()
    {
        // Hosts assign the node before the window is shown.
        const QString Wide(40, QChar('W'));
        const std::string Schema = "<xsd:schema><xsd:element name=\"R\"><xsd:complexType><xsd:sequence>"
                                   "<xsd:element name=\"" + Wide.toStdString() + "\" type=\"xsd:string\"/>"
                                   "<xsd:element name=\"S\" type=\"xsd:string\"/>"
                                   "</xsd:sequence></xsd:complexType></xsd:element></xsd:schema>";
        std::unique_ptr<TXMLNode> S(new TXMLNode(Schema, false, nullptr));
        const std::string Object = "<R><" + Wide.toStdString() + "/><S/></R>";
        std::unique_ptr<TXMLNode> X(new TXMLNode(Object, false, nullptr));
        TNodescope Ins;
        Ins.resize(240, 200);
        QVERIFY(QFontMetrics(Ins.font()).horizontalAdvance(Wide) + 20 > 120);
        Ins.SetSchemaNode(S->Child(0));
        Ins.SetNode(X.get());
        QCOMPARE(Ins.RowCount(), 2);
        QCOMPARE(Ins.Middle(), 120);
        QCOMPARE(Ins.RowHeight(), 0);
        QCOMPARE(Ins.VisibleRowCount(), Ins.RowCount());
    }

    void splitFitsTheShownSize()
    {
        // quillpad assigns the node while the control still has its construction
        // size (200 wide); the split is fitted again once the window is shown.
        const QString Caption = "Company name and more";
        const std::string Schema = "<xsd:schema><xsd:element name=\"R\"><xsd:complexType><xsd:sequence>"
                                   "<xsd:element name=\"N\" type=\"xsd:string\"><xsd:annotation><xsd:documentation>" +
                                   Caption.toStdString() +
                                   "</xsd:documentation></xsd:annotation></xsd:element>"
                                   "</xsd:sequence></xsd:complexType></xsd:element></xsd:schema>";
        std::unique_ptr<TXMLNode> S(new TXMLNode(Schema, false, nullptr));
        std::unique_ptr<TXMLNode> X(new TXMLNode("<R><N>v</N></R>", false, nullptr));
        QWidget Host;
        auto* Layout = new QVBoxLayout(&Host);
        auto* Ins = new TNodescope;
        Layout->addWidget(Ins);
        const int Need = QFontMetrics(Ins->font()).horizontalAdvance(Caption) + 20;
        QVERIFY(Need > Ins->width() / 2);
        Ins->SetSchemaNode(S->Child(0));
        Ins->SetNode(X.get());
        QCOMPARE(Ins->Middle(), Ins->width() / 2);
        Host.resize(4 * Need, 300);
        Host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Host));
        QVERIFY(Ins->width() / 2 > Need);
        QCOMPARE(Ins->Middle(), Need);
        // Once shown, the split is the user's: a resize only re-clamps it.
        Ins->SetMiddle(Need + 40);
        Host.resize(4 * Need + 50, 300);
        QCoreApplication::processEvents();
        QCOMPARE(Ins->Middle(), Need + 40);
        Ins->SetNode(nullptr);
    }

    void noRowsPaintsBackgroundAndSplitAt32()
    {
        ScopeFixture F(ManyRowsSchema, "<Bare/>", "Bare");
        F.Ins->SetColor(0x00C0B0A0);
        QCOMPARE(F.Ins->RowCount(), 0);
        QCOMPARE(F.Ins->SelectedRow(), -1);
        QCOMPARE(F.Ins->Middle(), 32);
        QCOMPARE(Pixel(F.Ins.get(), 5, 5), Hex(QColor(0xA0, 0xB0, 0xC0)));
        QCOMPARE(Pixel(F.Ins.get(), 32, F.H()), Hex(QColor(0xA0, 0xB0, 0xC0)));
        QVERIFY(!F.Edit()->isVisible());
    }

    void editTextStandsWhereThePaintedValueStood()
    {
        // The value keeps its place when its row is selected: the edit's text, like
        // the painted value, starts 3 pixels right of the split.
        ScopeFixture F;
        F.Ins->SetColor(0x00E0D0C0);
        F.Ins->SelectRow(rNote);
        QCoreApplication::processEvents();
        const int H = F.H();
        const auto FirstInk = [&](int Row) {
            const QImage Image = F.Ins->viewport()->grab().toImage();
            for (int X = F.Ins->Middle() + 2; X < Image.width(); ++X)
                for (int Y = Row * H; Y < Row * H + H - 1; ++Y)
                    if (qGray(Image.pixel(X, Y)) < 110)
                        return X;
            return -1;
        };
        const int Painted = FirstInk(rName);
        F.Ins->SelectRow(rName);
        F.Edit()->deselect();
        QCoreApplication::processEvents();
        const int Edited = FirstInk(rName);
        QVERIFY(Painted > F.Ins->Middle() + 2);
        QCOMPARE(Edited, Painted);
    }

    void selectionBandGridAndBoxes()
    {
        ScopeFixture F;
        const TColor Face = 0x00E0D0C0;
        F.Ins->SetColor(Face);
        F.Ins->SelectRow(rCount);
        QCoreApplication::processEvents();
        const int H = F.H();
        const int X = F.Ins->Middle() - 2;
        const QColor Band(0xBB, 0xDD, 0xFF);
        const QColor Back(0xC0, 0xD0, 0xE0);
        const QColor Grid(0xC0 - 16, 0xD0 - 16, 0xE0 - 16);
        QCOMPARE(TNodescope::DarkenColor(Face), TColor(0x00D0C0B0));
        QCOMPARE(TNodescope::DarkenColor(0x00051020), TColor(0x00000010));
        QCOMPARE(Pixel(F.Ins.get(), X, rCount * H), Hex(Band));
        QCOMPARE(Pixel(F.Ins.get(), X, rCount * H + H - 2), Hex(Band));
        QCOMPARE(Pixel(F.Ins.get(), X, rName * H), Hex(Back));
        QCOMPARE(Pixel(F.Ins.get(), X, rName * H + H - 1), Hex(Grid));
        // Sunken edges two pixels above the band and on its last line.
        QCOMPARE(Pixel(F.Ins.get(), X, rCount * H - 2), Hex(F.Ins->palette().color(QPalette::Dark)));
        QCOMPARE(Pixel(F.Ins.get(), X, rCount * H + H - 1), Hex(F.Ins->palette().color(QPalette::Light)));
        // The split as an etched line.
        QCOMPARE(Pixel(F.Ins.get(), F.Ins->Middle(), rName * H + 2), Hex(F.Ins->palette().color(QPalette::Dark)));
        // The selected row's value cell is the edit's.
        QCOMPARE(F.Edit()->geometry(), QRect(QPoint(F.Ins->Middle() + 1, rCount * H),
                                              QPoint(F.Ins->ClientWidth() - 1, rCount * H + H - 2)));

        // Expand box of the collapsed Address: outline, minus and plus strokes.
        const QColor Ink = F.Ins->palette().color(QPalette::WindowText);
        const QColor Paper = QApplication::palette().color(QPalette::Base);
        const int Bx = 2, By = rAddress * H + (H - 9) / 2;
        QCOMPARE(Pixel(F.Ins.get(), Bx, By), Hex(Ink));
        QCOMPARE(Pixel(F.Ins.get(), Bx + 8, By + 8), Hex(Ink));
        QCOMPARE(Pixel(F.Ins.get(), Bx + 1, By + 1), Hex(Paper));
        QCOMPARE(Pixel(F.Ins.get(), Bx + 2, By + 4), Hex(Ink));
        QCOMPARE(Pixel(F.Ins.get(), Bx + 7, By + 4), Hex(Paper));
        QCOMPARE(Pixel(F.Ins.get(), Bx + 4, By + 2), Hex(Ink));
        F.Ins->SelectRow(rAddress);
        F.Ins->ToggleExpand();
        F.Ins->SelectRow(rName);
        QCoreApplication::processEvents();
        QCOMPARE(Pixel(F.Ins.get(), Bx + 4, By + 2), Hex(Paper));
        QCOMPARE(Pixel(F.Ins.get(), Bx + 4, By + 4), Hex(Ink));
        // A row without children leaves the box's place empty.
        QCOMPARE(Pixel(F.Ins.get(), Bx, rCount * H + (H - 9) / 2), Hex(Back));
    }

    void longValuesPaintOnlyWhatTheCellShows()
    {
        // A value of a megabyte is painted as the part the cell can show.
        ScopeFixture F;
        const std::string Long = std::string(1 << 20, 'w') + "end";
        F.Object->Child(rNote)->SetText(Long);
        TXMLPropEditor* Note = F.Ins->Rows(rNote)->Editor.get();
        const QRect Cell(0, 0, 300, F.H() - 1);
        TTextRecorder Device;
        {
            QPainter P(&Device);
            P.setFont(F.Ins->font());
            Note->DrawValue(&P, Cell, false);
        }
        QVERIFY(!Device.Recorded().Texts.isEmpty());
        QVERIFY(Device.Recorded().Longest > 0);
        QVERIFY(Device.Recorded().Longest <= Cell.width() + 1);
        QVERIFY(Device.Recorded().Texts.join(QString()).startsWith("www"));
        // The pixels are those of the whole value: the cell is full of it.
        auto Render = [&](const std::string& Value) {
            QImage Image(Cell.size(), QImage::Format_RGB32);
            Image.fill(Qt::white);
            QPainter P(&Image);
            P.setFont(F.Ins->font());
            P.setBrush(Qt::white);
            F.Object->Child(rNote)->SetText(Value);
            Note->DrawValue(&P, Cell, false);
            return Image;
        };
        QCOMPARE(Render(Long), Render(std::string(Cell.width(), 'w')));

        // The whole control, with the long row on screen and selected.
        F.Object->Child(rNote)->SetText(Long);
        F.Ins->viewport()->update();
        TTextRecorder Screen;
        F.Ins->viewport()->render(&Screen);
        QVERIFY(!Screen.Recorded().Texts.isEmpty());
        QVERIFY(Screen.Recorded().Longest <= F.Ins->ClientWidth() + 1);
        F.Ins->SelectRow(rNote);
        TTextRecorder Selected;
        F.Ins->render(&Selected);
        QVERIFY(Selected.Recorded().Longest <= 4096);

        // The hint lays out no more than a screen can show either.
        THintInfo Info;
        QVERIFY(F.Ins->GetValueHint(QPoint(F.Ins->Middle() + 10, rNote * F.H() + 2), Info));
        QVERIFY(Info.HintStr.size() < 10000);
        QVERIFY(Info.HintStr.startsWith("www"));
    }

    void captionsWithoutNewButtons()
    {
        ScopeFixture F;
        F.Ins->SelectRow(rAddress);
        F.Ins->ToggleExpand();
        QCOMPARE(QString::fromStdString(F.Ins->GetRowCaption(rName)), QString("  Name"));
        QCOMPARE(QString::fromStdString(F.Ins->GetRowCaption(rAddress)), QString("- Address"));
        QCOMPARE(QString::fromStdString(F.Ins->GetRowCaption(rAddress + 2)), QString("  +Geo"));
        QCOMPARE(QString::fromStdString(F.Ins->GetRowCaption(rAddress + 1)), QString("    Street"));
    }

    void onlyRowsInTheClipAreaArePainted()
    {
        ScopeFixture F;
        QList<int> Painted;
        F.Ins->OnDrawProperty = [&](TNodescope*, int Row, TXSDSchemaEditor* Editor, QFont&, TColor& Color) {
            QVERIFY(Editor);
            Painted << Row;
            if (Row == rName)
                Color = 0x000000FF;
        };
        F.Ins->SelectRow(rNote);
        QCoreApplication::processEvents();
        Painted.clear();
        const int H = F.H();
        F.Ins->viewport()->repaint(QRect(0, rSince * H + 1, 50, H - 2));
        QCOMPARE(Painted, QList<int>({rSince}));
        Painted.clear();
        F.Ins->viewport()->repaint();
        QCOMPARE(Painted.size(), std::min(F.Ins->RowCount(), F.Ins->ClientHeight() / H + 1));
        // The handler's background is used.
        QCOMPARE(Pixel(F.Ins.get(), F.Ins->Middle() - 2, 0), Hex(QColor(0xFF, 0, 0)));
    }

    void paintingErrorLeavesTheRestInTheBackground()
    {
        ScopeFixture F;
        TMessageRecorder Boxes;
        const QColor Back(0xA0, 0xB0, 0xC0);
        F.Ins->SetColor(0x00C0B0A0);
        F.Ins->SelectRow(rName);
        F.Ins->OnDrawProperty = [&](TNodescope*, int Row, TXSDSchemaEditor*, QFont&, TColor&) {
            if (Row == rCount)
                throw Exception("row cannot be drawn");
        };
        const QImage Image = F.Ins->viewport()->grab().toImage();
        const int H = F.H();
        // The rows before the failing one are painted; from it on, the background.
        QCOMPARE(QColor(Image.pixel(F.Ins->Middle() - 2, rSince * H + H - 1)),
                 ColorToQColor(TNodescope::DarkenColor(0x00C0B0A0)));
        for (int Row : {int(rCount), int(rRate), int(rNote)})
            for (int X : {2, F.Ins->Middle() + 20, F.Ins->ClientWidth() - 2})
                QCOMPARE(QColor(Image.pixel(X, Row * H + H / 2)), Back);
        QCOMPARE(QColor(Image.pixel(10, Image.height() - 2)), Back);
        // The error is shown once, not at every repaint.
        F.Ins->viewport()->grab();
        QCOMPARE(int(Boxes.Requests.size()), 1);
        F.Ins->OnDrawProperty = nullptr;
    }

    void scrollBarFollowsRowsAndThumb()
    {
        const std::string Object = ManyRowsObject();
        ScopeFixture F(ManyRowsSchema, Object.c_str(), "R");
        F.SetVisibleRows(10);
        F.Ins->SelectRow(0);
        F.Ins->ToggleExpand();
        QCOMPARE(F.Ins->RowCount(), 30);
        QScrollBar* Bar = F.Ins->verticalScrollBar();
        QVERIFY(Bar->isVisible());
        QCOMPARE(Bar->maximum(), 20);
        QCOMPARE(Bar->pageStep(), 10);
        Bar->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(F.Ins->TopRow(), 20);
        QCOMPARE(F.Ins->SelectedRow(), 0);  // scrolling moves the view only
        QVERIFY(!F.Edit()->isVisible() || F.Edit()->y() < 0);
        F.Ins->ToggleExpand();
        QCOMPARE(F.Ins->RowCount(), 12);
        QCOMPARE(F.Ins->TopRow(), 2);
        F.Ins->DoScroll(6);
        QCOMPARE(F.Ins->TopRow(), 0);
        F.Ins->DoScroll(1);
        QCOMPARE(F.Ins->TopRow(), 1);
        F.Ins->DoScroll(7);
        QCOMPARE(F.Ins->TopRow(), 2);
        F.Ins->SetScrollBarStyle(ssHotTrack);
        QCOMPARE(F.Ins->ScrollBarStyle(), int(ssHotTrack));
        QVERIFY(!Bar->styleSheet().isEmpty());
        F.SetVisibleRows(12);
        QCOMPARE(F.Ins->TopRow(), 0);
        QCOMPARE(Bar->maximum(), 0);
    }

    void integralHeightSnapsToWholeRows()
    {
        ScopeFixture F;
        const int H = F.H(), Frame = F.Frame();
        F.Ins->SetIntegralHeight(true);
        QCOMPARE(F.Ins->IntegralHeightFor(Frame + 6 * H), Frame + 6 * H);
        QCOMPARE(F.Ins->IntegralHeightFor(Frame + 6 * H + H - 1), Frame + 6 * H);
        F.Ins->resize(F.Ins->width(), Frame + 6 * H + H / 2);
        QCoreApplication::processEvents();
        QCOMPARE(F.Ins->height(), Frame + 6 * H);
        QCOMPARE(F.Ins->ClientHeight() % H, 0);
        F.Ins->SetIntegralHeight(false);
        QCOMPARE(F.Ins->IntegralHeightFor(Frame + 6 * H + 3), Frame + 6 * H + 3);
    }

    void valueHints()
    {
        ScopeFixture F;
        THintInfo Info;
        int Hints = 0;
        F.Ins->OnHint = [&](TNodescope*, TXMLPropEditor* Prop, THintInfo* Hint) {
            ++Hints;
            QCOMPARE(QString::fromStdString(Prop->GetName()), QString("Note"));
            QVERIFY(!Hint->HintStr.isEmpty());
        };
        const int H = F.H();
        const QPoint InNote(F.Ins->Middle() + 10, rNote * H + 2);
        QVERIFY(!F.Ins->GetValueHint(InNote, Info));  // "n" fits
        QVERIFY(!F.Ins->GetValueHint(QPoint(F.Ins->Middle() - 5, rNote * H + 2), Info));
        const std::string Long(200, 'w');
        F.Object->Child(rNote)->SetText(Long);
        QVERIFY(F.Ins->GetValueHint(InNote, Info));
        QCOMPARE(Info.HintStr, QString::fromStdString(Long));
        const QRect Cell = F.Ins->ValueRect(rNote);
        QCOMPARE(Info.CursorRect, Cell.adjusted(0, 0, 0, 1));
        QCOMPARE(Info.HintPos, F.Ins->viewport()->mapToGlobal(QPoint(Cell.left() - 1, Cell.top() - 2)));
        // The tooltip event shows the whole value over the cell: the hint window's
        // corner is the hint position, not below the pointer.
        QHelpEvent Help(QEvent::ToolTip, InNote, F.Ins->viewport()->mapToGlobal(InNote));
        QApplication::sendEvent(F.Ins->viewport(), &Help);
        QCOMPARE(HintWindows().size(), 1);
        QWidget* Hint = HintWindows().first();
        QCOMPARE(Hint->geometry().topLeft(), Info.HintPos);
        QVERIFY(Hint->geometry().contains(F.Ins->viewport()->mapToGlobal(InNote)));
        QVERIFY(Hint->height() < 2 * H);
        auto* Label = qobject_cast<QLabel*>(Hint);
        QVERIFY(Label);
        QCOMPARE(Label->text(), QString::fromStdString(Long));
        // The window laid over the pointer makes the platform report a leave;
        // the pointer is still in the cell, so the hint stays.
        QCursor::setPos(F.Ins->viewport()->mapToGlobal(InNote));
        QCOMPARE(QCursor::pos(), F.Ins->viewport()->mapToGlobal(InNote));
        QEvent Leave(QEvent::Leave);
        QApplication::sendEvent(F.Ins->viewport(), &Leave);
        QCOMPARE(HintWindows().size(), 1);
        // Leaving the cell hides it.
        QMouseEvent Move(QEvent::MouseMove, QPointF(InNote.x(), (rNote - 1) * H + 2),
                         F.Ins->viewport()->mapToGlobal(QPointF(InNote.x(), (rNote - 1) * H + 2)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(F.Ins->viewport(), &Move);
        QVERIFY(HintWindows().isEmpty());
        F.Object->Child(rNote)->SetText("a\nb");
        QVERIFY(F.Ins->GetValueHint(InNote, Info));
        QCOMPARE(Hints, 3);
        // A value that looks like markup is shown as it is.
        F.Object->Child(rNote)->SetText("<b>" + std::string(100, 'w') + "</b>");
        QApplication::sendEvent(F.Ins->viewport(), &Help);
        QCOMPARE(qobject_cast<QLabel*>(HintWindows().value(0))->textFormat(), Qt::PlainText);
        F.Ins->HideHint();

        // A complex row whose summary does not fit shows it in a hint.
        F.Ins->OnHint = nullptr;
        const int W = QFontMetrics(F.Ins->font()).horizontalAdvance("(Main, (48.3), Linz)");
        F.Ins->resize(F.Ins->width() - F.Ins->ClientWidth() + F.Ins->Middle() + W / 2, F.Ins->height());
        QCoreApplication::processEvents();
        const QPoint InAddress(F.Ins->Middle() + 10, rAddress * H + 2);
        QVERIFY(F.Ins->GetValueHint(InAddress, Info));
        QCOMPARE(Info.HintStr, QString("(Main, (48.3), Linz)"));
        QHelpEvent OnAddress(QEvent::ToolTip, InAddress, F.Ins->viewport()->mapToGlobal(InAddress));
        QApplication::sendEvent(F.Ins->viewport(), &OnAddress);
        QCOMPARE(HintWindows().size(), 1);
        QCOMPARE(qobject_cast<QLabel*>(HintWindows().first())->text(), QString("(Main, (48.3), Linz)"));
        QCOMPARE(HintWindows().first()->geometry().topLeft(), Info.HintPos);
        F.Ins->HideHint();
        // Below the last row there is no hint.
        QVERIFY(!F.Ins->GetValueHint(QPoint(F.Ins->Middle() + 10, F.Ins->RowCount() * H + 2), Info));
    }
};

QTEST_MAIN(PaintTest)
#include "paint_test.moc"
