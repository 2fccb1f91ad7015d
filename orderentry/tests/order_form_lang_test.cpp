// The order form's language file: its entries translate the form as it is created (the
// shipped file among them); a missing file starts the form untranslated and the first
// close creates it; a file that cannot be read is named once, kept aside and the form
// starts all the same; every close writes the document back compact through a
// temporary file, so a failed write is reported and leaves the old file, and a
// program killed while writing leaves the old file or the new one, never a part.
#include "orderentry/tests/order_fixture.h"

#include "platform/widgets/application.h"
#include "testsupport/ordinaryuser.h"
#include "xmllib/xmls.h"

#include <QProcess>

#include <csignal>
#include <sys/stat.h>

namespace {

const char* const WriteForeverArgument = "--write-language-file";

// The two documents the killed program writes in turn, each a few megabytes long so
// that a kill lands inside a write.
std::string KillTestDocument(char Fill)
{
    std::unique_ptr<TXMLNode> root(new TXMLNode("<Language><TEdOrderForm/></Language>", false, nullptr));
    root->SetPathText("TEdOrderForm/@Hint", std::string(Fill == 'a' ? 4000000 : 6000000, Fill));
    return root->GetXml();
}

// The child's part of killDuringTheWriteLeavesTheOldFileWhole: the order form of a
// program whose folder is Folder, closed over and over, each close writing the other
// of the two documents. Prints "WRITING" once the first write is done.
int WriteLanguageFileForever(const char* Folder)
{
    TMessageRecorder quiet({}, mrOk);
    AppFolder = std::string(Folder) + "/";
    CreateVornData(nullptr);
    auto* form = new TEdOrderForm;
    TXMLNode* const documents[] = {new TXMLNode(KillTestDocument('b'), false, nullptr),
                                   new TXMLNode(KillTestDocument('a'), false, nullptr)};
    for (int i = 0;; ++i) {
        LangDocument = documents[i % 2];
        form->show();
        form->close();
        if (i == 0) {
            std::fputs("WRITING\n", stdout);
            std::fflush(stdout);
        }
        if (!quiet.Requests.empty()) {
            std::fprintf(stderr, "%s\n", qPrintable(quiet.Requests.front().Text));
            return 1;
        }
    }
}

TXMLNode* Parsed(const QByteArray& Bytes)
{
    return new TXMLNode(Bytes.toStdString(), false, nullptr);
}

} // namespace

class OrderFormLangTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FStore;
    std::unique_ptr<TMessageRecorder> FUser;

    // The order form shown and closed with its close box: nothing is pending, so the
    // close is allowed and the file written.
    static void ShowAndClose()
    {
        EdOrderForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(EdOrderForm));
        EdOrderForm->close();
        QVERIFY(!EdOrderForm->isVisible());
    }

    QStringList Asked() const
    {
        return FUser->Texts();
    }

