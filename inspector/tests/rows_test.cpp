// Row generation from declarations, the creation and placement of missing required
// elements, the row list's lookups and path expansion, and the inspector's row flow.
#include "platform/core/exceptions.h"
#include "inspector/nodescope.h"

#include "inspector/tests/schemadoc.h"
#include "inspector/tests/scopeaccess.h"

#include <QtTest>

#include <memory>

namespace {

QString Str(const std::string& S)
{
    return QString::fromStdString(S);
}

struct Rows {
    std::vector<std::unique_ptr<TXMLPropEditor>> Editors;

    QStringList Names() const
    {
        QStringList Result;
        for (auto& E : Editors)
            Result << Str(E->GetName());
        return Result;
    }
    TXMLNode* NodeOf(int I) const { return static_cast<TXMLNodeEditor*>(Editors[I].get())->FNode; }
};

Rows Generate(TXMLNode* Declaration, TXMLNode* Element, TNodescope* Inspector = nullptr)
{
    Rows Result;
    int Position = 0;
    EnumSchemaRows(
        Declaration, Element, Position, Inspector,
        [&Result](void*, TXMLPropEditor* E) { Result.Editors.emplace_back(E); }, nullptr);
    return Result;
}

// Child names of an element, text children shown as "#".
QString Children(TXMLNode* E)
{
    QStringList Names;
    for (TXMLNode* C : *E->Children)
        Names << (C->Kind == nkElement ? Str(C->Name) : QString("#"));
    return Names.join(",");
}

QString ErrorOf(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const Exception& E) {
        return Str(E.Message);
    }
    return "no error";
}

const char* const OptionalUnbounded =
    "<xsd:element name=\"R\"><xsd:complexType><xsd:sequence>"
    "<xsd:element name=\"A\" minOccurs=\"0\" type=\"xsd:string\"/>"
    "<xsd:element name=\"B\" type=\"xsd:string\" default=\"b0\"/>"
    "<xsd:element name=\"C\" maxOccurs=\"unbounded\" type=\"xsd:string\"/>"
    "</xsd:sequence></xsd:complexType></xsd:element>";

const char* const Customer =
    "<xsd:element name=\"Customer\"><xsd:complexType><xsd:sequence>"
    "<xsd:element name=\"Name\" type=\"xsd:string\"/>"
    "<xsd:element name=\"Address\"><xsd:complexType><xsd:sequence>"
    "<xsd:element name=\"Street\" type=\"xsd:string\"/>"
    "<xsd:element name=\"Geo\"><xsd:complexType><xsd:sequence>"
    "<xsd:element name=\"Lat\" type=\"xsd:float\"/></xsd:sequence></xsd:complexType></xsd:element>"
    "<xsd:element name=\"City\" type=\"xsd:string\"/>"
    "</xsd:sequence></xsd:complexType></xsd:element>"
    "<xsd:element name=\"Vip\" type=\"xsd:boolean\"/>"
    "</xsd:sequence></xsd:complexType></xsd:element>";

} // namespace

class RowsTest : public QObject {
    Q_OBJECT
private slots:
    void sequenceWithOptionalUnboundedAndMissing()
    {
        Doc S = Schema("xsd:", OptionalUnbounded);
        TXMLNode* R = S->Child(0);

        Doc X1 = Xml("<R><B/><C>1</C><C>2</C><C>3</C></R>");
        Rows Rows1 = Generate(R, X1.get());
        QCOMPARE(Rows1.Names(), QStringList({"B", "C", "C", "C"}));
        QCOMPARE(Str(Rows1.Editors[3]->GetValue()), QString("3"));
        QCOMPARE(Children(X1.get()), QString("B,C,C,C"));

        // The second A stops B and C; both are created behind it.
        Doc X2 = Xml("<R><A/><A/></R>");
        QCOMPARE(Generate(R, X2.get()).Names(), QStringList({"A"}));
        QCOMPARE(Str(X2->GetXml()), QString("<R><A/><A/><B/><C/></R>"));
        // Building again finds B and C present and adds nothing more.
        QCOMPARE(Generate(R, X2.get()).Names(), QStringList({"A"}));
        QCOMPARE(Str(X2->GetXml()), QString("<R><A/><A/><B/><C/></R>"));

        Doc X3 = Xml("<R/>");
        QCOMPARE(Generate(R, X3.get()).Names(), QStringList());
        QCOMPARE(Str(X3->GetXml()), QString("<R/>"));
    }

