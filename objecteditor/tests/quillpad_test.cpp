// quillpad end to end in a temporary folder: the first run writes the default
// object, an edit made in the control survives a restart, a broken object gives way
// to the default without a word, and a failed save keeps the old file and says so.
#include "Unit1.h"

#include "exceptions.h"
#include "messages.h"
#include "strs.h"
#include "xsdins.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString Read(const QString& File)
{
    QFile F(File);
    return F.open(QIODevice::ReadOnly) ? QString::fromUtf8(F.readAll()) : QString("<missing>");
}

void Write(const QString& File, const QByteArray& Bytes)
{
    QFile F(File);
    QVERIFY(F.open(QIODevice::WriteOnly | QIODevice::Truncate));
    F.write(Bytes);
}

int RowNamed(TNodescope* Ins, const std::string& Name)
{
    for (int I = 0; I < Ins->FRowCount; ++I)
        if (Ins->FRows->Rows(I)->Editor->GetName() == Name)
            return I;
    return -1;
}

// One run of the program's window: created, shown, and destroyed at scope end.
struct Run {
    std::unique_ptr<TForm1> Form;
    Run()
    {
        Form = std::make_unique<TForm1>();
        Form->show();
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
    }
    TNodescope* Ins() const { return Form->Nodescope1(); }
};

} // namespace

class QuillpadTest : public QObject {
    Q_OBJECT

    QTemporaryDir Folder;
    QString Object() const { return Folder.filePath("object.xml"); }

private slots:
    void init()
    {
        QVERIFY(Folder.isValid());
        QDir(Folder.path()).removeRecursively();
        QDir().mkpath(Folder.path());
        QVERIFY(QFile::copy(QUILLPAD_SCHEME, Folder.filePath("scheme.xsd")));
        TForm1::SetDataFolder(Folder.path().toStdString());
    }

    void cleanupTestCase() { TForm1::SetDataFolder(std::string()); }

    void windowAndFolder()
    {
        TMessageRecorder Boxes;
        Run R;
        QCOMPARE(R.Form->windowTitle(), QString("Nodescope"));
        QCOMPARE(R.Form->objectName(), QString("Form1"));
        QCOMPARE(R.Ins()->objectName(), QString("Nodescope1"));
        QVERIFY(!R.Ins()->ReadOnly());
        QCOMPARE(QString::fromStdString(TForm1::DataFolder()), Folder.path() + "/");
        TForm1::SetDataFolder(std::string());
        QCOMPARE(TForm1::DataFolder(), AppFolder);
        TForm1::SetDataFolder(Folder.path().toStdString());
        QVERIFY(Boxes.Requests.empty());
    }

    void firstRunWritesTheDefaultObject()
    {
        TMessageRecorder Boxes;
        QVERIFY(!QFile::exists(Object()));
        {
            Run R;
            QCOMPARE(QString::fromStdString(R.Ins()->Node()->Name), QString("LegalCustomer"));
            QVERIFY(R.Ins()->FRowCount >= 10);
            QCOMPARE(R.Ins()->FRow, 0);
            QVERIFY(!QFile::exists(Object()));  // nothing is written before the end
        }
        const QString Text = Read(Object());
        std::unique_ptr<TXMLNode> Schema(TXMLNode::CreateFromFile(Folder.filePath("scheme.xsd").toStdString(), nullptr));
        std::unique_ptr<TXMLNode> Default(CreateSkeleton(Schema->FindChildByAttribute("name", "LegalCustomer"), true, true));
        QCOMPARE(Text, QString::fromStdString(Default->GetIndentedXml(" ")));
        QVERIFY(Text.contains("\n <Name>Quorvale Trading Ltd.</Name>"));
        QVERIFY(Text.contains("\n  <City>Linz</City>"));
        QVERIFY(Boxes.Requests.empty());
        QCOMPARE(QDir(Folder.path()).entryList(QDir::Files).size(), 2);  // no temporary left over
    }

