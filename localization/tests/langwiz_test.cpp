// The language wizard on a form of data-aware controls, opened with left Alt+L as a
// user opens it: which rows it lists and in what order, and where a committed row
// goes (the live control, the language document, the file) with and without a
// document, on a double click, on a failed save and when the window closes.
#include "localization/langwiz.h"
#include "localization/lnframe.h"
#include "localization/tests/sampleform.h"
#include "localization/tests/wizarddriver.h"

#include "platform/widgets/messages.h"
#include "xmllib/strs.h"
#include "xmllib/xmls.h"

#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace wizard;

namespace {

QByteArray ReadFile(const QString& Name)
{
    QFile File(Name);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& Name, const QByteArray& Bytes)
{
    QFile File(Name);
    QVERIFY(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
    File.write(Bytes);
}

// A shown, active form with the focus in Focus (the form's first control by default).
struct TShownForm {
    TSampleForm Form;
    explicit TShownForm(QWidget* Focus = nullptr)
    {
        Form.show();
        Form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Form));
        (Focus ? Focus : Form.CompanyEdit)->setFocus();
    }
    // A closed wizard hands the activation back to the window system.
    void Focus(QWidget* Widget)
    {
        Form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Form));
        Widget->setFocus();
        QCOMPARE(QApplication::focusWidget(), Widget);
    }
};

}  // namespace

class LangWizTest : public QObject {
    Q_OBJECT

    QTemporaryDir Folder;
    std::string SavedAppFolder;

    QString LangFile() const { return Folder.filePath("lang.xml"); }

    static void UseDocument(const char* Xml)
    {
        delete LangDocument;
        LangDocument = Xml ? new TXMLNode(Xml, false, nullptr) : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(Folder.isValid());
        InstallLanguageWizard();
        SavedAppFolder = AppFolder;
        AppFolder = QFile::encodeName(Folder.path() + "/").toStdString();
    }

    void init() { LangFileName = "lang.xml"; }

    void cleanup()
    {
        UseDocument(nullptr);
        QFile::remove(LangFile());
        for (QWidget* Window : QApplication::topLevelWidgets())
            if (Window->isVisible())
                Window->close();
    }

    void cleanupTestCase()
    {
        AppFolder = SavedAppFolder;
        LangFileName.clear();
        ShowLanguageWizard = nullptr;
    }

    void leftAltLOpensTheWizardForTheWholeFormWhicheverControlHasTheFocus()
    {
        TShownForm Shown;
        QWidget* Focused[] = {Shown.Form.CompanyEdit, Shown.Form.ItemsGrid};
        for (QWidget* Focus : Focused) {
            Shown.Focus(Focus);
            TLWizard* Seen = nullptr;
            QVERIFY(WithWizard([&](TLWizard& Wizard) {
                Seen = &Wizard;
                QCOMPARE(Wizard.windowTitle(), QString("Lang Wizard: SampleForm"));
                QCOMPARE(Wizard.Control(), static_cast<TLnForm*>(&Shown.Form));
                QCOMPARE(Wizard.windowModality(), Qt::ApplicationModal);
                QCOMPARE(Wizard.size(), QSize(603, 454));
                QCOMPARE(Wizard.Props->geometry(), Wizard.rect());
                QVERIFY(!Wizard.Props->ReadOnly());
                const QPoint Centre = Wizard.screen()->availableGeometry().center();
                QVERIFY((Wizard.frameGeometry().center() - Centre).manhattanLength() <= 2);
                QCOMPARE(QString::fromStdString(Wizard.Props->SchemaNode()->GetAttribute("name")), QString("FORM"));
                QCOMPARE(Wizard.Props->Node(), Wizard.Object());
                QCOMPARE(RowPaths(Wizard.Props).first(), QString("TSampleForm.Caption"));
                QCOMPARE(RowValue(Wizard.Props, "TSampleForm.Caption"), QString("Order"));
            }));
            if (QTest::currentTestFailed())
                return;
            // Freed when it closes; the form's own key went nowhere else.
            QVERIFY(Seen);
            for (QWidget* Window : QApplication::topLevelWidgets())
                QVERIFY(!qobject_cast<TLWizard*>(Window));
            QVERIFY(Shown.Form.CompanyEdit->text().isEmpty());
        }
    }