    void requiredElementsTakeTheirSchemaPlace()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"R\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element name=\"B\" type=\"xsd:string\"/><xsd:element name=\"C\" type=\"xsd:string\"/>"
                               "</xsd:sequence></xsd:complexType></xsd:element>");
        TXMLNode* R = S->Child(0);
        Doc OnlyC = Xml("<R><C>c</C></R>");
        Rows Rows1 = Generate(R, OnlyC.get());
        QCOMPARE(Rows1.Names(), QStringList({"B", "C"}));
        QCOMPARE(Children(OnlyC.get()), QString("B,C"));
        QVERIFY(OnlyC->Child(0)->Parent == OnlyC.get());
        QVERIFY(Rows1.NodeOf(0) == OnlyC->Child(0));

        Doc OnlyB = Xml("<R><B/></R>");
        QCOMPARE(Generate(R, OnlyB.get()).Names(), QStringList({"B"}));
        QCOMPARE(Children(OnlyB.get()), QString("B"));

        Doc Swapped = Xml("<R><C>c</C><B>b</B></R>");
        Rows Rows2 = Generate(R, Swapped.get());
        QCOMPARE(Rows2.Names(), QStringList({"B", "C"}));
        QCOMPARE(Str(Swapped->GetXml()), QString("<R><B/><C>c</C><B>b</B></R>"));
        QCOMPARE(Str(Rows2.Editors[1]->GetValue()), QString("c"));

        // The public insertion refuses a declaration that is full.
        Doc Full = Xml("<R><B/><C/></R>");
        Doc Extra = Xml("<B/>");
        QVERIFY(!InsertBySchema(R, Full.get(), Extra.get()));
        QCOMPARE(Children(Full.get()), QString("B,C"));
        TXMLNode* MoreC = TXMLNode::CreateNode("C", nkElement, nullptr, "");
        Doc Unbounded = Schema("xsd:", "<xsd:complexType name=\"T\"><xsd:sequence><xsd:element name=\"B\"/>"
                                       "<xsd:element name=\"C\" maxOccurs=\"2\"/></xsd:sequence></xsd:complexType>");
        QVERIFY(InsertBySchema(Unbounded->Child(0), Full.get(), MoreC));
        QCOMPARE(Children(Full.get()), QString("B,C,C"));
        QVERIFY(MoreC->Parent == Full.get());
    }

    void nestedSequencesChoicesAndMaxOccurs()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"N\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element name=\"A\"/><xsd:sequence><xsd:element name=\"B\"/>"
                               "<xsd:element name=\"C\"/></xsd:sequence></xsd:sequence></xsd:complexType></xsd:element>"
                               "<xsd:element name=\"Ch\"><xsd:complexType><xsd:choice>"
                               "<xsd:element name=\"X\"/><xsd:element name=\"Y\"/></xsd:choice></xsd:complexType></xsd:element>"
                               "<xsd:element name=\"M\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element name=\"P\" maxOccurs=\"2\"/></xsd:sequence></xsd:complexType></xsd:element>");
        Doc Nested = Xml("<N><A/><C>old</C></N>");
        Rows Rows1 = Generate(S->Child(0), Nested.get());
        QCOMPARE(Rows1.Names(), QStringList({"A", "C"}));
        QCOMPARE(Str(Nested->GetXml()), QString("<N><B/><C/><A/><C>old</C></N>"));
        QVERIFY(Rows1.NodeOf(1) == Nested->Child(1));

        Doc TakenY = Xml("<Ch><Y>y</Y></Ch>");
        QCOMPARE(Generate(S->Child(1), TakenY.get()).Names(), QStringList({"Y"}));
        QCOMPARE(Children(TakenY.get()), QString("Y"));
        Doc EmptyChoice = Xml("<Ch/>");
        QCOMPARE(Generate(S->Child(1), EmptyChoice.get()).Names(), QStringList());
        QCOMPARE(EmptyChoice->ChildCount(), 0);

        Doc Three = Xml("<M><P>1</P><P>2</P><P>3</P></M>");
        Rows Rows2 = Generate(S->Child(2), Three.get());
        QCOMPARE(Rows2.Names(), QStringList({"P", "P"}));
        QVERIFY(Rows2.NodeOf(1) == Three->Child(1));
        QCOMPARE(Three->ChildCount(), 3);
    }

    void attributesFilterAndOccurrenceErrors()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"E\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element name=\"K\" maxOccurs=\"unbounded\"/></xsd:sequence>"
                               "<xsd:attribute name=\"present\"/><xsd:attribute name=\"absent\"/>"
                               "</xsd:complexType></xsd:element>"
                               "<xsd:element name=\"Bad\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element name=\"K\" minOccurs=\"none\"/></xsd:sequence></xsd:complexType></xsd:element>");
        Doc X = Xml("<E present=\"p\"><K>1</K><K>2</K></E>");
        Rows All = Generate(S->Child(0), X.get());
        QCOMPARE(All.Names(), QStringList({"K", "K", "present", "absent"}));
        QCOMPARE(Str(All.Editors[2]->GetValue()), QString("p"));
        QCOMPARE(Str(All.Editors[3]->GetValue()), QString());
        All.Editors[3]->SetValue("now");
        QCOMPARE(Str(X->GetAttribute("absent")), QString("now"));

        // With a filter only elements whose path exists in it get rows; attributes stay.
        TNodescope Scope;
        Doc Filter = Xml("<F><K/></F>");
        Scope.SetFilterNode(Filter.get());
        QCOMPARE(Generate(S->Child(0), X.get(), &Scope).Names(), QStringList({"K", "K", "present", "absent"}));
        Doc OtherFilter = Xml("<F><Z/></F>");
        Scope.SetFilterNode(OtherFilter.get());
        QCOMPARE(Generate(S->Child(0), X.get(), &Scope).Names(), QStringList({"present", "absent"}));

        Doc Y = Xml("<Bad><Z/></Bad>");
        QCOMPARE(ErrorOf([&] { Generate(S->Child(1), Y.get()); }), QString("'none' is not a valid integer value"));
    }

    void selfNamingGroupsStopInsteadOfRecursing()
    {
        // A group that names its own enclosing type would otherwise never end.
        Doc S = Schema("xsd:", "<xsd:complexType name=\"T\"><xsd:sequence type=\"T\"/></xsd:complexType>"
                               "<xsd:element name=\"E\" type=\"T\"/>");
        Doc X = Xml("<E><Q/></E>");
        QCOMPARE(Generate(S->Child(1), X.get()).Names(), QStringList());
        Doc New = Xml("<Q/>");
        QVERIFY(!InsertBySchema(S->Child(0), X.get(), New.get()));
    }

    void nodeEditorWithoutSchema()
    {
        Doc X = Xml("<a k=\"v\"><b/>text<!--c--></a>");
        TXMLNodeEditor E(X.get(), nullptr);
        QCOMPARE(Str(E.GetValue()), QString("<+>"));
        QCOMPARE(int(E.GetFlags()), int(efSubItems | efButton | efReadOnly));
        std::vector<std::unique_ptr<TXMLPropEditor>> Sub;
        E.GetSubItems([&Sub](void*, TXMLPropEditor* P) { Sub.emplace_back(P); }, nullptr);
        QCOMPARE(int(Sub.size()), 4);
        QCOMPARE(Str(Sub[0]->GetName()), QString("k"));
        QCOMPARE(Str(Sub[0]->GetValue()), QString("v"));
        QCOMPARE(int(Sub[0]->GetFlags()), int(efValueList | efSortList | efRevertable));
        QCOMPARE(int(Sub[1]->GetFlags()), int(efButton | efReadOnly));
        QCOMPARE(Str(Sub[2]->GetValue()), QString("text"));
        QCOMPARE(Str(Sub[3]->GetValue()), QString("c"));
        Sub[0]->SetValue("w");
        Sub[2]->SetValue("ignored");
        QCOMPARE(Str(X->GetXml()), QString("<a k=\"w\"><b/>text<!--c--></a>"));
        Sub[0]->CycleValue();  // no value list: nothing happens
        QCOMPARE(Str(X->GetAttribute("k")), QString("w"));
    }

    void findRowAndExpandPath()
    {
        Doc S = Schema("xsd:", Customer);
        Doc X = Xml("<Customer><Name>Ann</Name><Address><Street>Main</Street><Geo><Lat>1.5</Lat></Geo>"
                    "<City>Linz</City></Address><Vip>true</Vip></Customer>");
        TNodescope Scope;
        Scope.SetSchemaNode(S->Child(0));
        Scope.SetNode(X.get());
        TZEditorList* L = &TNodescopeTestAccess::RowList(Scope);
        QCOMPARE(L->Count(), 3);
        QCOMPARE(Scope.SelectedRow(), 0);
        QCOMPARE(L->FindRow("Vip", 0), 2);
        QCOMPARE(L->FindRow("Name", 1), -1);
        QCOMPARE(L->FindRow("Vip", 3), -1);
        QCOMPARE(Str(Scope.GetRowValue(1)), QString("(Main, (1.5), Linz)"));
        QVERIFY(L->Rows(1)->HasChildren);
        QVERIFY(!L->Rows(0)->HasChildren);
        QCOMPARE(ErrorOf([&] { L->Rows(3); }), QString("List index out of bounds (3)"));

        QCOMPARE(L->ExpandPath(""), -1);
        QCOMPARE(L->ExpandPath("Nobody\\Name"), -1);
        QCOMPARE(L->Count(), 3);
        QCOMPARE(L->ExpandPath("Address\\Geo\\Lat"), 4);
        QCOMPARE(L->Count(), 7);
        QCOMPARE(Scope.RowCount(), 7);
        QStringList Captions;
        QList<int> Levels;
        for (int I = 0; I < L->Count(); ++I) {
            Captions << Str(L->Rows(I)->Editor->GetName());
            Levels << L->Rows(I)->Level;
        }
        QCOMPARE(Captions, QStringList({"Name", "Address", "Street", "Geo", "Lat", "City", "Vip"}));
        QCOMPARE(Levels, QList<int>({0, 0, 1, 1, 2, 1, 0}));
        QVERIFY(L->Rows(1)->Expanded && L->Rows(3)->Expanded && !L->Rows(4)->Expanded);
        QCOMPARE(Str(Scope.GetRowPath(4)), QString("Address\\Geo\\Lat"));
        // Lat is the last row of the path: it is matched, not expanded.
        QCOMPARE(L->ExpandPath("Address\\Geo\\Lat"), 4);
        QCOMPARE(L->Count(), 7);
    }

    void rebuildRestoresSelectionAndEvents()
    {
        Doc S = Schema("xsd:", Customer);
        const std::string Text = "<Customer><Name>Ann</Name><Address><Street>Main</Street><Geo><Lat>1.5</Lat></Geo>"
                                 "<City>Linz</City></Address><Vip>true</Vip></Customer>";
        Doc X1 = Xml(Text);
        Doc X2 = Xml(Text);
        auto Scope = std::make_unique<TNodescope>();
        Scope->setObjectName("Props");
        QCOMPARE(ErrorOf([&] { Scope->SetNode(X1.get()); }), QString("No XSD schema assigned for Props"));
        QCOMPARE(Scope->RowCount(), 0);
        Scope->SetNode(nullptr);

        int NewNodes = 0;
        TObject* LastNew = X1.get();
        Scope->OnNewNode = [&](TNodescope*, TObject*, TObject* NewNode) {
            ++NewNodes;
            LastNew = NewNode;
        };
        Scope->SetSchemaNode(S->Child(0));
        Scope->SetNode(X1.get());
        Scope->SetNode(X1.get());
        QCOMPARE(NewNodes, 1);

        Scope->SelectRow(1);
        Scope->ToggleExpand();
        QCOMPARE(Scope->RowCount(), 6);
        Scope->SelectRow(3);
        Scope->ToggleExpand();
        QCOMPARE(Scope->RowCount(), 7);
        Scope->SelectRow(4);
        QCOMPARE(Str(Scope->SelectedEditor()->GetName()), QString("Lat"));

        Scope->SetNode(X2.get());
        QCOMPARE(Scope->RowCount(), 7);
        QCOMPARE(Scope->SelectedRow(), 4);
        QVERIFY(static_cast<TXMLNodeEditor*>(Scope->SelectedEditor())->FNode == X2->Child(1)->Child(1)->Child(0));

        // Collapsing frees the block under the row.
        Scope->SelectRow(1);
        Scope->ToggleExpand();
        QCOMPARE(Scope->RowCount(), 3);
        QCOMPARE(Str(Scope->Rows(2)->Editor->GetName()), QString("Vip"));

        // A veto stores nothing and raises no change.
        int Changes = 0;
        bool Allow = false;
        Scope->OnChanging = [&](TNodescope*, TXMLPropEditor*, bool& CanChange) { CanChange = Allow; };
        Scope->OnChange = [&](TNodescope*, TXMLPropEditor*) { ++Changes; };
        Scope->SetRowValue(0, "Bob");
        QCOMPARE(Str(X2->Child(0)->GetText()), QString("Ann"));
        QCOMPARE(Changes, 0);
        Allow = true;
        Scope->SetRowValue(0, "Bob");
        QCOMPARE(Str(X2->Child(0)->GetText()), QString("Bob"));
        QCOMPARE(Changes, 1);
        QCOMPARE(ErrorOf([&] { Scope->SetRowValue(2, "perhaps"); }), QString("Value perhaps not in list"));
        QCOMPARE(Changes, 1);
        Scope->SelectRow(2);
        Scope->ChangeValue(Scope->SelectedEditor(), true, "");
        QCOMPARE(Str(X2->Child(2)->GetText()), QString("false"));
        QCOMPARE(Changes, 2);

        Scope.reset();
        QCOMPARE(NewNodes, 3);
        QVERIFY(LastNew == nullptr);
        QCOMPARE(Str(X2->Child(0)->GetText()), QString("Bob"));
    }

    void purchaseOrderSchema()
    {
        // The purchase order of the XML Schema primer, with the shapes it uses:
        // named complex types, refs, an unbounded inline item type, a named simple
        // type with a pattern, a fixed attribute, optional elements and dates.
        Doc S = Schema("xsd:", R"(
<xsd:annotation><xsd:documentation xml:lang="en">Purchase order schema.</xsd:documentation></xsd:annotation>
<xsd:element name="purchaseOrder" type="PurchaseOrderType"/>
<xsd:element name="comment" type="xsd:string"/>
<xsd:complexType name="PurchaseOrderType">
  <xsd:sequence>
    <xsd:element name="shipTo" type="USAddress"/>
    <xsd:element name="billTo" type="USAddress"/>
    <xsd:element ref="comment" minOccurs="0"/>
    <xsd:element name="items" type="Items"/>
  </xsd:sequence>
  <xsd:attribute name="orderDate" type="xsd:date"/>
</xsd:complexType>
<xsd:complexType name="USAddress">
  <xsd:sequence>
    <xsd:element name="name" type="xsd:string"/>
    <xsd:element name="street" type="xsd:string"/>
    <xsd:element name="city" type="xsd:string"/>
    <xsd:element name="state" type="xsd:string"/>
    <xsd:element name="zip" type="xsd:decimal"/>
  </xsd:sequence>
  <xsd:attribute name="country" type="xsd:NMTOKEN" fixed="US"/>
</xsd:complexType>
<xsd:complexType name="Items">
  <xsd:sequence>
    <xsd:element name="item" minOccurs="0" maxOccurs="unbounded">
      <xsd:complexType>
        <xsd:sequence>
          <xsd:element name="productName" type="xsd:string"/>
          <xsd:element name="quantity">
            <xsd:simpleType>
              <xsd:restriction base="xsd:positiveInteger"><xsd:maxExclusive value="100"/></xsd:restriction>
            </xsd:simpleType>
          </xsd:element>
          <xsd:element name="USPrice" type="xsd:decimal"/>
          <xsd:element ref="comment" minOccurs="0"/>
          <xsd:element name="shipDate" type="xsd:date" minOccurs="0"/>
        </xsd:sequence>
        <xsd:attribute name="partNum" type="SKU" use="required"/>
      </xsd:complexType>
    </xsd:element>
  </xsd:sequence>
</xsd:complexType>
<xsd:simpleType name="SKU">
  <xsd:restriction base="xsd:string"><xsd:pattern value="\d{3}-[A-Z]{2}"/></xsd:restriction>
</xsd:simpleType>)");
        Doc X = Xml(R"(<purchaseOrder orderDate="20.10.1999">
<shipTo country="US"><name>Alice Smith</name><street>123 Maple Street</street><city>Mill Valley</city>
<state>CA</state><zip>90952</zip></shipTo>
<comment>Hurry, my lawn is going wild</comment>
<items>
<item partNum="872-AA"><productName>Lawnmower</productName><quantity>1</quantity><USPrice>148.95</USPrice>
<comment>Confirm this is electric</comment></item>
<item><productName>Baby Monitor</productName><quantity>1</quantity><USPrice>39.98</USPrice>
<shipDate>21.05.1999</shipDate></item>
</items>
</purchaseOrder>)");
        TNodescope Scope;
        Scope.SetSchemaNode(S->FindChildByAttribute("name", "purchaseOrder"));
        Scope.SetNode(X.get());
        // billTo is missing where the schema wants it: a skeleton is placed after shipTo.
        QStringList Captions;
        for (int I = 0; I < Scope.RowCount(); ++I)
            Captions << Str(Scope.Rows(I)->Editor->GetName());
        QCOMPARE(Captions, QStringList({"shipTo", "billTo", "comment", "items", "orderDate"}));
        QCOMPARE(Str(X->Child(1)->Name), QString("billTo"));
        QCOMPARE(Str(X->Child(1)->GetXml()), QString("<billTo><name/><street/><city/><state/><zip/></billTo>"));
        QCOMPARE(Str(Scope.GetRowValue(0)), QString("(Alice Smith, 123 Maple Street, Mill Valley, CA, 90952, US)"));
        // Empty values before the first non-empty one leave no separator.
        QCOMPARE(Str(Scope.GetRowValue(1)), QString("()"));
        QCOMPARE(int(Scope.Rows(0)->Editor->GetFlags()), int(efSubItems | efReadOnly));
        QCOMPARE(Str(Scope.GetRowValue(2)), QString("Hurry, my lawn is going wild"));

        QCOMPARE(TNodescopeTestAccess::RowList(Scope).ExpandPath("items\\item"), 4);
        QCOMPARE(Scope.RowCount(), 7);
        Scope.SelectRow(5);
        Scope.ToggleExpand();
        QStringList ItemRows;
        for (int I = 6; I < Scope.RowCount() && Scope.Rows(I)->Level == 2; ++I)
            ItemRows << Str(Scope.Rows(I)->Editor->GetName());
        QCOMPARE(ItemRows, QStringList({"productName", "quantity", "USPrice", "shipDate", "partNum"}));
        auto* PartNum = Scope.Rows(10)->Editor.get();
        QCOMPARE(PartNum->GetNameColor(), clRed);
        QCOMPARE(Str(Scope.Rows(4)->Editor->GetValue()),
                 QString("(Lawnmower, 1, 148.95, Confirm this is electric, 872-AA)"));
        auto* ShipDate = Scope.Rows(9)->Editor.get();
        QVERIFY(ErrorOf([&] { ShipDate->SetValue("1999-05-21"); }) != "no error");
        QCOMPARE(Str(ShipDate->GetValue()), QString("21.05.1999"));
        Scope.SelectRow(7);
        QCOMPARE(Scope.EditKind(), ekText);  // positiveInteger is not a recognised type
        QCOMPARE(Str(Scope.Rows(7)->Editor->GetAllowedChars()), QString());
        Scope.SelectRow(9);
        QCOMPARE(Scope.EditKind(), ekDate);
        QCOMPARE(Str(Scope.GetRowPath(9)), QString("items\\item\\shipDate"));
    }
};

QTEST_MAIN(RowsTest)
#include "rows_test.moc"
