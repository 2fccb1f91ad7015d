// The localizable form against a language document: what is applied, what is
// ignored, what is stored where, and the two hot keys.
#include "localization/lnframe.h"

#include "platform/core/exceptions.h"
#include "platform/datacontrols/published.h"
#include "xmllib/xmls.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <memory>

// Stand-ins for the controls: a grid with a hint and a Columns collection whose
// items have a Title, and a memo with Lines and a Width that is not a string.
class TTitle : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER Caption)
public:
    using QObject::QObject;
    QString Caption;
};

class TTestColumn : public QObject {
    Q_OBJECT
    Q_PROPERTY(QObject* Title READ Title)
public:
    explicit TTestColumn(QObject* Parent) : QObject(Parent), FTitle(new TTitle(this)) {}
    QObject* Title() const { return FTitle; }
    TTitle* FTitle;
};

class TTestColumns : public TCollection {
    Q_OBJECT
public:
    explicit TTestColumns(QObject* Parent) : TCollection(Parent)
    {
        for (int i = 0; i < 3; ++i)
            FItems.append(new TTestColumn(this));
    }
    int Count() const override { return int(FItems.size()); }
    QObject* Item(int Index) const override
    {
        if (Index < 0 || Index >= FItems.size())
            throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
        return FItems[Index];
    }
    QList<TTestColumn*> FItems;
};

class TTestGrid : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(QObject* Columns READ Columns)
public:
    explicit TTestGrid(QWidget* Parent) : QWidget(Parent), FColumns(new TTestColumns(this)) {}
    QObject* Columns() const { return FColumns; }
    TTestColumns* FColumns;
};

class TTestMemo : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList Lines MEMBER Lines)
    Q_PROPERTY(int Width MEMBER Width)
public:
    using QWidget::QWidget;
    QStringList Lines;
    int Width = 40;
};

class TTestForm : public TLnForm {
    Q_OBJECT
public:
    TTestForm()
    {
        setObjectName("TestForm");
        setWindowTitle("9");
        auto* Panel = new QWidget(this);
        Grid = new TTestGrid(Panel);
        Grid->setObjectName("ItemsGrid");
        Memo = new TTestMemo(Panel);
        Memo->setObjectName("NotesMemo");
        Edit = new QLineEdit(Panel);
        Edit->setObjectName("CompanyEdit");
        ApplyLanguage();
    }
    TTestGrid* Grid;
    TTestMemo* Memo;
    QLineEdit* Edit;
};

namespace {

struct TDocumentScope {
    explicit TDocumentScope(const std::string& Xml)
    {
        LangDocument = Xml.empty() ? nullptr : new TXMLNode(Xml, false, nullptr);
    }
    ~TDocumentScope()
    {
        delete LangDocument;
        LangDocument = nullptr;
    }
};

QString ColumnTitle(TTestForm& Form, int Index)
{
    return Form.Grid->FColumns->FItems[Index]->FTitle->Caption;
}

void SendKey(QEvent::Type Type, int Key, Qt::KeyboardModifiers Modifiers, quint32 ScanCode, const QString& Text = {})
{
    QKeyEvent Event(Type, Key, Modifiers, ScanCode, 0, 0, Text);
    QApplication::sendEvent(QApplication::focusWidget(), &Event);
}

}  // namespace

class LnFrameTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { ShowLanguageWizard = nullptr; }

    void appliesTheFormsEntriesAndIgnoresWhatItCannotApply()
    {
        TDocumentScope Doc("<lang><TTestForm Caption=\"Bestellung\">"
                           "<ItemsGrid Hint=\"Positionen\"><Columns><1><Title Caption=\"Beschreibung\"/></1></Columns>"
                           "</ItemsGrid>"
                           "<Nobody Caption=\"x\"/>"
                           "<NotesMemo Width=\"100\" Lines=\"a|b|\" Unknown=\"u\">text<!-- note --></NotesMemo>"
                           "<itemsgrid><Columns><0><Title Caption=\"Teil\"/></0></Columns></itemsgrid>"
                           "</TTestForm></lang>");
        TTestForm Form;
        QCOMPARE(Form.windowTitle(), QString("Bestellung"));
        QCOMPARE(Form.Grid->toolTip(), QString("Positionen"));
        QCOMPARE(ColumnTitle(Form, 1), QString("Beschreibung"));
        QCOMPARE(ColumnTitle(Form, 2), QString());
        // A non-string property stays; entries after an unknown component still apply,
        // and components are found ignoring case.
        QCOMPARE(Form.Memo->Width, 40);
        QCOMPARE(Form.Memo->Lines, QStringList({"a", "b"}));
        QCOMPARE(ColumnTitle(Form, 0), QString("Teil"));
    }

    void theFormElementIsNamedByClassForDerivedFormsAndByNameForThePlainForm()
    {
        {
            TDocumentScope Doc("<lang><TestForm Caption=\"by name\"/></lang>");
            TTestForm Form;
            QCOMPARE(Form.FormKey(), QString("TTestForm"));
            QCOMPARE(Form.windowTitle(), QString("9"));
        }
        {
            TDocumentScope Doc("<lang><Plain Caption=\"by name\"/><TLnForm Caption=\"by class\"/></lang>");
            TLnForm Form;
            Form.setObjectName("Plain");
            Form.ApplyLanguage();
            QCOMPARE(Form.windowTitle(), QString("by name"));
        }
        {
            TDocumentScope Doc("");
            TTestForm Form;
            QCOMPARE(Form.windowTitle(), QString("9"));
        }
    }

    void badCollectionIndexesRaise()
    {
        TDocumentScope Doc("");
        TTestForm Form;
        QVERIFY_THROWS_EXCEPTION(EConvertError, ApplyProperty(&Form, "ItemsGrid.Columns.x.Title.Caption", "t"));
        QVERIFY_THROWS_EXCEPTION(EListError, ApplyProperty(&Form, "ItemsGrid.Columns.3.Title.Caption", "t"));
        ApplyProperty(&Form, "..ItemsGrid..Columns.2.Title.Caption", "t");
        QCOMPARE(ColumnTitle(Form, 2), QString("t"));

        // From the file such entries are skipped and the rest applies.
        TDocumentScope Faulty("<lang><TTestForm><ItemsGrid><Columns><x><Title Caption=\"a\"/></x>"
                              "<7><Title Caption=\"b\"/></7><1><Title Caption=\"c\"/></1></Columns></ItemsGrid>"
                              "</TTestForm></lang>");
        TTestForm Translated;
        QCOMPARE(ColumnTitle(Translated, 1), QString("c"));
    }

    void storedEntriesLandWhereTheyAreReadBack()
    {
        TDocumentScope Doc("<lang/>");
        {
            TTestForm Form;
            StoreProperty(&Form, "TTestForm.Caption", "Auftrag");
            StoreProperty(&Form, "ItemsGrid.Hint", "Zeilen");
            StoreProperty(&Form, "ItemsGrid.Columns.0.Title.Caption", "Teil");
            StoreProperty(&Form, "NotesMemo.Lines", "x|y|");
            QCOMPARE(LangDocument->GetXml(),
                     std::string("<lang><TTestForm Caption=\"Auftrag\"><ItemsGrid Hint=\"Zeilen\"><Columns><0>"
                                 "<Title Caption=\"Teil\"/></0></Columns></ItemsGrid><NotesMemo Lines=\"x|y|\"/>"
                                 "</TTestForm></lang>"));
        }
        TTestForm Again;
        QCOMPARE(Again.windowTitle(), QString("Auftrag"));
        QCOMPARE(Again.Grid->toolTip(), QString("Zeilen"));
        QCOMPARE(ColumnTitle(Again, 0), QString("Teil"));
        QCOMPARE(Again.Memo->Lines, QStringList({"x", "y"}));
        // An empty value removes the entry.
        StoreProperty(&Again, "ItemsGrid.Hint", "");
        QVERIFY(LangDocument->GetXml().find("Hint") == std::string::npos);
    }

    void withoutADocumentNothingIsStored()
    {
        TDocumentScope Doc("");
        TTestForm Form;
        StoreProperty(&Form, "ItemsGrid.Hint", "x");
        QVERIFY(!LangDocument);
    }

    void leftAltLOpensTheWizardWhicheverControlHasTheFocus()
    {
        TDocumentScope Doc("");
        TTestForm Form;
        TLnForm* Opened = nullptr;
        ShowLanguageWizard = [&](TLnForm* F) { Opened = F; };
        Form.show();
        Form.activateWindow();
        Form.Edit->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&Form));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form.Edit));

        // The right Alt key (AltGr, X11 key code 108) does not count: the edit gets the L.
        SendKey(QEvent::KeyPress, Qt::Key_AltGr, Qt::NoModifier, 108);
        SendKey(QEvent::KeyPress, Qt::Key_L, Qt::GroupSwitchModifier, 46, "l");
        SendKey(QEvent::KeyRelease, Qt::Key_AltGr, Qt::NoModifier, 108);
        SendKey(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier, 108);
        SendKey(QEvent::KeyPress, Qt::Key_L, Qt::AltModifier, 46, "l");
        SendKey(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier, 108);
        QVERIFY(!Opened);
        QCOMPARE(Form.Edit->text(), QString("ll"));

        // The left one (key code 64), with other modifiers held too, opens it and
        // consumes the key.
        SendKey(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier, 64);
        SendKey(QEvent::KeyPress, Qt::Key_L, Qt::AltModifier | Qt::ShiftModifier, 46, "L");
        QCOMPARE(Opened, &Form);
        QCOMPARE(Form.Edit->text(), QString("ll"));
        SendKey(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier, 64);
        Opened = nullptr;
        SendKey(QEvent::KeyPress, Qt::Key_L, Qt::NoModifier, 46, "l");
        QVERIFY(!Opened);
        QCOMPARE(Form.Edit->text(), QString("lll"));
    }

    void ctrlF1ShowsTheFormsName()
    {
        TDocumentScope Doc("");
        TTestForm Form;
        Form.show();
        Form.Edit->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&Form));
        QList<TMessageRequest> Asked;
        TMessageResponderScope Responder([&](const TMessageRequest& R) {
            Asked.append(R);
            return mrCancel;
        });
        SendKey(QEvent::KeyPress, Qt::Key_F1, Qt::ControlModifier, 67);
        QCOMPARE(Asked.size(), 1);
        QCOMPARE(Asked[0].Text, QString("TestForm"));
        QCOMPARE(Asked[0].Caption, QString("Help ID"));
        QVERIFY(Asked[0].Buttons == TMsgDlgButtons({mbOK, mbCancel}));
    }
};

QTEST_MAIN(LnFrameTest)
#include "lnframe_test.moc"