    void rowsAreTheStringPropertiesOfTheFormAndItsVisibleComponents()
    {
        TShownForm Shown;
        QStringList Paths;
        QMap<QString, QString> Values;
        QVERIFY(WithWizard([&](TLWizard& Wizard) {
            Paths = RowPaths(Wizard.Props);
            for (const QString& Path : Paths)
                Values[Path] = RowValue(Wizard.Props, Path);
            // One declaration of a plain string per row, in the rows' order.
            TXMLNode* Sequence = Wizard.Props->SchemaNode()->Child(0)->Child(0);
            QCOMPARE(Sequence->ChildCount(), int(Paths.size()));
            for (int I = 0; I < Sequence->ChildCount(); ++I) {
                QCOMPARE(QString::fromStdString(Sequence->Child(I)->GetAttribute("name")), Paths[I]);
                QCOMPARE(QString::fromStdString(Sequence->Child(I)->GetAttribute("type")), QString("xsd:string"));
            }
        }));
        if (QTest::currentTestFailed())
            return;

        // Collection items by index, nested objects by name, string lists joined by bars.
        QCOMPARE(Values.value("ItemsGrid.Columns.0.Title.Caption"), QString("Part"));
        QCOMPARE(Values.value("ItemsGrid.Columns.1.Title.Caption"), QString("Description"));
        QCOMPARE(Values.value("ItemsGrid.Hint"), QString("Lines"));
        QCOMPARE(Values.value("CompanyEdit.Hint"), QString("The customer's company"));
        QCOMPARE(Values.value("CompanyLabel.Caption"), QString("Company"));
        QCOMPARE(Values.value("PaymentGroup.Caption"), QString("Payment"));
        QCOMPARE(Values.value("PaymentGroup.Items"), QString("Cash|Check|"));
        QCOMPARE(Values.value("NotesMemo.Lines"), QString("a|b|"));
        // Each object's rows sorted by property name, components in the form's order.
        QStringList SampleRows;
        for (const QString& Path : Paths)
            if (Path.startsWith("Sample."))
                SampleRows.append(Path);
        QCOMPARE(SampleRows, QStringList({"Sample.Beta", "Sample.Caption", "Sample.Inner.Text", "Sample.Zeta"}));
        QCOMPARE(Values.value("Sample.Inner.Text"), QString("inner"));
        QVERIFY(Paths.indexOf("ItemsGrid.Columns.0.Title.Caption") < Paths.indexOf("ItemsGrid.Columns.1.Title.Caption"));
        QVERIFY(Paths.indexOf("ItemsGrid.Columns.1.Title.Caption") < Paths.indexOf("ItemsGrid.Hint"));
        QVERIFY(Paths.indexOf("CompanyLabel.Caption") < Paths.indexOf("CompanyEdit.Hint"));
        QVERIFY(Paths.indexOf("NotesMemo.Lines") < Paths.indexOf("ItemsGrid.Hint"));

        for (const QString& Path : Paths) {
            const QString Last = Path.section('.', -1);
            QVERIFY2(Last != "Name" && Last != "FieldName" && Last != "ImeName", qPrintable(Path));
            // References to other components, and object properties holding nothing.
            QVERIFY2(!Path.contains("DataSource") && !Path.contains("PopupMenu") && !Path.contains("FocusControl"),
                     qPrintable(Path));
            QVERIFY2(!Path.contains("Empty"), qPrintable(Path));
            // Components without Visible, and objects without a name of their own.
            QVERIFY2(!Path.startsWith("CustomerSource.") && !Path.startsWith("Helper.")
                         && !Path.startsWith("SampleMenu.") && !Path.startsWith("."),
                     qPrintable(Path));
        }
    }

