// Schema rules as the row editors apply them: types, flags, value lists, captions,
// limits, the checked write-back, dictionaries and the check-box drawing of boolean rows.
#include "platform/core/exceptions.h"
#include "inspector/nodescope.h"

#include <QImage>
#include <QPainter>
#include "inspector/tests/schemadoc.h"

#include <QtTest>

#include <memory>

namespace {

using Editor = std::unique_ptr<TXSDSchemaEditor>;

TXMLNode* Global(TXMLNode* S, const std::string& Name)
{
    TXMLNode* N = S->FindChildByAttribute("name", Name);
    if (!N)
        throw Exception("test schema lacks " + Name);
    return N;
}

// The declaration named Name anywhere below Root.
TXMLNode* Declared(TXMLNode* Root, const std::string& Name)
{
    if (Root->GetAttribute("name") == Name)
        return Root;
    for (TXMLNode* C : *Root->Children)
        if (C->Kind == nkElement)
            if (TXMLNode* Found = Declared(C, Name); Found)
                return Found;
    return nullptr;
}

QStringList ValueList(TXMLPropEditor* E)
{
    QStringList Result;
    E->GetValueList([&Result](void*, const std::string& V) { Result << QString::fromStdString(V); }, nullptr);
    return Result;
}

QString ErrorOf(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const Exception& E) {
        return QString::fromStdString(E.Message);
    }
    return "no error";
}

QString Str(const std::string& S)
{
    return QString::fromStdString(S);
}

const char* const Shapes =
    "<@element name=\"Due\" type=\"@date\"/>"
    "<@attribute name=\"Code\"><@simpleType><@restriction base=\"@string\"><@maxLength value=\"10\"/>"
    "</@restriction></@simpleType></@attribute>"
    "<@element name=\"Amount\"><@complexType><@simpleContent><@extension base=\"@decimal\">"
    "<@attribute name=\"currency\" type=\"@string\"/></@extension></@simpleContent></@complexType></@element>"
    "<@element name=\"Box\"><@complexType><@sequence><@element name=\"W\" type=\"@integer\"/>"
    "<@element name=\"H\" type=\"@integer\"/></@sequence></@complexType></@element>"
    "<@element name=\"Tag\"><@complexType><@attribute name=\"k\" type=\"@string\"/></@complexType></@element>"
    "<@element name=\"Qty\" type=\"Count\"/>"
    "<@simpleType name=\"Count\"><@restriction base=\"@integer\"><@maxLength value=\"3\"/></@restriction></@simpleType>"
    "<@element name=\"Ship\" type=\"Address\"/>"
    "<@complexType name=\"Address\"><@sequence><@element name=\"City\" type=\"@string\"/></@sequence></@complexType>"
    "<@element name=\"Price\" type=\"Money\"/>"
    "<@complexType name=\"Money\"><@simpleContent><@extension base=\"@float\">"
    "<@attribute name=\"cur\" type=\"@string\"/></@extension></@simpleContent></@complexType>"
    "<@element name=\"Paid\" type=\"@boolean\"/>"
    "<@element name=\"Link\" type=\"@anyURI\"/>"
    "<@element name=\"Raw\" type=\"@anySimpleType\"/>"
    "<@element name=\"Size\"><@simpleType><@restriction base=\"@string\"><@enumeration value=\"A\"/>"
    "<@enumeration value=\"B\"/><@enumeration value=\"C\"/></@restriction></@simpleType></@element>"
    "<@element name=\"Grade\" type=\"Grades\"/>"
    "<@simpleType name=\"Grades\"><@restriction base=\"@string\"><@enumeration value=\"low\"/>"
    "<@enumeration value=\"high\"/></@restriction></@simpleType>"
    "<@element name=\"PaidRef\" ref=\"Paid\"/>"
    "<@element name=\"Long\" type=\"@aVeryLongTypeNameThatGoesOnAndOnBeyondFiftyCharacters\"/>";

} // namespace

