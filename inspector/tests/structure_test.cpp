// Adding and removing elements through the inspector: the option that is off by
// default, the context menu of a row, the Insert and Delete keys, the refusal of a
// required element, the rows and expansion after a change, and the count of empty
// required rows that reads without changing the object.
#include "inspector/tests/scopefixture.h"

#include <QContextMenuEvent>
#include <QMenu>

namespace {

const char* const OrderSchema = R"(<xsd:schema xmlns:xsd="http://www.w3.org/2001/XMLSchema">
<xsd:element name="Order"><xsd:complexType><xsd:sequence>
 <xsd:element name="Number" type="xsd:string" nillable="false"/>
 <xsd:element name="Note" type="xsd:string" minOccurs="0"/>
 <xsd:element name="Customer"><xsd:complexType><xsd:sequence>
  <xsd:element name="Name" type="xsd:string" nillable="false"/>
 </xsd:sequence></xsd:complexType></xsd:element>
 <xsd:element name="Line" minOccurs="0" maxOccurs="2">
  <xsd:annotation><xsd:documentation>Order line</xsd:documentation></xsd:annotation>
  <xsd:complexType><xsd:sequence>
  <xsd:element name="Part" type="xsd:string" nillable="false"/>
  <xsd:element name="Qty" type="xsd:integer" minOccurs="0"/>
 </xsd:sequence></xsd:complexType></xsd:element>
 <xsd:element name="Paid" type="xsd:boolean" minOccurs="0"/>
</xsd:sequence><xsd:attribute name="Id" type="xsd:string" use="required"/></xsd:complexType></xsd:element>
</xsd:schema>)";

const char* const OrderObject =
    "<Order Id=\"A1\"><Number>7</Number><Customer><Name>Ann</Name></Customer><Line><Part>p1</Part></Line></Order>";

QString Names(TXMLNode* E)
{
    QStringList Result;
    for (TXMLNode* C : *E->Children)
        Result << QString::fromStdString(C->Name);
    return Result.join(",");
}

int RowNamed(TNodescope* Ins, const QString& Caption, int From = 0)
{
    for (int I = From; I < Ins->RowCount(); ++I)
        if (QString::fromStdString(Ins->Rows(I)->Editor->GetName()) == Caption)
            return I;
    return -1;
}

// The action whose text (without mnemonics and shortcut) is Text, in Menu or a submenu.
QAction* Find(QMenu* Menu, const QString& Text)
{
    if (!Menu)
        return nullptr;
    for (QAction* A : Menu->actions()) {
        const QString Shown = A->text().split('\t').first().replace("&&", "&");
        if (Shown == Text)
            return A;
        if (QAction* Inner = Find(A->menu(), Text))
            return Inner;
    }
    return nullptr;
}

QStringList Items(QAction* Sub)
{
    QStringList Result;
    if (Sub && Sub->menu())
        for (QAction* A : Sub->menu()->actions())
            Result << A->text().replace("&&", "&");
    return Result;
}

struct OrderScope : ScopeFixture {
    int Changes = 0;
    OrderScope() : ScopeFixture(OrderSchema, OrderObject, "Order")
    {
        Ins->SetAllowStructureEdits(true);
        Ins->OnStructureChange = [this](QObject*) { ++Changes; };
    }

    // A right click on the caption of Row (-1: below the rows) opens its menu.
    QMenu* RightClick(int Row)
    {
        const QPoint Pos = Row >= 0 ? RowPoint(Row, 20) : QPoint(20, Ins->viewport()->height() - 2);
        QContextMenuEvent Event(QContextMenuEvent::Mouse, Pos, Ins->viewport()->mapToGlobal(Pos));
        QApplication::sendEvent(Ins->viewport(), &Event);
        return Ins->StructureMenu();
    }
};

} // namespace