private slots:
    void init()
    {
        try {
            FStore = OrderFormStore();
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString("the sample data could not be built: ") + e.what()));
        }
        FUser = std::make_unique<TMessageRecorder>(std::vector<TModalResult>{}, mrOk);
    }

    void cleanup()
    {
        FreeApplicationObjects();
        FUser.reset();
        FStore.reset();
    }

    void entriesTranslateTheForm()
    {
        QVERIFY(WriteAll(LangFile(), "<Language>\n"
                                     " <TEdOrderForm Caption=\"Auftrag\">\n"
                                     "  <SoldByLabel Caption=\"Verkauft\"/>\n"
                                     "  <ItemsGrid Hint=\"Zeilen\"><Columns><1><Title Caption=\"Text\"/></1></Columns></ItemsGrid>\n"
                                     "  <NoSuchControl Caption=\"x\"/>\n"
                                     "  <PostBtn Caption=\"&amp;Sichern\"/>\n"
                                     " </TEdOrderForm>\n"
                                     "</Language>\n"));
        CreateApplicationObjects();
        QCOMPARE(EdOrderForm->windowTitle(), QString("Auftrag"));
        QCOMPARE(EdOrderForm->SoldByLabel->text(), QString("Verkauft"));
        QCOMPARE(EdOrderForm->ItemsGrid->toolTip(), QString("Zeilen"));
        QCOMPARE(EdOrderForm->ItemsGrid->Columns()->Items(1)->Title()->Caption(), QString("Text"));
        QCOMPARE(EdOrderForm->ItemsGrid->Columns()->Items(0)->Title()->Caption(), QString("PartNo"));
        // An entry for a control the form lacks changes nothing; the next one applies.
        QCOMPARE(EdOrderForm->PostBtn->text(), QString("&Sichern"));
        QCOMPARE(Asked(), QStringList());
    }

    void shippedFileTranslatesTheForm()
    {
        const QByteArray shipped = ReadAll(VORNAPP_LANG_FILE);
        QVERIFY(!shipped.isEmpty());
        QVERIFY(WriteAll(LangFile(), shipped));
        CreateApplicationObjects();
        QCOMPARE(EdOrderForm->windowTitle(), QString("Order Entry"));
        QCOMPARE(EdOrderForm->ItemsGrid->Columns()->Items(0)->Title()->Caption(), QString("Part No"));
        QCOMPARE(EdOrderForm->ItemsGrid->Columns()->Items(5)->Title()->Caption(), QString("Extended"));
        QCOMPARE(EdOrderForm->SoldByLabel->text(), QString("Sold by"));
        QCOMPARE(Asked(), QStringList());
        // Every control the file names is one of the form's.
        std::unique_ptr<TXMLNode> document(Parsed(shipped));
        TXMLNode* form = document->SelectNode("TEdOrderForm", false, "", false);
        QVERIFY(form);
        for (int i = 0; i < form->Children.ItemCount(); ++i) {
            const QString name = QString::fromStdString(form->Children.ItemAt(i)->Name);
            if (form->Children.ItemAt(i)->Kind == nkElement)
                QVERIFY2(EdOrderForm->findChild<QObject*>(name), qPrintable(name));
        }
    }

    void missingFileStartsUntranslatedAndTheCloseCreatesIt()
    {
        QVERIFY(!QFile::exists(LangFile()));
        CreateApplicationObjects();
        QVERIFY(EdOrderForm);
        QCOMPARE(EdOrderForm->windowTitle(), QString("9"));
        QCOMPARE(Asked(), QStringList());
        QVERIFY(LangDocument);
        QCOMPARE(LangDocument->Children.ItemCount(), 0);

        ShowAndClose();
        const QByteArray written = ReadAll(LangFile());
        QCOMPARE(written, QByteArray::fromStdString(LangDocument->GetXml()));
        std::unique_ptr<TXMLNode> back(Parsed(written));
        QCOMPARE(back->Name, std::string("Language"));
        QCOMPARE(Asked(), QStringList());
    }

    void unreadableFileIsNamedOnceKeptAsideAndTheFormStarts_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("cut off") << QByteArray("<Language><TEdOrderForm Caption=\"Auftrag\"><ItemsGrid");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not XML") << QByteArray("Caption=Auftrag\n");
    }

    void unreadableFileIsNamedOnceKeptAsideAndTheFormStarts()
    {
        QFETCH(QByteArray, text);
        QVERIFY(WriteAll(LangFile(), text));
        CreateApplicationObjects();
        QVERIFY(EdOrderForm);
        QCOMPARE(EdOrderForm->windowTitle(), QString("9"));
        QCOMPARE(FUser->Requests.size(), size_t(1));
        const QString message = FUser->Requests[0].Text;
        QVERIFY2(message.contains(LangFile()) && message.contains(LangFile() + ".bak"), qPrintable(message));
        // Kept for mending, byte for byte.
        QCOMPARE(ReadAll(LangFile() + ".bak"), text);
        QVERIFY(!QFile::exists(LangFile()));

        // The close writes a fresh file and says nothing more.
        ShowAndClose();
        std::unique_ptr<TXMLNode> back(Parsed(ReadAll(LangFile())));
        QCOMPARE(back->Name, std::string("Language"));
        ShowAndClose();
        QCOMPARE(FUser->Requests.size(), size_t(1));
    }

    void unreadableFileThatCannotBeMovedIsLeftAlone()
    {
        const QByteArray text = "<Language><TEdOrderForm Caption=";
        QVERIFY(WriteAll(LangFile(), text));
        // A folder holding something in the backup's place: the rename is refused.
        QVERIFY(QDir().mkpath(LangFile() + ".bak/keep"));
        CreateApplicationObjects();
        QCOMPARE(FUser->Requests.size(), size_t(1));
        QVERIFY2(FUser->Requests[0].Text.contains("leaves the file as it is"), qPrintable(FUser->Requests[0].Text));
        ShowAndClose();
        QCOMPARE(ReadAll(LangFile()), text);
        QCOMPARE(FUser->Requests.size(), size_t(1));
    }

    void everyCloseWritesTheDocumentCompact()
    {
        QVERIFY(WriteAll(LangFile(), "<Language>\n <TEdOrderForm Caption=\"Auftrag\"/>\n</Language>\n"));
        CreateApplicationObjects();
        LangDocument->SetPathText("TEdOrderForm/PostBtn/@Caption", "&Sichern");
        ShowAndClose();
        const QByteArray written = ReadAll(LangFile());
        QCOMPARE(written, QByteArray::fromStdString(LangDocument->GetXml()));
        QVERIFY(written.contains("<PostBtn Caption=\"&amp;Sichern\"/>"));
        QVERIFY(!written.contains('\n'));
        // The temporary file went with the rename.
        QCOMPARE(QFileInfo(LangFile()).dir().entryList(QDir::Files | QDir::Hidden), QStringList({"lang.xml"}));
        QCOMPARE(Asked(), QStringList());
    }

    void failedWriteIsReportedAndTheFormClosesAllTheSame()
    {
        const QByteArray text = "<Language><TEdOrderForm Caption=\"Auftrag\"/></Language>";
        QVERIFY(WriteAll(LangFile(), text));
        CreateApplicationObjects();
        LangDocument->SetPathText("TEdOrderForm/@Caption", "Bestellung");
        // A read-only file in a read-only folder, for a user other than its owner; the
        // folders above it are open so that user can reach it.
        const QString folder = QFileInfo(LangFile()).absolutePath();
        const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        for (QDir d(folder); d.cdUp() && d.absolutePath().startsWith(FStore->Root);)
            QFile::setPermissions(d.absolutePath(), open);
        QVERIFY(QFile::setPermissions(LangFile(), QFile::ReadOwner | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(folder, readOnly));
        {
            AsOrdinaryUser user;
            ShowAndClose();
        }
        QFile::setPermissions(folder, open);
        QFile::setPermissions(LangFile(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(FUser->Requests.size(), size_t(1));
        QCOMPARE(FUser->Requests[0].Type, mtError);
        QVERIFY2(FUser->Requests[0].Text.contains(LangFile()), qPrintable(FUser->Requests[0].Text));
        QCOMPARE(ReadAll(LangFile()), text);
        // The document keeps the change; the next close that can write it does.
        ShowAndClose();
        QVERIFY(ReadAll(LangFile()).contains("Bestellung"));
        QCOMPARE(FUser->Requests.size(), size_t(1));
    }

    void killDuringTheWriteLeavesTheOldFileWhole()
    {
        const QByteArray first = QByteArray::fromStdString(KillTestDocument('a'));
        const QByteArray second = QByteArray::fromStdString(KillTestDocument('b'));
        QVERIFY(WriteAll(LangFile(), first));
        const QString folder = QFile::decodeName(QByteArray::fromStdString(AppFolder));
        // Kills at different moments of the writing; whenever it lands, the file is one
        // of the two documents.
        for (int round = 0; round < 6; ++round) {
            QProcess program;
            program.start(QCoreApplication::applicationFilePath(), {WriteForeverArgument, folder.chopped(1)});
            QVERIFY(program.waitForStarted());
            QVERIFY2(program.waitForReadyRead(60000), program.readAllStandardError().constData());
            QCOMPARE(program.readAllStandardOutput(), QByteArray("WRITING\n"));
            QTest::qSleep(round * 23);
            ::kill(pid_t(program.processId()), SIGKILL);
            QVERIFY(program.waitForFinished());
            const QByteArray left = ReadAll(LangFile());
            QVERIFY2(left == first || left == second,
                     qPrintable(QString("round %1: %2 bytes").arg(round).arg(left.size())));
        }
    }
};

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], WriteForeverArgument) == 0)
        return WriteLanguageFileForever(argv[2]);
    OrderFormLangTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "order_form_lang_test.moc"