class SchemaEditorTest : public QObject {
    Q_OBJECT
private slots:
    void effectiveTypesAndFlags_data()
    {
        QTest::addColumn<QString>("declaration");
        QTest::addColumn<QString>("typeName");
        QTest::addColumn<bool>("isExtension");
        QTest::addColumn<int>("flags");
        QTest::newRow("built-in date") << "Due" << "xsd:date" << false << 0;
        QTest::newRow("inline simple type") << "Code" << "xsd:string" << false << 0;
        QTest::newRow("simple content by extension") << "Amount" << "xsd:decimal" << true << int(efSubItems);
        QTest::newRow("inline complex with sequence") << "Box" << "xsd:complexType" << false
                                                      << int(efSubItems | efReadOnly);
        QTest::newRow("inline complex, attributes only") << "Tag" << "xsd:complexType" << false << 0;
        QTest::newRow("named simple type") << "Qty" << "xsd:integer" << false << 0;
        QTest::newRow("named complex type") << "Ship" << "Address" << false << int(efSubItems | efReadOnly);
        QTest::newRow("named complex, simple content") << "Price" << "Money" << false << int(efSubItems);
        QTest::newRow("boolean") << "Paid" << "xsd:boolean" << false << int(efValueList | efRevertable);
        QTest::newRow("anyURI") << "Link" << "xsd:anyURI" << false << int(efButton);
        QTest::newRow("anySimpleType") << "Raw" << "xsd:anySimpleType" << false << int(efReadOnly);
        QTest::newRow("inline enumeration") << "Size" << "xsd:string" << false << int(efValueList | efRevertable);
        QTest::newRow("named enumeration") << "Grade" << "xsd:string" << false << int(efValueList | efRevertable);
        QTest::newRow("ref to a boolean") << "PaidRef" << "xsd:boolean" << false << int(efValueList | efRevertable);
        QTest::newRow("long name cut") << "Long" << "xsd:aVeryLongTypeNameThatGoesOnAndOnBeyondFiftyCha" << false << 0;
    }

    void effectiveTypesAndFlags()
    {
        QFETCH(QString, declaration);
        QFETCH(QString, typeName);
        QFETCH(bool, isExtension);
        QFETCH(int, flags);
        Doc S = Schema("xsd:", Shapes);
        Doc X = Xml("<r/>");
        TXMLNode* D = Global(S.get(), declaration.toStdString());
        const TEffectiveType T = EffectiveType(D);
        QCOMPARE(Str(T.TypeName), typeName);
        QCOMPARE(T.IsExtension, isExtension);
        QCOMPARE(int(TXSDSchemaEditor(X.get(), nullptr, D).GetFlags()), flags);
    }

    void prefixDecidesBuiltIns()
    {
        // An xs: schema does not know xsd:boolean: a plain text row.
        Doc S = Schema("xs:", "<xs:element name=\"A\" type=\"xsd:boolean\"/><xs:element name=\"B\" type=\"xs:boolean\"/>"
                              "<xs:element name=\"N\" type=\"xsd:integer\"/>");
        Doc X = Xml("<r><A/><B/><N/></r>");
        TXSDSchemaEditor A(X->Child(0), nullptr, Global(S.get(), "A"));
        TXSDSchemaEditor B(X->Child(1), nullptr, Global(S.get(), "B"));
        TXSDSchemaEditor N(X->Child(2), nullptr, Global(S.get(), "N"));
        QCOMPARE(int(A.GetFlags()), 0);
        QVERIFY(ValueList(&A).isEmpty());
        A.SetValue("maybe");
        QCOMPARE(Str(X->Child(0)->GetText()), QString("maybe"));
        QCOMPARE(ValueList(&B), QStringList({"true", "false"}));
        QCOMPARE(int(B.GetFlags()), int(efValueList | efRevertable));
        QCOMPARE(Str(N.GetAllowedChars()), QString());
        N.SetValue("12.5x");  // not an integer type under this prefix
        QCOMPARE(Str(X->Child(2)->GetText()), QString("12.5x"));
        QCOMPARE(Str(A.FPrefix), QString("xs:"));
    }

