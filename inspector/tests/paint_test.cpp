// The inspector's presentation: split clamping and fitting, painted colours of the
// selection band, grid lines and expand boxes, captions without new buttons, the
// scroll bar range and thumb, IntegralHeight, value hints, and partial repaints.
#include "scopefixture.h"

#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>

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
        for (int I = 0; I < F.Ins->FRowCount; ++I)
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
        Ins.SchemaNode = S->Child(0);
        Ins.SetNode(X.get());
        QCOMPARE(Ins.FRowCount, 2);
        QCOMPARE(Ins.Middle(), 120);
        QCOMPARE(Ins.FRowHeight, 0);
        QCOMPARE(Ins.VisibleRowCount(), Ins.FRowCount);
    }

    void noRowsPaintsBackgroundAndSplitAt32()
    {
        ScopeFixture F(ManyRowsSchema, "<Bare/>", "Bare");
        F.Ins->SetColor(0x00C0B0A0);
        QCOMPARE(F.Ins->FRowCount, 0);
        QCOMPARE(F.Ins->FRow, -1);
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
        QCOMPARE(Painted.size(), std::min(F.Ins->FRowCount, F.Ins->ClientHeight() / H + 1));
        // The handler's background is used.
        QCOMPARE(Pixel(F.Ins.get(), F.Ins->Middle() - 2, 0), Hex(QColor(0xFF, 0, 0)));
    }

    void scrollBarFollowsRowsAndThumb()
    {
        const std::string Object = ManyRowsObject();
        ScopeFixture F(ManyRowsSchema, Object.c_str(), "R");
        F.SetVisibleRows(10);
        F.Ins->SelectRow(0);
        F.Ins->ToggleExpand();
        QCOMPARE(F.Ins->FRowCount, 30);
        QScrollBar* Bar = F.Ins->verticalScrollBar();
        QVERIFY(Bar->isVisible());
        QCOMPARE(Bar->maximum(), 20);
        QCOMPARE(Bar->pageStep(), 10);
        Bar->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(F.Ins->FTopRow, 20);
        QCOMPARE(F.Ins->FRow, 0);  // scrolling moves the view only
        QVERIFY(!F.Edit()->isVisible() || F.Edit()->y() < 0);
        F.Ins->ToggleExpand();
        QCOMPARE(F.Ins->FRowCount, 12);
        QCOMPARE(F.Ins->FTopRow, 2);
        F.Ins->DoScroll(6);
        QCOMPARE(F.Ins->FTopRow, 0);
        F.Ins->DoScroll(1);
        QCOMPARE(F.Ins->FTopRow, 1);
        F.Ins->DoScroll(7);
        QCOMPARE(F.Ins->FTopRow, 2);
        F.Ins->SetScrollBarStyle(ssHotTrack);
        QCOMPARE(F.Ins->ScrollBarStyle(), int(ssHotTrack));
        QVERIFY(!Bar->styleSheet().isEmpty());
        F.SetVisibleRows(12);
        QCOMPARE(F.Ins->FTopRow, 0);
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
        // The tooltip event shows the whole value over the cell.
        QHelpEvent Help(QEvent::ToolTip, InNote, F.Ins->viewport()->mapToGlobal(InNote));
        QApplication::sendEvent(F.Ins->viewport(), &Help);
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QString::fromStdString(Long));
        QToolTip::hideText();
        F.Object->Child(rNote)->SetText("a\nb");
        QVERIFY(F.Ins->GetValueHint(InNote, Info));
        QCOMPARE(Hints, 3);
        // Below the last row there is no hint.
        QVERIFY(!F.Ins->GetValueHint(QPoint(F.Ins->Middle() + 10, F.Ins->FRowCount * H + 2), Info));
    }
};

QTEST_MAIN(PaintTest)
#include "paint_test.moc"