class StructureTest : public QObject {
    Q_OBJECT
private slots:
    void offByDefaultNothingChanges()
    {
        TNodescope Plain;
        QVERIFY(!Plain.AllowStructureEdits());
        QVERIFY(!Plain.property("AllowStructureEdits").toBool());

        OrderScope S;
        S.Ins->SetAllowStructureEdits(false);
        const std::string Before = S.Object->GetXml();
        S.Select(RowNamed(S.Ins.get(), "Order line"));
        QTest::keyClick(S.Edit(), Qt::Key_Delete);
        QTest::keyClick(S.Edit(), Qt::Key_Insert);
        QVERIFY(S.RightClick(0) == nullptr);
        QCOMPARE(S.Object->GetXml(), Before);
        QCOMPARE(S.Changes, 0);
        QVERIFY(S.Closing.Requests.empty());
    }

    void addOffersWhatTheSchemaAllows()
    {
        OrderScope S;
        QMenu* Menu = S.RightClick(RowNamed(S.Ins.get(), "Number"));
        QVERIFY(Menu && Menu->isVisible());
        QCOMPARE(S.Ins->SelectedRow(), RowNamed(S.Ins.get(), "Number"));
        // Number and Customer are full, Line may occur once more.
        QAction* Add = Find(Menu, "Add to \"Order\"");
        QVERIFY(Add && Add->isEnabled());
        QCOMPARE(Items(Add), QStringList({"Note", "Order line", "Paid"}));
        QVERIFY(Find(Menu, "Remove \"Number\"")->isEnabled());

        // A real popup has the focus while it is open and does not give it back.
        S.Edit()->clearFocus();
        Find(Menu, "Note")->trigger();
        QCOMPARE(Names(S.Object.get()), QString("Number,Note,Customer,Line"));
        const int Note = RowNamed(S.Ins.get(), "Note");
        QCOMPARE(Note, RowNamed(S.Ins.get(), "Number") + 1);
        QCOMPARE(S.Ins->SelectedRow(), Note);
        // The new value is typed next.
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(S.Edit()));
        QCOMPARE(S.Changes, 1);
        QVERIFY(S.Closing.Requests.empty());
    }

    void repeatedElementUpToItsMaximum()
    {
        OrderScope S;
        // An expanded row stays expanded through the change.
        const int Line = RowNamed(S.Ins.get(), "Order line");
        S.Select(Line);
        S.Ins->ToggleExpand();
        QCOMPARE(S.Ins->Rows(Line + 1)->Level, 1);

        QMenu* Menu = S.RightClick(RowNamed(S.Ins.get(), "Number"));
        Find(Menu, "Order line")->trigger();
        QCOMPARE(Names(S.Object.get()), QString("Number,Customer,Line,Line"));
        // The new line holds its required part.
        QCOMPARE(QString::fromStdString(S.Object->Child(3)->GetXml()), QString("<Line><Part/></Line>"));
        const int First = RowNamed(S.Ins.get(), "Order line");
        QVERIFY(S.Ins->Rows(First)->Expanded);
        QCOMPARE(QString::fromStdString(S.Ins->GetRowValue(First + 1)), QString("p1"));
        const int Second = RowNamed(S.Ins.get(), "Order line", First + 1);
        QCOMPARE(S.Ins->SelectedRow(), Second);
        // The summary follows: the new line shows its empty part.
        QCOMPARE(QString::fromStdString(S.Ins->GetRowValue(Second)), QString("()"));

        // At maxOccurs it is offered no more.
        Menu = S.RightClick(RowNamed(S.Ins.get(), "Number"));
        QVERIFY(Find(Menu, "Order line") == nullptr);
        QCOMPARE(Items(Find(Menu, "Add to \"Order\"")), QStringList({"Note", "Paid"}));
        QCOMPARE(S.Changes, 1);
    }

    void addIntoARowExpandsIt()
    {
        OrderScope S;
        const int Line = RowNamed(S.Ins.get(), "Order line");
        QMenu* Menu = S.RightClick(Line);
        QCOMPARE(Items(Find(Menu, "Add to \"Order line\"")), QStringList({"Qty"}));
        Find(Menu, "Qty")->trigger();
        QCOMPARE(QString::fromStdString(S.Object->Child(2)->GetXml()), QString("<Line><Part>p1</Part><Qty/></Line>"));
        QVERIFY(S.Ins->Rows(Line)->Expanded);
        QCOMPARE(S.Caption(S.Ins->SelectedRow()), QString("Qty"));
        QCOMPARE(S.Ins->Rows(S.Ins->SelectedRow())->Level, 1);
        // Below the rows the menu is about the object itself.
        Menu = S.RightClick(-1);
        QVERIFY(Find(Menu, "Add to \"Order\""));
        QVERIFY(Find(Menu, "Add to \"Order line\"") == nullptr);
        QVERIFY(Find(Menu, "Remove") == nullptr);
    }

    void deleteRemovesWhatMayGo()
    {
        OrderScope S;
        TMessageRecorder Boxes({mrNo, mrYes});
        TXMLNode* Paid = S.Ins->SchemaNode()->FindChildByAttribute("name", "Paid");
        QVERIFY(!Paid);  // declared deeper, in the sequence
        Paid = S.Ins->SchemaNode()->Child(0)->Child(0)->FindChildByAttribute("name", "Paid");
        QVERIFY(S.Ins->AddElement(S.Object.get(), S.Ins->SchemaNode(), Paid));
        QCOMPARE(Names(S.Object.get()), QString("Number,Customer,Line,Paid"));
        // A yes/no value cannot be typed into: Delete removes it at once.
        S.Select(RowNamed(S.Ins.get(), "Paid"));
        QTest::keyClick(S.Edit(), Qt::Key_Delete);
        QCOMPARE(Names(S.Object.get()), QString("Number,Customer,Line"));
        QVERIFY(Boxes.Requests.empty());

        // An element holding elements goes only when the user says so.
        const int Line = RowNamed(S.Ins.get(), "Order line");
        S.Select(Line);
        QTest::keyClick(S.Edit(), Qt::Key_Delete);
        QCOMPARE(Names(S.Object.get()), QString("Number,Customer,Line"));
        QTest::keyClick(S.Edit(), Qt::Key_Delete);
        QCOMPARE(Names(S.Object.get()), QString("Number,Customer"));
        QCOMPARE(Boxes.Texts(), QStringList({"Remove \"Order line\" (Line) and everything in it?",
                                             "Remove \"Order line\" (Line) and everything in it?"}));
        QCOMPARE(Boxes.Requests[0].Type, mtConfirmation);
        QVERIFY(RowNamed(S.Ins.get(), "Order line") < 0);
        QCOMPARE(S.Ins->SelectedRow(), std::min(Line, S.Ins->RowCount() - 1));
        QCOMPARE(S.Changes, 3);

        // In a value that can be typed, Delete still deletes text.
        S.Select(RowNamed(S.Ins.get(), "Number"));
        QTest::keyClick(S.Edit(), Qt::Key_Delete);
        QCOMPARE(S.Edit()->text(), QString());
        QCOMPARE(Names(S.Object.get()), QString("Number,Customer"));
    }

    void requiredElementIsRefusedByName()
    {
        OrderScope S;
        TMessageRecorder Boxes;
        const std::string Before = S.Object->GetXml();
        S.Select(RowNamed(S.Ins.get(), "Customer"));
        QTest::keyClick(S.Edit(), Qt::Key_Delete);
        QMenu* Menu = S.RightClick(RowNamed(S.Ins.get(), "Number"));
        Find(Menu, "Remove \"Number\"")->trigger();
        QCOMPARE(S.Object->GetXml(), Before);
        QCOMPARE(Boxes.Texts(), QStringList({"\"Customer\" is required and cannot be removed.",
                                             "\"Number\" is required and cannot be removed."}));
        QCOMPARE(Boxes.Requests[0].Type, mtWarning);
        QCOMPARE(S.Changes, 0);
        // An attribute row has nothing to remove.
        Menu = S.RightClick(RowNamed(S.Ins.get(), "Id"));
        QVERIFY(Find(Menu, "Remove") && !Find(Menu, "Remove")->isEnabled());
    }

    void insertOpensTheMenuAndPendingTypingIsKept()
    {
        OrderScope S;
        S.Select(RowNamed(S.Ins.get(), "Number"));
        S.Edit()->selectAll();
        S.Type("42");
        QTest::keyClick(S.Edit(), Qt::Key_Insert);
        QMenu* Menu = S.Ins->StructureMenu();
        QVERIFY(Menu && Menu->isVisible());
        QVERIFY(Menu->activeAction() && Menu->activeAction()->menu());
        Find(Menu, "Note")->trigger();
        QCOMPARE(QString::fromStdString(S.Object->Child(0)->GetText()), QString("42"));
        QCOMPARE(Names(S.Object.get()), QString("Number,Note,Customer,Line"));
        // Removing another row keeps the typing pending in this one.
        S.Select(RowNamed(S.Ins.get(), "Number"));
        S.Edit()->selectAll();
        S.Type("43");
        QVERIFY(S.Ins->RemoveRow(RowNamed(S.Ins.get(), "Note")));
        QCOMPARE(QString::fromStdString(S.Object->Child(0)->GetText()), QString("43"));
        QCOMPARE(Names(S.Object.get()), QString("Number,Customer,Line"));
        // A new object drops the menu, whose items name the old one's elements.
        Menu = S.RightClick(0);
        QPointer<QMenu> Old = Menu;
        std::unique_ptr<TXMLNode> Other(new TXMLNode("<Order><Number>1</Number><Customer><Name/></Customer></Order>", false, nullptr));
        S.Ins->SetNode(Other.get());
        QVERIFY(S.Ins->StructureMenu() == nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(Old.isNull());
        S.Ins->SetNode(S.Object.get());
    }

    void readOnlyOffersNothing()
    {
        OrderScope S;
        S.Ins->SetReadOnly(true);
        const std::string Before = S.Object->GetXml();
        QMenu* Menu = S.RightClick(RowNamed(S.Ins.get(), "Order line"));
        QVERIFY(!Find(Menu, "Add to \"Order\"")->isEnabled());
        QVERIFY(!Find(Menu, "Remove \"Order line\"")->isEnabled());
        S.Ins->KeyDown(Qt::Key_Delete, Qt::NoModifier);
        QCOMPARE(S.Object->GetXml(), Before);
    }

    void requiredEmptyCountReadsOnly()
    {
        // Empty: the Id attribute, Number, and the part of the second line. The first
        // line lacks its part, which its summary or its expansion would create. The
        // control is not shown, so nothing has painted a summary yet.
        std::unique_ptr<TXMLNode> Schema(new TXMLNode(OrderSchema, false, nullptr));
        std::unique_ptr<TXMLNode> Object(new TXMLNode(
            "<Order><Number/><Customer><Name>Ann</Name></Customer><Line><Qty>1</Qty></Line><Line><Part/></Line></Order>",
            false, nullptr));
        TNodescope Ins;
        Ins.SetSchemaNode(Schema->FindChildByAttribute("name", "Order"));
        Ins.SetNode(Object.get());
        const std::string Before = Object->GetXml();
        QCOMPARE(Ins.RequiredEmptyCount(), 3);
        QCOMPARE(Object->GetXml(), Before);
        Ins.SetRowValue(RowNamed(&Ins, "Number"), "8");
        QCOMPARE(Ins.RequiredEmptyCount(), 2);
        // The first line's summary creates its part: one more empty required row.
        QCOMPARE(QString::fromStdString(Ins.GetRowValue(RowNamed(&Ins, "Order line"))), QString("(1)"));
        QCOMPARE(Ins.RequiredEmptyCount(), 3);
        Ins.SetNode(nullptr);
        QCOMPARE(Ins.RequiredEmptyCount(), 0);
    }
};

QTEST_MAIN(StructureTest)
#include "structure_test.moc"