    void editSurvivesARestart()
    {
        TMessageRecorder Boxes;
        {
            Run R;
            const int Row = RowNamed(R.Ins(), "Company name");
            QVERIFY(Row >= 0);
            R.Ins()->SelectRow(Row);
            TZInplaceEdit* Edit = R.Ins()->FInplaceEdit;
            Edit->setFocus();
            Edit->selectAll();
            QTest::keyClicks(Edit, "Brightwater AG");
            QTest::keyClick(Edit, Qt::Key_Return);
            const int Vip = RowNamed(R.Ins(), "Tax exempt");
            R.Ins()->SelectRow(Vip);
            QTest::keyClick(Edit, Qt::Key_Space);
            // Typing still pending when the window goes is kept too.
            const int Employees = RowNamed(R.Ins(), "Employees");
            R.Ins()->SelectRow(Employees);
            Edit->selectAll();
            QTest::keyClicks(Edit, "250");
        }
        QVERIFY(Read(Object()).contains("<Name>Brightwater AG</Name>"));
        {
            Run R;
            QCOMPARE(QString::fromStdString(R.Ins()->GetRowValue(RowNamed(R.Ins(), "Company name"))),
                     QString("Brightwater AG"));
            QCOMPARE(QString::fromStdString(R.Ins()->GetRowValue(RowNamed(R.Ins(), "Tax exempt"))), QString("true"));
            QCOMPARE(QString::fromStdString(R.Ins()->GetRowValue(RowNamed(R.Ins(), "Employees"))), QString("250"));
        }
        QVERIFY(Boxes.Requests.empty());
    }

    void brokenObjectIsReplacedSilently()
    {
        TMessageRecorder Boxes;
        Write(Object(), "<LegalCustomer><Name>half</Wrong>");
        {
            Run R;
            QCOMPARE(QString::fromStdString(R.Ins()->GetRowValue(RowNamed(R.Ins(), "Company name"))),
                     QString("Quorvale Trading Ltd."));
        }
        QVERIFY(Boxes.Requests.empty());
        QVERIFY(Read(Object()).contains("<Name>Quorvale Trading Ltd.</Name>"));
        // The unreadable file is kept aside rather than lost.
        QCOMPARE(Read(Object() + ".bak"), QString("<LegalCustomer><Name>half</Wrong>"));
    }

    void failedSaveKeepsTheOldFileAndSaysSo()
    {
        TMessageRecorder Boxes;
        {
            Run R;
            // The folder goes away under the program: the save cannot even start.
            TForm1::SetDataFolder(Folder.filePath("gone").toStdString());
        }
        TForm1::SetDataFolder(Folder.path().toStdString());
        QCOMPARE(int(Boxes.Requests.size()), 1);
        QCOMPARE(Boxes.Requests[0].Type, mtError);
        QVERIFY(Boxes.Requests[0].Text.startsWith("Cannot create file \"" + Folder.filePath("gone/object.xml")));

        // A save over an existing file replaces it whole or not at all.
        Write(Object(), "<LegalCustomer Number=\"K1\"><Name>Old</Name></LegalCustomer>");
        QVERIFY(QDir().mkpath(Folder.filePath("blocked/object.xml")));
        QVERIFY_THROWS_EXCEPTION(EFCreateError, SaveFileAtomically("new", Folder.filePath("blocked/object.xml").toStdString()));
        QVERIFY(QFileInfo(Folder.filePath("blocked/object.xml")).isDir());
        QCOMPARE(QDir(Folder.filePath("blocked")).entryList(QDir::Files).size(), 0);
        SaveFileAtomically("<a/>", Object().toStdString());
        QCOMPARE(Read(Object()), QString("<a/>"));
    }

    void missingSchemaOrDeclaration()
    {
        TMessageRecorder Boxes;
        QFile::remove(Folder.filePath("scheme.xsd"));
        Write(Object(), "<LegalCustomer><Name>Kept</Name></LegalCustomer>");
        {
            Run R;
            QCOMPARE(R.Ins()->FRowCount, 0);
            QVERIFY(R.Ins()->Node() == nullptr);
        }
        QCOMPARE(int(Boxes.Requests.size()), 1);
        QVERIFY(Boxes.Requests[0].Text.contains("scheme.xsd"));
        // Nothing shown, nothing written: the object stays as it was.
        QCOMPARE(Read(Object()), QString("<LegalCustomer><Name>Kept</Name></LegalCustomer>"));

        // A schema without the declaration (letter case matters) is reported the same way.
        Write(Folder.filePath("scheme.xsd"),
              "<xsd:schema><xsd:element name=\"legalcustomer\"/></xsd:schema>");
        {
            Run R;
            QCOMPARE(R.Ins()->FRowCount, 0);
        }
        QCOMPARE(int(Boxes.Requests.size()), 2);
        QVERIFY(Boxes.Requests[1].Text.contains("LegalCustomer"));
        QCOMPARE(Read(Object()), QString("<LegalCustomer><Name>Kept</Name></LegalCustomer>"));
    }
};

QTEST_MAIN(QuillpadTest)
#include "quillpad_test.moc"