    void editingAGridHintChangesTheGridTheDocumentAndTheFile()
    {
        UseDocument("<lang/>");
        TShownForm Shown;
        QVERIFY(WithWizard([&](TLWizard& Wizard) {
            QVERIFY(EditRow(Wizard.Props, "ItemsGrid.Hint", "Zeilen"));
            QCOMPARE(Shown.Form.ItemsGrid->toolTip(), QString("Zeilen"));
            QVERIFY(EditRow(Wizard.Props, "ItemsGrid.Columns.1.Title.Caption", "Text"));
            QCOMPARE(Shown.Form.ItemsGrid->Columns()->Items(1)->Title()->Caption(), QString("Text"));
            QCOMPARE(RowValue(Wizard.Props, "ItemsGrid.Hint"), QString("Zeilen"));
        }));
        if (QTest::currentTestFailed())
            return;
        // Both elements created, the file written indented by single blanks.
        QCOMPARE(LangDocument->GetPathText("TSampleForm/ItemsGrid/@Hint"), std::string("Zeilen"));
        QCOMPARE(LangDocument->GetPathText("TSampleForm/ItemsGrid/Columns/1/Title/@Caption"), std::string("Text"));
        const QByteArray Written = ReadFile(LangFile());
        QCOMPARE(Written, QByteArray::fromStdString(LangDocument->GetIndentedXml(" ")));
        QVERIFY2(Written.contains("\r\n <TSampleForm>\r\n  <ItemsGrid Hint=\"Zeilen\">\r\n   <Columns>"), Written.constData());
        QCOMPARE(QDir(Folder.path()).entryList(QDir::Files), QStringList({"lang.xml"}));
    }

    void aStringListEditedToXBarYGivesTheControlTwoLines()
    {
        UseDocument("<lang/>");
        TShownForm Shown;
        QVERIFY(WithWizard([&](TLWizard& Wizard) {
            QVERIFY(EditRow(Wizard.Props, "NotesMemo.Lines", "x|y"));
            QVERIFY(EditRow(Wizard.Props, "PaymentGroup.Items", "Bar|Scheck|"));
        }));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(Shown.Form.NotesMemo->Lines(), QStringList({"x", "y"}));
        QCOMPARE(Shown.Form.PaymentGroup->Items(), QStringList({"Bar", "Scheck"}));
        QCOMPARE(LangDocument->GetPathText("TSampleForm/NotesMemo/@Lines"), std::string("x|y"));
        QVERIFY(ReadFile(LangFile()).contains("<NotesMemo Lines=\"x|y\"/>"));
    }

