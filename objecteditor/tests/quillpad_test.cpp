// quillpad end to end in a temporary folder: the first run writes the default
// object, an edit made in the control survives a restart, a broken object gives way
// to the default without a word (kept aside in object.xml.bak), a faulty schema never
// costs the user's object, a read-only folder still takes the save, and a failed save
// keeps the old file and says so.
#include "objecteditor/object_editor_window.h"

#include "platform/core/exceptions.h"
#include "platform/widgets/messages.h"
#include "xmllib/strs.h"
#include "inspector/inplace_controls.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "testsupport/ordinaryuser.h"

#include <csignal>
#include <unistd.h>

namespace {

QByteArray Bytes(const QString& File)
{
    QFile F(File);
    return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray("<missing>");
}

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
    for (int I = 0; I < Ins->RowCount(); ++I)
        if (Ins->Rows(I)->Editor->GetName() == Name)
            return I;
    return -1;
}

// The shipped schema with one declaration made faulty for row building.
QByteArray FaultySchema(const QByteArray& Fault)
{
    QByteArray Schema = Bytes(QUILLPAD_SCHEME);
    const QByteArray Name = "<xsd:element name=\"Name\" default=\"Quorvale Trading Ltd.\">";
    const QByteArray Employees = "<xsd:element name=\"Employees\" type=\"xsd:integer\" default=\"12\">";
    QByteArray Faulty;
    if (Fault == "minOccurs") {
        Faulty = "<xsd:element name=\"Employees\" type=\"xsd:integer\" default=\"12\" minOccurs=\"many\">";
    } else if (Fault == "ref") {
        // A required reference to a declaration the schema does not have.
        Faulty = "<xsd:element ref=\"NoSuchDeclaration\"/>\n    " + Employees;
    } else {
        // An optional one, which the object holds.
        Faulty = "<xsd:element ref=\"NoSuchDeclaration\" minOccurs=\"0\"/>\n    " + Name;
    }
    Schema.replace(Fault == "ref held" ? Name : Employees, Faulty);
    Q_ASSERT(Schema.contains("NoSuchDeclaration") || Schema.contains("many"));
    return Schema;
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
        // The caption names the object file it edits.
        QCOMPARE(R.Form->windowTitle(), QString("object.xml - Nodescope"));
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
            QVERIFY(R.Ins()->RowCount() >= 10);
            QCOMPARE(R.Ins()->SelectedRow(), 0);
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

    void theEndOfTheSessionSavesTheObject()
    {
        // The program itself, beside its schema; SIGTERM comes at once, held by the
        // signal mask until the program can take it.
        QVERIFY(QFile::copy(QUILLPAD_EXE, Folder.filePath("quillpad")));
        QFile::setPermissions(Folder.filePath("quillpad"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcess Program;
        Program.setChildProcessModifier([] {
            sigset_t Blocked;
            sigemptyset(&Blocked);
            sigaddset(&Blocked, SIGTERM);
            ::sigprocmask(SIG_BLOCK, &Blocked, nullptr);
        });
        Program.start(Folder.filePath("quillpad"), {});
        QVERIFY(Program.waitForStarted());
        ::kill(pid_t(Program.processId()), SIGTERM);
        if (!Program.waitForFinished(60000)) {
            Program.kill();
            Program.waitForFinished();
            QFAIL("quillpad did not end on SIGTERM");
        }
        QCOMPARE(Program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(Program.exitCode(), 0);
        QVERIFY(Read(Object()).contains("<Name>Quorvale Trading Ltd.</Name>"));
    }

    void editSurvivesARestart()
    {
        TMessageRecorder Boxes;
        {
            Run R;
            const int Row = RowNamed(R.Ins(), "Company name");
            QVERIFY(Row >= 0);
            R.Ins()->SelectRow(Row);
            TZInplaceEdit* Edit = R.Ins()->InplaceEdit();
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

    void brokenObjectReplacesAnOlderBackup()
    {
        TMessageRecorder Boxes;
        Write(Object() + ".bak", "<LegalCustomer><Name>older backup</Name></LegalCustomer>");
        const QByteArray Broken = "<LegalCustomer><Name>newly broken</Wrong>";
        Write(Object(), Broken);
        {
            Run R;
        }
        QCOMPARE(Bytes(Object() + ".bak"), Broken);
        QVERIFY(Read(Object()).contains("<Name>Quorvale Trading Ltd.</Name>"));
        // The next run reads the default instance fine: the backup of the broken
        // object is not overwritten by it.
        {
            Run R;
        }
        QCOMPARE(Bytes(Object() + ".bak"), Broken);
        QVERIFY(Boxes.Requests.empty());
        QCOMPARE(QDir(Folder.path()).entryList(QDir::Files).size(), 3);  // no temporary left over
    }

    void schemaFaultLeavesTheObjectAlone_data()
    {
        QTest::addColumn<QByteArray>("Fault");
        QTest::addColumn<QByteArray>("Held");
        QTest::addColumn<QString>("Says");
        QTest::newRow("non-numeric minOccurs") << QByteArray("minOccurs") << QByteArray()
                                               << QString("'many' is not a valid integer value");
        // The message is the one the default instance of the reference gives.
        QTest::newRow("missing declaration") << QByteArray("ref") << QByteArray() << QString();
        QTest::newRow("missing declaration held") << QByteArray("ref held")
                                                  << QByteArray("\t<NoSuchDeclaration>x</NoSuchDeclaration>\n")
                                                  << QString("referenced type NoSuchDeclaration not found");
    }

    void schemaFaultLeavesTheObjectAlone()
    {
        QFETCH(QByteArray, Fault);
        QFETCH(QByteArray, Held);
        QFETCH(QString, Says);
        TMessageRecorder Boxes;
        // The user's object, valid, in the user's own layout.
        const QByteArray Mine = "<LegalCustomer>\n" + Held + "\t<Name>Brightwater AG</Name>\n\t<Employees>250</Employees>\n"
                                "\t<Address><City>Graz</City></Address>\n</LegalCustomer>\n";
        const QByteArray Backup = "<LegalCustomer><Name>an older backup</Name></LegalCustomer>";
        Write(Object(), Mine);
        Write(Object() + ".bak", Backup);
        Write(Folder.filePath("scheme.xsd"), FaultySchema(Fault));
        for (int Pass = 1; Pass <= 2; ++Pass) {
            bool Shown = true;
            {
                Run R;
                Shown = R.Ins()->Node() != nullptr || R.Ins()->RowCount() != 0;
            }
            QCOMPARE(Bytes(Object()), Mine);
            QCOMPARE(Bytes(Object() + ".bak"), Backup);
            // Nothing was shown rather than a default instance in the object's place.
            QVERIFY(!Shown);
            QCOMPARE(int(Boxes.Requests.size()), Pass);
            QCOMPARE(Boxes.Requests.back().Type, mtError);
            QVERIFY2(Says.isEmpty() || Boxes.Requests.back().Text.contains(Says), qPrintable(Boxes.Requests.back().Text));
            QVERIFY2(Boxes.Requests.back().Text.contains("object.xml"), qPrintable(Boxes.Requests.back().Text));
        }
        QCOMPARE(QDir(Folder.path()).entryList(QDir::Files).size(), 3);

        // Without an object the fault is reported too, and no default object is written.
        QFile::remove(Object());
        {
            Run R;
            QVERIFY(R.Ins()->Node() == nullptr);
        }
        QVERIFY(!QFile::exists(Object()));
        QCOMPARE(Bytes(Object() + ".bak"), Backup);
        QCOMPARE(int(Boxes.Requests.size()), 3);
    }

    void readOnlyFolderTakesTheSaveInPlace()
    {
        TMessageRecorder Boxes;
        const QString Locked = Folder.filePath("locked");
        QVERIFY(QDir().mkpath(Locked));
        const QString File = Locked + "/object.xml";
        Write(File, "<LegalCustomer Number=\"K1\"><Name>Old</Name></LegalCustomer>");
        QVERIFY(QFile::copy(QUILLPAD_SCHEME, Locked + "/scheme.xsd"));
        // The folder lets everyone in but nobody create a file; the object stays writable.
        const auto Open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(Folder.path(), Open));
        QVERIFY(QFile::setPermissions(File, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup |
                                                QFile::ReadOther | QFile::WriteOther));
        QVERIFY(QFile::setPermissions(Locked, Open & ~QFile::WriteOwner));
        const auto Unlock = qScopeGuard([&] { QFile::setPermissions(Locked, Open); });
        TForm1::SetDataFolder(Locked.toStdString());
        {
            AsOrdinaryUser User;
            if (!User.Ok())
                QSKIP("no other user to act as");
            QFile Probe(Locked + "/probe");
            if (Probe.open(QIODevice::WriteOnly)) {
                Probe.remove();
                QSKIP("the folder still takes new files");
            }
            {
                Run R;
                const int Row = RowNamed(R.Ins(), "Company name");
                R.Ins()->SelectRow(Row);
                TZInplaceEdit* Edit = R.Ins()->InplaceEdit();
                Edit->setFocus();
                Edit->selectAll();
                QTest::keyClicks(Edit, "Saved in place");
                QTest::keyClick(Edit, Qt::Key_Return);
            }
            QVERIFY2(Boxes.Requests.empty(), Boxes.Requests.empty() ? "" : qPrintable(Boxes.Requests[0].Text));
            QVERIFY(Read(File).contains("<Name>Saved in place</Name>"));
            QVERIFY(Read(File).contains("Number=\"K1\""));
            QCOMPARE(QDir(Locked).entryList(QDir::Files).size(), 2);
            // Shorter text leaves nothing of the longer old one behind.
            SaveFileAtomically("<a/>", File.toStdString());
            QCOMPARE(Bytes(File), QByteArray("<a/>"));
        }
        // A read-only object in that folder cannot be saved either way, and the
        // message says that the in-place write was tried too.
        QVERIFY(QFile::setPermissions(File, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        {
            AsOrdinaryUser User;
            QVERIFY(User.Ok());
            try {
                SaveFileAtomically("<b/>", File.toStdString());
                QFAIL("saved over a read-only file in a read-only folder");
            } catch (const EFCreateError& E) {
                const QString Text = QString::fromStdString(E.Message);
                QVERIFY2(Text.startsWith("Cannot create file \"" + File + "\"."), qPrintable(Text));
                QVERIFY2(Text.contains("temporary file"), qPrintable(Text));
                QVERIFY2(Text.contains("in place"), qPrintable(Text));
            }
            QCOMPARE(Bytes(File), QByteArray("<a/>"));
            // A new file cannot be made in such a folder at all.
            QVERIFY_THROWS_EXCEPTION(EFCreateError, SaveFileAtomically("<c/>", (Locked + "/new.xml").toStdString()));
            QVERIFY(!QFile::exists(Locked + "/new.xml"));
        }
        TForm1::SetDataFolder(Folder.path().toStdString());
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
            QCOMPARE(R.Ins()->RowCount(), 0);
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
            QCOMPARE(R.Ins()->RowCount(), 0);
        }
        QCOMPARE(int(Boxes.Requests.size()), 2);
        QVERIFY(Boxes.Requests[1].Text.contains("LegalCustomer"));
        QCOMPARE(Read(Object()), QString("<LegalCustomer><Name>Kept</Name></LegalCustomer>"));
    }
};

QTEST_MAIN(QuillpadTest)
#include "quillpad_test.moc"