    void valueListsAndRefusals()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"R\"><xsd:complexType>"
                               "<xsd:attribute name=\"size\"><xsd:simpleType><xsd:restriction base=\"xsd:string\">"
                               "<xsd:enumeration value=\"A\"/><xsd:annotation/><xsd:enumeration value=\"B\"/>"
                               "<xsd:enumeration value=\"C\"/></xsd:restriction></xsd:simpleType></xsd:attribute>"
                               "</xsd:complexType></xsd:element>"
                               "<xsd:element name=\"Flag\" type=\"xsd:boolean\"/>");
        Doc X = Xml("<R size=\"A\"><Flag/></R>");
        TXSDSchemaEditor Size(X.get(), nullptr, Declared(S.get(), "size"));
        QCOMPARE(ValueList(&Size), QStringList({"A", "B", "C"}));

        Size.SetValue("b");
        QCOMPARE(Str(X->GetAttribute("size")), QString("B"));
        QCOMPARE(ErrorOf([&] { Size.SetValue("D"); }), QString("Value D not in list"));
        QCOMPARE(Str(X->GetAttribute("size")), QString("B"));
        Size.SetValue("");
        QCOMPARE(X->Attributes->Count(), 0);

        TXSDSchemaEditor Flag(X->Child(0), nullptr, Global(S.get(), "Flag"));
        QCOMPARE(ErrorOf([&] { Flag.SetValue("yes"); }), QString("Value yes not in list"));
        Flag.SetValue("TRUE");
        QCOMPARE(Str(X->Child(0)->GetText()), QString("true"));

        // Stepping: the next entry after the current one, wrapping to the first.
        Size.SetValue("C");
        Size.CycleValue();
        QCOMPARE(Str(X->GetAttribute("size")), QString("A"));
        Size.SetValue("");
        Size.CycleValue();
        QCOMPARE(Str(X->GetAttribute("size")), QString("A"));
        Flag.SetValue("");
        Flag.CycleValue();
        QCOMPARE(Str(Flag.GetValue()), QString("true"));
        Flag.CycleValue();
        QCOMPARE(Str(Flag.GetValue()), QString("false"));
    }

    void typeChecksOnCommit()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"I\" type=\"xsd:integer\"/><xsd:element name=\"F\" type=\"xsd:decimal\"/>"
                               "<xsd:element name=\"D\" type=\"xsd:date\"/><xsd:element name=\"U\" type=\"xsd:number\"/>");
        Doc X = Xml("<r><I>7</I><F>1</F><D/><U/></r>");
        TXSDSchemaEditor I(X->Child(0), nullptr, Global(S.get(), "I"));
        TXSDSchemaEditor F(X->Child(1), nullptr, Global(S.get(), "F"));
        TXSDSchemaEditor D(X->Child(2), nullptr, Global(S.get(), "D"));
        TXSDSchemaEditor U(X->Child(3), nullptr, Global(S.get(), "U"));

        QCOMPARE(Str(I.GetAllowedChars()), QString("-0123456789"));
        QCOMPARE(Str(F.GetAllowedChars()), QString("-0123456789.eE"));
        QCOMPARE(Str(U.GetAllowedChars()), QString("-0123456789.eE"));
        QCOMPARE(ErrorOf([&] { I.SetValue("12.5"); }), QString("'12.5' is not a valid integer value"));
        QCOMPARE(ErrorOf([&] { I.SetValue("."); }), QString("'.' is not a valid integer value"));
        QCOMPARE(Str(I.GetValue()), QString("7"));
        I.SetValue("-42");
        QCOMPARE(Str(I.GetValue()), QString("-42"));
        I.SetValue("   ");
        QCOMPARE(Str(I.GetValue()), QString("   "));

        F.SetValue("1.5e3");
        QCOMPARE(Str(F.GetValue()), QString("1.5e3"));
        QCOMPARE(ErrorOf([&] { F.SetValue("1.5.2"); }), QString("'1.5.2' is not a valid floating point value"));
        QCOMPARE(Str(F.GetValue()), QString("1.5e3"));
        U.SetValue("1.2.3");  // number is not checked
        QCOMPARE(Str(U.GetValue()), QString("1.2.3"));

        D.SetValue("05.03.2004");
        QCOMPARE(Str(D.GetValue()), QString("05.03.2004"));
        D.SetValue("  .  .    ");
        QCOMPARE(Str(D.GetValue()), QString("  .  .    "));
        QCOMPARE(ErrorOf([&] { D.SetValue("31.04.2004"); }), QString("Invalid argument to date encode"));
        QCOMPARE(ErrorOf([&] { D.SetValue("05.13.2004"); }), QString("Invalid date/time"));
        QVERIFY(ErrorOf([&] { D.SetValue("  /  /    "); }) != "no error");
        QCOMPARE(Str(D.GetValue()), QString("  .  .    "));
    }

    void captionsColoursAndLimits()
    {
        Doc S = Schema("xsd:",
                       "<xsd:element name=\"Person\"><xsd:complexType>"
                       "<xsd:attribute name=\"id\" type=\"xsd:string\" use=\"required\"/>"
                       "<xsd:attribute name=\"nick\"><xsd:annotation><xsd:documentation>Nickname</xsd:documentation>"
                       "</xsd:annotation><xsd:simpleType><xsd:restriction base=\"xsd:string\">"
                       "<xsd:maxLength value=\"10\"/></xsd:restriction></xsd:simpleType></xsd:attribute>"
                       "<xsd:attribute name=\"bad\"><xsd:simpleType><xsd:restriction base=\"xsd:string\">"
                       "<xsd:maxLength value=\"ten\"/></xsd:restriction></xsd:simpleType></xsd:attribute>"
                       "</xsd:complexType></xsd:element>"
                       "<xsd:element name=\"Phone\" type=\"Short\" nillable=\"false\"/>"
                       "<xsd:simpleType name=\"Short\"><xsd:restriction base=\"xsd:string\"><xsd:maxLength value=\"4\"/>"
                       "</xsd:restriction></xsd:simpleType>"
                       "<xsd:element name=\"Holder\"><xsd:complexType><xsd:sequence>"
                       "<xsd:element ref=\"Phone\"/><xsd:element ref=\"Missing\"/></xsd:sequence></xsd:complexType>"
                       "</xsd:element>");
        Doc X = Xml("<Person><Phone/></Person>");
        TXSDSchemaEditor Id(X.get(), nullptr, Declared(S.get(), "id"));
        TXSDSchemaEditor Nick(X.get(), nullptr, Declared(S.get(), "nick"));
        TXSDSchemaEditor Bad(X.get(), nullptr, Declared(S.get(), "bad"));
        TXSDSchemaEditor Phone(X->Child(0), nullptr, Global(S.get(), "Phone"));
        TXMLNode* Holder = Global(S.get(), "Holder");
        TXMLNode* Seq = Holder->Child(0)->Child(0);
        TXSDSchemaEditor PhoneRef(X->Child(0), nullptr, Seq->Child(0));
        TXSDSchemaEditor MissingRef(X->Child(0), nullptr, Seq->Child(1));

        QCOMPARE(Str(Nick.GetName()), QString("Nickname"));
        QCOMPARE(Str(Id.GetName()), QString("id"));
        QCOMPARE(Str(PhoneRef.GetName()), QString("Phone"));
        QCOMPARE(ErrorOf([&] { MissingRef.GetName(); }),
                 QString("Error in XSD Schema: referenced type Missing not found"));
        QCOMPARE(ErrorOf([&] { EffectiveType(Seq->Child(1)); }),
                 QString("Error in XSD Schema: referenced type Missing not found"));
        QCOMPARE(int(MissingRef.GetFlags()), 0);  // a dangling ref only empties the flags

        QCOMPARE(Id.GetNameColor(), clRed);
        Id.SetValue("p1");
        QCOMPARE(Id.GetNameColor(), clNone);
        QCOMPARE(Nick.GetNameColor(), clNone);
        QCOMPARE(Phone.GetNameColor(), clRed);
        Phone.SetValue("555");
        QCOMPARE(Phone.GetNameColor(), clNone);
        QCOMPARE(PhoneRef.GetNameColor(), clNone);  // the referencing declaration carries no nillable

        QCOMPARE(Nick.GetMaxLength(), 10);
        QCOMPARE(Id.GetMaxLength(), 255);
        QCOMPARE(Phone.GetMaxLength(), 255);  // a named type's maxLength is not seen
        QCOMPARE(ErrorOf([&] { Bad.GetMaxLength(); }), QString("'ten' is not a valid integer value"));
    }

    void dictionaries()
    {
        Doc S = Xml("<xsd:schema><xsd:element name=\"Country\" type=\"xsd:string\" id=\"@countries\"/></xsd:schema>");
        Doc X = Xml("<r><Country>xx</Country></r>");
        TXMLNode* D = Global(S.get(), "Country");
        TXMLDictionary Countries;
        Countries.AddEntry("DE", new TXMLNode("<c name=\"germany\"/>", false, nullptr));
        Countries.AddEntry("AT", new TXMLNode("<c name=\"Austria\"/>", false, nullptr));
        Countries.AddEntry("BE", new TXMLNode("<c name=\"belgium\"/>", false, nullptr));
        TNodescope Scope;
        QStringList Asked;
        TXMLDictionary* Supplied = &Countries;
        Scope.OnGetDictionary = [&](TNodescope* Sender, const std::string& Name, TXMLDictionary*& Dictionary) {
            Asked << Str(Name) + (Sender == &Scope ? "" : " from another sender") +
                         (Dictionary ? " with a dictionary" : "");
            Dictionary = Supplied;
        };
        TXSDSchemaEditor E(X->Child(0), &Scope, D);
        QCOMPARE(Asked, QStringList({"countries"}));
        QVERIFY(E.FDictionary == &Countries);
        QCOMPARE(int(E.GetFlags() & efValueList), int(efValueList));
        QCOMPARE(ValueList(&E), QStringList({"Austria", "belgium", "germany"}));
        QCOMPARE(Str(E.GetValue()), QString());  // an ID the dictionary lacks shows nothing
        E.SetValue("belgium");
        QCOMPARE(Str(X->Child(0)->GetText()), QString("BE"));
        QCOMPARE(Str(E.GetValue()), QString("belgium"));
        QCOMPARE(ErrorOf([&] { E.SetValue("Belgium"); }), QString("Value Belgium not in list"));
        QCOMPARE(Str(X->Child(0)->GetText()), QString("BE"));

        Supplied = nullptr;
        QCOMPARE(ErrorOf([&] { ValueList(&E); }), QString("Cannot find dictionary \"countries"));
        TXSDSchemaEditor Unbound(X->Child(0), &Scope, D);
        QVERIFY(Unbound.FDictionary == nullptr);
        QCOMPARE(ErrorOf([&] { Unbound.SetValue("BE"); }), QString("Cannot find dictionary \"countries"));

        TNodescope Bare;
        TXSDSchemaEditor NoHandler(X->Child(0), &Bare, D);
        QVERIFY(ValueList(&NoHandler).isEmpty());
        QCOMPARE(ErrorOf([&] { NoHandler.SetValue("BE"); }), QString("Value BE not in list"));
        NoHandler.SetValue("");
        QCOMPARE(Str(X->Child(0)->GetText()), QString());
    }

    void complexRowSummaries()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"C\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element name=\"Name\" type=\"xsd:string\"/>"
                               "<xsd:element name=\"Age\" type=\"xsd:integer\"/>"
                               "<xsd:element name=\"Note\" type=\"xsd:string\"/>"
                               "</xsd:sequence><xsd:attribute name=\"id\" type=\"xsd:string\"/>"
                               "</xsd:complexType></xsd:element>");
        TXMLNode* D = Global(S.get(), "C");
        Doc X = Xml("<r><C><Name>Smith</Name><Age>12</Age><Note/></C><C id=\"7\"><Name/><Age>12</Age><Note>x</Note></C>"
                    "<C/></r>");
        TXSDSchemaEditor First(X->Child(0), nullptr, D);
        TXSDSchemaEditor Second(X->Child(1), nullptr, D);
        TXSDSchemaEditor Empty(X->Child(2), nullptr, D);
        // The attribute row comes after the sequence it follows in the schema.
        QCOMPARE(Str(First.GetValue()), QString("(Smith, 12, , )"));
        QCOMPARE(Str(Second.GetValue()), QString("(12, x, 7)"));
        QCOMPARE(int(Second.FSubEditors.size()), 4);
        QCOMPARE(Str(Empty.GetValue()), QString());
        QCOMPARE(Str(X->Child(2)->GetXml()), QString("<C/>"));
    }

    void editKinds()
    {
        Doc S = Schema("xsd:", "<xsd:element name=\"R\"><xsd:complexType><xsd:sequence>"
                               "<xsd:element name=\"B\" type=\"xsd:boolean\"/><xsd:element name=\"D\" type=\"xsd:date\"/>"
                               "<xsd:element name=\"E\"><xsd:simpleType><xsd:restriction base=\"xsd:string\">"
                               "<xsd:enumeration value=\"x\"/></xsd:restriction></xsd:simpleType></xsd:element>"
                               "<xsd:element name=\"U\" type=\"xsd:anyURI\"/><xsd:element name=\"T\" type=\"xsd:string\"/>"
                               "</xsd:sequence></xsd:complexType></xsd:element>");
        Doc X = Xml("<R><B/><D/><E/><U/><T/></R>");
        TNodescope Scope;
        QCOMPARE(Scope.EditKind(), ekText);
        Scope.SetSchemaNode(Global(S.get(), "R"));
        Scope.SetNode(X.get());
        QCOMPARE(Scope.RowCount(), 5);
        const TEditKind Expected[] = {ekBoolean, ekDate, ekList, ekButton, ekText};
        for (int I = 0; I < 5; ++I) {
            QVERIFY(Scope.SelectRow(I));
            QCOMPARE(Scope.EditKind(), Expected[I]);
        }
    }

    void drawCheckTicksOnlyInsideTheBox()
    {
        const QRect Cell(0, 0, 40, 16);
        const QColor Background(10, 200, 30);
        auto Render = [&](int State, bool Flat, bool FaceFrame) {
            QImage Image(Cell.size(), QImage::Format_RGB32);
            Image.fill(Background);
            QPainter P(&Image);
            DrawCheck(&P, Cell, State, true, Flat, false, FaceFrame);
            return Image;
        };
        const QImage Off = Render(0, true, true);
        const QImage On = Render(1, true, true);
        // The box is the centred 16 x 16 square: x 12..27.
        int Differing = 0;
        for (int Y = 0; Y < Cell.height(); ++Y)
            for (int X = 0; X < Cell.width(); ++X) {
                const bool Inside = X >= 13 && X <= 26 && Y >= 1 && Y <= 14;
                if (!Inside && X >= 12 && X <= 27)
                    continue;  // the frame
                if (!Inside) {
                    QCOMPARE(QColor(On.pixel(X, Y)), Background);
                    QCOMPARE(QColor(Off.pixel(X, Y)), Background);
                } else if (On.pixel(X, Y) != Off.pixel(X, Y)) {
                    ++Differing;
                }
            }
        QVERIFY(Differing > 0);
        const QColor Face = QApplication::palette().color(QPalette::Button);
        const QColor Shadow = QApplication::palette().color(QPalette::Dark);
        QCOMPARE(QColor(On.pixel(12, 0)).rgb(), Face.rgb());
        QCOMPARE(QColor(On.pixel(27, 15)).rgb(), Face.rgb());
        QCOMPARE(QColor(Render(1, true, false).pixel(12, 7)).rgb(), Shadow.rgb());
        // An unticked box on a white cell stands out from it: its own edge, just
        // inside the frame, is dark on every side.
        {
            QImage White(Cell.size(), QImage::Format_RGB32);
            White.fill(Qt::white);
            QPainter P(&White);
            DrawCheck(&P, Cell, 0, true, true, false, true);
            P.end();
            for (const QPoint Edge : {QPoint(13, 7), QPoint(26, 7), QPoint(19, 1), QPoint(19, 14)})
                QVERIFY2(qGray(White.pixel(Edge)) < 170, qPrintable(QColor(White.pixel(Edge)).name()));
            QVERIFY(qGray(White.pixel(19, 7)) > 200);  // the inside stays light
        }

        // A boolean row draws the tick exactly when its value is "true".
        Doc S = Schema("xsd:", "<xsd:element name=\"B\" type=\"xsd:boolean\"/>");
        Doc X = Xml("<B>false</B>");
        TXSDSchemaEditor E(X.get(), nullptr, Global(S.get(), "B"));
        auto RenderRow = [&](bool List, const std::string& Value) {
            QImage Image(60, 16, QImage::Format_RGB32);
            Image.fill(Qt::white);
            QPainter P(&Image);
            P.setBrush(Background);
            if (List)
                E.DrawListValue(Value, &P, QRect(0, 0, 60, 16), false);
            else
                E.DrawValue(&P, QRect(0, 0, 60, 16), false);
            return Image;
        };
        const QImage RowOff = RenderRow(false, "");
        E.SetValue("true");
        const QImage RowOn = RenderRow(false, "");
        QVERIFY(RowOff != RowOn);
        QCOMPARE(QColor(RowOn.pixel(50, 8)), Background);  // the cell is filled with the brush
        QCOMPARE(RenderRow(true, "true"), RowOn);
        QCOMPARE(RenderRow(true, "false"), RowOff);
    }
};

QTEST_MAIN(SchemaEditorTest)
#include "schema_editor_test.moc"
