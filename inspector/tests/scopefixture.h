// A shown inspector on a customer schema with every kind of row, for the control's
// widget tests. Sizes come from the control's own row height and frame.
#pragma once

#include "platform/widgets/messages.h"
#include "inspector/inplace_controls.h"
#include "inspector/text_bytes.h"

#include <QtTest>

#include <memory>

inline const char* const CustomerSchema = R"(<xsd:schema xmlns:xsd="http://www.w3.org/2001/XMLSchema">
<xsd:element name="Customer"><xsd:complexType><xsd:sequence>
 <xsd:element name="Name" type="xsd:string"/>
 <xsd:element name="Kind"><xsd:simpleType><xsd:restriction base="xsd:string">
  <xsd:enumeration value="Abc"/><xsd:enumeration value="abd"/><xsd:enumeration value="Other"/>
 </xsd:restriction></xsd:simpleType></xsd:element>
 <xsd:element name="Vip" type="xsd:boolean"/>
 <xsd:element name="Since" type="xsd:date"/>
 <xsd:element name="Count" type="xsd:integer"/>
 <xsd:element name="Rate" type="xsd:decimal"/>
 <xsd:element name="Address"><xsd:complexType><xsd:sequence>
  <xsd:element name="Street" type="xsd:string"/>
  <xsd:element name="Geo"><xsd:complexType><xsd:sequence>
   <xsd:element name="Lat" type="xsd:decimal"/></xsd:sequence></xsd:complexType></xsd:element>
  <xsd:element name="City" type="xsd:string"/>
 </xsd:sequence></xsd:complexType></xsd:element>
 <xsd:element name="Contact"><xsd:complexType><xsd:sequence>
  <xsd:element name="Person" type="xsd:string"/>
 </xsd:sequence></xsd:complexType></xsd:element>
 <xsd:element name="Web" type="xsd:anyURI"/>
 <xsd:element name="Month"><xsd:simpleType><xsd:restriction base="xsd:string">
  <xsd:enumeration value="M01"/><xsd:enumeration value="M02"/><xsd:enumeration value="M03"/>
  <xsd:enumeration value="M04"/><xsd:enumeration value="M05"/><xsd:enumeration value="M06"/>
  <xsd:enumeration value="M07"/><xsd:enumeration value="M08"/><xsd:enumeration value="M09"/>
  <xsd:enumeration value="M10"/><xsd:enumeration value="M11"/><xsd:enumeration value="M12"/>
  <xsd:enumeration value="M13"/><xsd:enumeration value="M14"/><xsd:enumeration value="M15"/>
  <xsd:enumeration value="M16"/><xsd:enumeration value="M17"/><xsd:enumeration value="M18"/>
  <xsd:enumeration value="M19"/><xsd:enumeration value="M20"/>
 </xsd:restriction></xsd:simpleType></xsd:element>
 <xsd:element name="Nothing" id="@Empty" type="xsd:string"/>
 <xsd:element name="Note" type="xsd:string"/>
</xsd:sequence></xsd:complexType></xsd:element>
</xsd:schema>)";

inline const char* const CustomerObject =
    "<Customer><Name>Ann</Name><Kind>Other</Kind><Vip>false</Vip><Since>21.05.1999</Since><Count>7</Count>"
    "<Rate>1.5</Rate><Address><Street>Main</Street><Geo><Lat>48.3</Lat></Geo><City>Linz</City></Address>"
    "<Contact><Person>Bob</Person></Contact><Web>http://example.com</Web><Month>M03</Month><Nothing/>"
    "<Note>n</Note></Customer>";

// Row indexes of CustomerObject's top level, all collapsed.
enum CustomerRow { rName, rKind, rVip, rSince, rCount, rRate, rAddress, rContact, rWeb, rMonth, rNothing, rNote };

struct ScopeFixture {
    std::unique_ptr<TXMLNode> Schema;
    std::unique_ptr<TXMLNode> Object;
    std::unique_ptr<TXMLDictionary> Empty;
    // Answers any box the control raises while it closes, after a test's own recorder is gone.
    TMessageRecorder Closing;
    std::unique_ptr<TNodescope> Ins;
    uint64_t Now = 5000000;

    explicit ScopeFixture(const char* SchemaText = CustomerSchema, const char* ObjectText = CustomerObject,
                          const std::string& RootName = "Customer")
    {
        Schema.reset(new TXMLNode(SchemaText, false, nullptr));
        Object.reset(new TXMLNode(ObjectText, false, nullptr));
        Empty.reset(new TXMLDictionary());
        Ins = std::make_unique<TNodescope>();
        Ins->setObjectName("Props");
        Ins->SetTickCount([this] { return Now; });
        Ins->OnGetDictionary = [this](TNodescope*, const std::string&, TXMLDictionary*& D) { D = Empty.get(); };
        Ins->SetSchemaNode(Schema->FindChildByAttribute("name", RootName));
        Ins->SetNode(Object.get());
        Ins->resize(320, 240);
        Ins->show();
        Ins->activateWindow();
        if (!QTest::qWaitForWindowActive(Ins.get()))
            qWarning("inspector window not active");
    }

    ~ScopeFixture()
    {
        if (Ins)
            Ins->close();
    }

    int H() const { return Ins->RowHeight(); }
    int Frame() const { return Ins->height() - Ins->viewport()->height(); }

    // Makes the client area exactly Rows rows high.
    void SetVisibleRows(int Rows)
    {
        Ins->resize(Ins->width(), Rows * H() + Frame());
        QCoreApplication::processEvents();
    }

    QPoint RowPoint(int Row, int X) const { return QPoint(X, (Row - Ins->TopRow()) * H() + H() / 2); }

    void ClickRow(int Row, int X, Qt::KeyboardModifiers Mods = {})
    {
        QTest::mouseClick(Ins->viewport(), Qt::LeftButton, Mods, RowPoint(Row, X));
    }

    TZInplaceEdit* Edit() const { return Ins->InplaceEdit(); }
    QString Text(int Child) const { return QString::fromStdString(Object->Child(Child)->GetText()); }
    QString Caption(int Row) const { return QString::fromStdString(Ins->Rows(Row)->Editor->GetName()); }

    void Select(int Row)
    {
        QVERIFY(Ins->SelectRow(Row));
        Edit()->setFocus();
        QCoreApplication::processEvents();
    }

    void Type(const QString& Keys)
    {
        QTest::keyClicks(Edit(), Keys);
    }
};