    void theFormsCaptionChangesOnScreenAndIsReadBackAtTheNextStart()
    {
        UseDocument("<lang/>");
        {
            TShownForm Shown;
            QVERIFY(WithWizard([&](TLWizard& Wizard) {
                QVERIFY(EditRow(Wizard.Props, "TSampleForm.Caption", "Auftrag"));
                QCOMPARE(Shown.Form.windowTitle(), QString("Auftrag"));
            }));
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(LangDocument->GetPathText("TSampleForm/@Caption"), std::string("Auftrag"));
        // The next start reads the file the wizard wrote.
        UseDocument(nullptr);
        LangDocument = TXMLNode::CreateFromFile(QFile::encodeName(LangFile()).toStdString(), nullptr);
        TSampleForm Again;
        QCOMPARE(Again.windowTitle(), QString("Auftrag"));
    }

    void aDoubleClickOnARowStillRewritesTheFile()
    {
        UseDocument("<lang><TSampleForm Caption=\"Order\"/></lang>");
        WriteFile(LangFile(), "stale");
        TShownForm Shown;
        int Changes = 0;
        QVERIFY(WithWizard([&](TLWizard& Wizard) {
            const TChangeEvent Handler = Wizard.Props->OnChange;
            Wizard.Props->OnChange = [&](TNodescope* Sender, TXMLPropEditor* Prop) {
                ++Changes;
                Handler(Sender, Prop);
            };
            QVERIFY(DoubleClickRow(Wizard.Props, "CompanyEdit.Hint"));
            QCOMPARE(RowValue(Wizard.Props, "CompanyEdit.Hint"), QString("The customer's company"));
        }));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(Changes, 1);
        QCOMPARE(Shown.Form.CompanyEdit->toolTip(), QString("The customer's company"));
        QCOMPARE(LangDocument->GetPathText("TSampleForm/CompanyEdit/@Hint"), std::string("The customer's company"));
        QCOMPARE(ReadFile(LangFile()), QByteArray::fromStdString(LangDocument->GetIndentedXml(" ")));
    }

    void withoutADocumentTheControlChangesAndNothingIsWritten()
    {
        UseDocument(nullptr);
        TShownForm Shown;
        QVERIFY(WithWizard([&](TLWizard& Wizard) {
            QVERIFY(EditRow(Wizard.Props, "ItemsGrid.Hint", "Zeilen"));
            QVERIFY(EditRow(Wizard.Props, "NotesMemo.Lines", "x|y"));
        }));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(Shown.Form.ItemsGrid->toolTip(), QString("Zeilen"));
        QCOMPARE(Shown.Form.NotesMemo->Lines(), QStringList({"x", "y"}));
        QVERIFY(!LangDocument);
        QVERIFY(QDir(Folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void aFailedSaveIsReportedAndTheOldFileStays()
    {
        UseDocument("<lang/>");
        LangFileName = "no-such-folder/lang.xml";
        TShownForm Shown;
        TMessageRecorder Boxes;
        QVERIFY(WithWizard([&](TLWizard& Wizard) {
            QVERIFY(EditRow(Wizard.Props, "ItemsGrid.Hint", "Zeilen"));
        }));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(int(Boxes.Requests.size()), 1);
        QCOMPARE(Boxes.Requests[0].Type, mtError);
        QVERIFY2(Boxes.Requests[0].Text.contains("no-such-folder"), qPrintable(Boxes.Requests[0].Text));
        // The screen and the document changed; the next good save writes them.
        QCOMPARE(Shown.Form.ItemsGrid->toolTip(), QString("Zeilen"));
        QCOMPARE(LangDocument->GetPathText("TSampleForm/ItemsGrid/@Hint"), std::string("Zeilen"));
        QVERIFY(!QDir(Folder.filePath("no-such-folder")).exists());
    }

    void typingLeftInTheEditIsKeptWhenTheWizardCloses()
    {
        UseDocument("<lang/>");
        TShownForm Shown;
        QVERIFY(WithWizard([&](TLWizard& Wizard) {
            const int Row = RowOf(Wizard.Props, "CompanyLabel.Caption");
            QVERIFY(Row >= 0);
            QVERIFY(Wizard.Props->SelectRow(Row));
            Wizard.Props->InplaceEdit()->setFocus();
            Wizard.Props->InplaceEdit()->selectAll();
            QTest::keyClicks(Wizard.Props->InplaceEdit(), "Firma");
        }));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(Shown.Form.CompanyLabel->text(), QString("Firma"));
        QVERIFY(ReadFile(LangFile()).contains("<CompanyLabel Caption=\"Firma\"/>"));
    }

    void aSecondBuildReplacesTheRowsAndKeepsTheSelectedRow()
    {
        TSampleForm Form;
        TLWizard Wizard;
        Wizard.BuildSchema(&Form);
        const int Rows = Wizard.Props->RowCount();
        QVERIFY(Wizard.Props->SelectRow(RowOf(Wizard.Props, "ItemsGrid.Hint")));
        TXMLNode* FirstObject = Wizard.Object();
        Form.ItemsGrid->setToolTip("Changed");
        Wizard.BuildSchema(&Form);
        QVERIFY(Wizard.Object() != FirstObject);
        QCOMPARE(Wizard.Props->Node(), Wizard.Object());
        QCOMPARE(Wizard.Props->RowCount(), Rows);
        QCOMPARE(Wizard.Props->SelectedRow(), RowOf(Wizard.Props, "ItemsGrid.Hint"));
        QCOMPARE(RowValue(Wizard.Props, "ItemsGrid.Hint"), QString("Changed"));
        // Rows of a form already translated show the translation.
        UseDocument("<lang><TSampleForm><NotesMemo Lines=\"p|q|\"/></TSampleForm></lang>");
        TSampleForm Translated;
        Wizard.BuildSchema(&Translated);
        QCOMPARE(Wizard.Control(), static_cast<TLnForm*>(&Translated));
        QCOMPARE(RowValue(Wizard.Props, "NotesMemo.Lines"), QString("p|q|"));
    }
};

QTEST_MAIN(LangWizTest)
#include "langwiz_test.moc"
