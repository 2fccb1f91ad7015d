// quillpad pointed at other schemas and files: the command line (defaults, each
// argument, mistakes, an undeclared root), published schemas opened from an empty
// start with elements added through the context menu and saved in schema order,
// a schema the inspector cannot read, adding and removing in the sample object, and
// the status line that counts empty required rows.
#include "objecteditor/object_editor_window.h"

#include "inspector/inplace_controls.h"
#include "inspector/xsd_rules.h"
#include "platform/core/exceptions.h"
#include "platform/widgets/messages.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

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

// A file as the indented writer lays it out: Text's lines, each ended by CR LF.
QString Lines(QString Text)
{
    return Text.replace("\n", "\r\n") + "\r\n";
}

std::string Local(const QString& Path)
{
    return Path.toLocal8Bit().toStdString();
}

int RowNamed(TNodescope* Ins, const QString& Caption)
{
    for (int I = 0; I < Ins->RowCount(); ++I)
        if (QString::fromStdString(Ins->Rows(I)->Editor->GetName()) == Caption)
            return I;
    return -1;
}

QAction* Find(QMenu* Menu, const QString& Text)
{
    if (!Menu)
        return nullptr;
    for (QAction* A : Menu->actions()) {
        if (A->text().split('\t').first().replace("&&", "&") == Text)
            return A;
        if (QAction* Inner = Find(A->menu(), Text))
            return Inner;
    }
    return nullptr;
}

// Opens the context menu of the row captioned Row (empty: below the rows) as a right
// click does, and picks Item from the list of elements to add to Target.
bool AddThroughMenu(TNodescope* Ins, const QString& Row, const QString& Target, const QString& Item)
{
    const int Index = Row.isEmpty() ? -1 : RowNamed(Ins, Row);
    if (!Row.isEmpty() && Index < 0)
        return false;
    const int H = Ins->RowHeight();
    const QPoint Pos = Index < 0 ? QPoint(20, Ins->viewport()->height() - 2) : QPoint(20, (Index - Ins->TopRow()) * H + H / 2);
    QContextMenuEvent Event(QContextMenuEvent::Mouse, Pos, Ins->viewport()->mapToGlobal(Pos));
    QApplication::sendEvent(Ins->viewport(), &Event);
    QAction* Sub = Find(Ins->StructureMenu(), "Add to \"" + Target + "\"");
    if (!Sub || !Sub->menu())
        return false;
    for (QAction* A : Sub->menu()->actions())
        if (A->text() == Item && A->isEnabled()) {
            A->trigger();
            return true;
        }
    return false;
}

// The element declarations of a declaration's content in schema order, through
// groups, named types and references.
void DeclaredOrder(TXMLNode* D, std::vector<TXMLNode*>& Out, int Depth = 0)
{
    TXMLNode* N = RowsNode(D);
    if (!N || Depth > 20)
        return;
    const std::string Prefix = RootPrefix(D);
    for (int I = 0; I < N->ChildCount(); ++I) {
        TXMLNode* C = N->Child(I);
        if (C->Name == Prefix + "element")
            Out.push_back(C);
        else if (C->Name != Prefix + "attribute" && C->Name != Prefix + "annotation" && C->GetAttribute("name").empty())
            DeclaredOrder(C, Out, Depth + 1);
    }
}

// Empty when every element under Element stands in its declaration's order (members
// of all groups too, as quillpad adds them); otherwise what stands wrong.
QString OrderFault(TXMLNode* Declaration, TXMLNode* Element)
{
    std::vector<TXMLNode*> Declared;
    DeclaredOrder(Declaration, Declared);
    int Last = -1;
    for (int I = 0; I < Element->ChildCount(); ++I) {
        TXMLNode* C = Element->Child(I);
        if (C->Kind != nkElement)
            continue;
        int Rank = -1;
        for (int R = 0; R < static_cast<int>(Declared.size()); ++R)
            if (ElementNameOf(Declared[R]) == C->Name) {
                Rank = R;
                break;
            }
        if (Rank < 0)
            return QString::fromStdString(C->Name + " is not declared in " + Element->Name);
        if (Rank < Last)
            return QString::fromStdString(C->Name + " stands too late in " + Element->Name);
        Last = Rank;
        const QString Inner = OrderFault(Declared[Rank], C);
        if (!Inner.isEmpty())
            return Inner;
    }
    return QString();
}

int ElementsBelow(TXMLNode* Element)
{
    int Count = 0;
    for (int I = 0; I < Element->ChildCount(); ++I)
        if (Element->Child(I)->Kind == nkElement)
            Count += 1 + ElementsBelow(Element->Child(I));
    return Count;
}

struct Run {
    std::unique_ptr<TForm1> Form;
    explicit Run(const TQuillpadOptions& Options = TQuillpadOptions())
    {
        Form = std::make_unique<TForm1>(Options);
        Form->show();
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
    }
    TNodescope* Ins() const { return Form->Nodescope1(); }
    QString Status() const { return Form->findChild<QLabel*>("RequiredStatus")->text(); }
};

} // namespace

class QuillpadSchemasTest : public QObject {
    Q_OBJECT

    QTemporaryDir Folder;
    QString Data(const QString& Name) const { return QString(QUILLPAD_DATA) + "/" + Name; }
    QString Path(const QString& Name) const { return Folder.filePath(Name); }

    TQuillpadOptions Options(const QString& Schema, const QString& Object, const QString& Root = QString())
    {
        TQuillpadOptions Result;
        Result.SchemaFile = Local(Schema);
        Result.ObjectFile = Local(Object);
        Result.RootElement = Local(Root);
        return Result;
    }

private slots:
    void init()
    {
        QVERIFY(Folder.isValid());
        QDir(Folder.path()).removeRecursively();
        QDir().mkpath(Folder.path());
        QVERIFY(QFile::copy(QUILLPAD_SCHEME, Path("scheme.xsd")));
        TForm1::SetDataFolder(Local(Folder.path()));
    }

    void cleanupTestCase() { TForm1::SetDataFolder(std::string()); }

    void commandLineArguments()
    {
        const TQuillpadOptions None = ParseQuillpadArguments({});
        QVERIFY(None.SchemaFile.empty() && None.RootElement.empty() && None.ObjectFile.empty() && !None.Help);
        const QString Here = QDir::currentPath();
        const TQuillpadOptions All = ParseQuillpadArguments({"--schema", "conf/queue.xsd", "--root=queue-entries", "q.xml"});
        QCOMPARE(QString::fromStdString(All.SchemaFile), Here + "/conf/queue.xsd");
        QCOMPARE(QString::fromStdString(All.RootElement), QString("queue-entries"));
        QCOMPARE(QString::fromStdString(All.ObjectFile), Here + "/q.xml");
        QCOMPARE(QString::fromStdString(ParseQuillpadArguments({"--schema=/etc/a.xsd"}).SchemaFile), QString("/etc/a.xsd"));
        QCOMPARE(QString::fromStdString(ParseQuillpadArguments({"/tmp/o.xml"}).ObjectFile), QString("/tmp/o.xml"));
        QVERIFY(ParseQuillpadArguments({"--help"}).Help);
        QVERIFY(ParseQuillpadArguments({"-h"}).Help);

        const auto Mistake = [](const QStringList& Arguments) {
            try {
                ParseQuillpadArguments(Arguments);
            } catch (const Exception& E) {
                return QString::fromStdString(E.Message);
            }
            return QString("accepted");
        };
        QCOMPARE(Mistake({"a.xml", "b.xml"}), QString("Only one object file can be edited at a time; given: \"a.xml\", \"b.xml\"."));
        QCOMPARE(Mistake({"--colour"}), QString("Unknown option 'colour'."));
        QCOMPARE(Mistake({"--schema"}), QString("Missing value after '--schema'."));
        QCOMPARE(Mistake({"--schema="}), QString("--schema needs a file name."));
        QCOMPARE(Mistake({"--root", ""}), QString("--root needs an element name."));
        QCOMPARE(Mistake({"--root", "a", "--root", "b"}), QString("--schema and --root can each be given once."));
    }

    void withoutArgumentsTheSampleBesideTheProgram()
    {
        TMessageRecorder Boxes;
        {
            Run R;
            QCOMPARE(QString::fromStdString(R.Form->SchemaFileName()), Path("scheme.xsd"));
            QCOMPARE(QString::fromStdString(R.Form->ObjectFileName()), Path("object.xml"));
            QCOMPARE(QString::fromStdString(R.Ins()->Node()->Name), QString("LegalCustomer"));
            QVERIFY(R.Ins()->AllowStructureEdits());
        }
        QVERIFY(Read(Path("object.xml")).startsWith("<LegalCustomer"));
        QVERIFY(Boxes.Requests.empty());
    }

    void eachArgumentTakesEffect()
    {
        TMessageRecorder Boxes;
        QVERIFY(QFile::copy(Data("cron.xsd"), Path("cron.xsd")));
        // A schema with one element needs no root; the object starts with what it requires.
        {
            Run R(Options(Path("cron.xsd"), Path("jobs.xml")));
            QCOMPARE(R.Form->windowTitle(), QString("jobs.xml - Nodescope"));
            QCOMPARE(QString::fromStdString(R.Ins()->Node()->Name), QString("cronentries"));
            QCOMPARE(R.Ins()->RowCount(), 0);
        }
        QCOMPARE(Read(Path("jobs.xml")), Lines("<cronentries/>"));
        QVERIFY(!QFile::exists(Path("object.xml")));

        // Several elements: --root picks one, and without it none is guessed.
        Write(Path("two.xsd"), "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">"
                               "<xs:element name=\"a\" type=\"xs:string\"/><xs:complexType name=\"T\"/>"
                               "<xs:element name=\"b\"><xs:complexType><xs:sequence>"
                               "<xs:element name=\"c\" type=\"xs:string\"/></xs:sequence></xs:complexType></xs:element>"
                               "<xs:element name=\"d\" type=\"xs:string\"/></xs:schema>");
        {
            Run R(Options(Path("two.xsd"), Path("b.xml"), "b"));
            QCOMPARE(QString::fromStdString(R.Ins()->Node()->GetXml()), QString("<b><c/></b>"));
        }
        QCOMPARE(Read(Path("b.xml")), Lines("<b>\n <c/>\n</b>"));
        QVERIFY(Boxes.Requests.empty());
        {
            Run R(Options(Path("two.xsd"), Path("none.xml")));
            QVERIFY(R.Ins()->Node() == nullptr);
        }
        QCOMPARE(Boxes.Texts(), QStringList({"The schema \"" + Path("two.xsd") +
                                             "\" declares no element \"LegalCustomer\". It declares: \"a\", \"b\", \"d\"."}));
        QVERIFY(!QFile::exists(Path("none.xml")));
    }

    void undeclaredRootIsNamed()
    {
        TMessageRecorder Boxes;
        Write(Path("kept.xml"), "<cronentries><cron><url>/a</url><schedule>every 5 minutes</schedule></cron></cronentries>");
        {
            // A type of that name is not an element.
            Run R(Options(Data("cron.xsd"), Path("kept.xml"), "cron-Type"));
            QCOMPARE(R.Ins()->RowCount(), 0);
            QVERIFY(R.Ins()->Node() == nullptr);
            QCOMPARE(R.Status(), QString());
        }
        QCOMPARE(Boxes.Texts(), QStringList({"The schema \"" + Data("cron.xsd") +
                                             "\" declares no element \"cron-Type\". It declares: \"cronentries\"."}));
        QCOMPARE(Boxes.Requests[0].Type, mtError);
        // The object is not touched.
        QCOMPARE(Read(Path("kept.xml")),
                 QString("<cronentries><cron><url>/a</url><schedule>every 5 minutes</schedule></cron></cronentries>"));

        // Nor is a document of another kind, which the schema's rows would fill in.
        {
            Run R(Options(Data("queue.xsd"), Path("kept.xml")));
            QVERIFY(R.Ins()->Node() == nullptr);
        }
        QCOMPARE(Boxes.Texts().value(1), "\"" + Path("kept.xml") + "\" holds the element \"cronentries\", not "
                                         "\"queue-entries\" of the schema \"" + Data("queue.xsd") + "\"; it is left as it is.");
        QCOMPARE(Read(Path("kept.xml")),
                 QString("<cronentries><cron><url>/a</url><schedule>every 5 minutes</schedule></cron></cronentries>"));
        QVERIFY(!QFile::exists(Path("kept.xml.bak")));
    }

    void publishedSchemasFromAnEmptyStart_data()
    {
        QTest::addColumn<QString>("Schema");
        QTest::addColumn<QStringList>("Steps");  // row caption|target|item; empty row: below the rows
        QTest::addColumn<QString>("Saved");
        QTest::addColumn<QString>("Status");
        // An element added first and one that goes before it.
        QTest::newRow("queue") << "queue.xsd"
                               << QStringList({"|queue-entries|queue", "queue|queue|retry-parameters", "queue|queue|rate",
                                               "|queue-entries|total-storage-limit"})
                               << "<queue-entries>\n <total-storage-limit/>\n <queue>\n  <name/>\n  <rate/>\n"
                                  "  <retry-parameters/>\n </queue>\n</queue-entries>"
                               << "No required row is empty";
        // Members of an all group, required ones with the element, optional ones
        // between them in declaration order.
        QTest::newRow("cron") << "cron.xsd"
                              << QStringList({"|cronentries|cron", "cron|cron|timezone", "cron|cron|description"})
                              << "<cronentries>\n <cron>\n  <url/>\n  <description/>\n  <schedule/>\n  <timezone/>\n"
                                 " </cron>\n</cronentries>"
                              << "No required row is empty";
        // The index element is captioned by its documentation; its required
        // attributes and the properties' names are counted empty.
        QTest::newRow("datastore-indexes")
            << "datastore-indexes.xsd"
            << QStringList({"|datastore-indexes|Number of uses in query history",
                            "Number of uses in query history|Number of uses in query history|property",
                            "Number of uses in query history|Number of uses in query history|property"})
            << "<datastore-indexes>\n <datastore-index>\n  <property/>\n  <property/>\n </datastore-index>\n"
               "</datastore-indexes>"
            << "4 required rows are empty";
        QTest::newRow("backends") << "backends.xsd"
                                  << QStringList({"|backends|backend", "backend|backend|options", "backend|backend|instances"})
                                  << "<backends>\n <backend>\n  <instances/>\n  <options/>\n </backend>\n</backends>"
                                  << "1 required row is empty";
        QTest::newRow("dispatch") << "dispatch.xsd" << QStringList({"|dispatch-entries|dispatch", "|dispatch-entries|dispatch"})
                                  << "<dispatch-entries>\n <dispatch>\n  <url/>\n  <module/>\n </dispatch>\n <dispatch>\n"
                                     "  <url/>\n  <module/>\n </dispatch>\n</dispatch-entries>"
                                  << "No required row is empty";
    }

    void publishedSchemasFromAnEmptyStart()
    {
        QFETCH(QString, Schema);
        QFETCH(QStringList, Steps);
        QFETCH(QString, Saved);
        QFETCH(QString, Status);
        TMessageRecorder Boxes;
        const QString Object = Path("object-" + Schema + ".xml");
        {
            Run R(Options(Data(Schema), Object));
            for (const QString& Step : Steps) {
                const QStringList Part = Step.split('|');
                QVERIFY2(AddThroughMenu(R.Ins(), Part[0], Part[1], Part[2]), qPrintable(Step));
            }
            QCOMPARE(R.Status(), Status);
        }
        QVERIFY2(Boxes.Requests.empty(), qPrintable(Boxes.Texts().join("; ")));
        QCOMPARE(Read(Object), Lines(Saved));
        // The saved file reads back, stands in schema order, and shows a row for
        // every element it holds.
        std::unique_ptr<TXMLNode> Xsd(TXMLNode::CreateFromFile(Local(Data(Schema)), nullptr));
        std::unique_ptr<TXMLNode> Back(TXMLNode::CreateFromFile(Local(Object), nullptr));
        TXMLNode* Root = Xsd->FindChildByAttribute("name", Back->Name);
        QVERIFY(Root);
        QCOMPARE(OrderFault(Root, Back.get()), QString());
        {
            Run R(Options(Data(Schema), Object));
            int Elements = 0;
            for (int I = 0; I < R.Ins()->RowCount(); ++I) {
                R.Ins()->SelectRow(I);
                if (R.Ins()->Rows(I)->HasChildren && !R.Ins()->Rows(I)->Expanded)
                    R.Ins()->ToggleExpand();
                if (R.Ins()->RowElement(I).first)
                    ++Elements;
            }
            QCOMPARE(Elements, ElementsBelow(Back.get()));
        }
        QCOMPARE(Read(Object), Lines(Saved));
    }

    void unreadableConstructsOpenWithoutRows()
    {
        // Its types live in a target namespace the inspector does not resolve.
        TMessageRecorder Boxes;
        const QString Object = Path("appengine-web.xml");
        {
            Run R(Options(Data("appengine-web.xsd"), Object));
            QCOMPARE(QString::fromStdString(R.Ins()->Node()->Name), QString("appengine-web-app"));
            QCOMPARE(R.Ins()->RowCount(), 0);
            QVERIFY(!AddThroughMenu(R.Ins(), QString(), "appengine-web-app", "application"));
            QAction* Add = Find(R.Ins()->StructureMenu(), "Add to \"appengine-web-app\"");
            QVERIFY(Add && !Add->isEnabled());
            QVERIFY(Find(R.Ins()->StructureMenu(), "Nothing to add"));
        }
        QVERIFY(Boxes.Requests.empty());
        QCOMPARE(Read(Object), Lines("<appengine-web-app/>"));
    }

    void sampleObjectAddsAndRemoves()
    {
        TMessageRecorder Boxes;
        QString Original;
        {
            Run R;
            Original = QString::fromStdString(R.Ins()->Node()->GetIndentedXml(" "));
            TNodescope* Ins = R.Ins();
            // The only optional element, present in the default object, goes ...
            QMenu* Menu = nullptr;
            {
                const int Notes = RowNamed(Ins, "Notes");
                Ins->SelectRow(Notes);
                QTest::keyClick(Ins->InplaceEdit(), Qt::Key_Insert);
                Menu = Ins->StructureMenu();
                QVERIFY(Menu && Menu->isVisible());
                Find(Menu, "Remove \"Notes\"")->trigger();
            }
            QVERIFY(RowNamed(Ins, "Notes") < 0);
            QVERIFY(Ins->Node()->GetXml().find("<Notes") == std::string::npos);
            // ... and comes back at its place, the end of the sequence.
            QVERIFY(AddThroughMenu(Ins, "Company name", "Legal customer", "Notes"));
            QCOMPARE(QString::fromStdString(Ins->Node()->GetIndentedXml(" ")), Original);
            // A required one stays, and says why.
            const int Address = RowNamed(Ins, "Registered address");
            Ins->SelectRow(Address);
            QTest::keyClick(Ins->InplaceEdit(), Qt::Key_Delete);
            QVERIFY(AddThroughMenu(Ins, "Company name", "Legal customer", "Notes") == false);
            Find(Ins->StructureMenu(), "Remove \"Company name\"")->trigger();
        }
        QCOMPARE(Boxes.Texts(), QStringList({"\"Registered address\" (Address) is required and cannot be removed.",
                                             "\"Company name\" (Name) is required and cannot be removed."}));
        QCOMPARE(Read(Path("object.xml")), Original);
    }

    void statusLineCountsEmptyRequiredRows()
    {
        TMessageRecorder Boxes;
        Run R;
        // The customer number is a required attribute without a default.
        QCOMPARE(R.Status(), QString("1 required row is empty"));
        const int Number = RowNamed(R.Ins(), "Customer number");
        R.Ins()->SelectRow(Number);
        TZInplaceEdit* Edit = R.Ins()->InplaceEdit();
        Edit->setFocus();
        QTest::keyClicks(Edit, "K-17");
        QTest::keyClick(Edit, Qt::Key_Return);
        QCOMPARE(R.Status(), QString("No required row is empty"));
        R.Ins()->SelectRow(Number);
        Edit->selectAll();
        QTest::keyClick(Edit, Qt::Key_Backspace);
        QTest::keyClick(Edit, Qt::Key_Return);
        QCOMPARE(R.Status(), QString("1 required row is empty"));
        QVERIFY(Boxes.Requests.empty());
    }

    void theProgramTakesItsArguments()
    {
        QProcess Help;
        Help.start(QUILLPAD_EXE, {"--help"});
        QVERIFY(Help.waitForFinished(30000));
        QCOMPARE(Help.exitCode(), 0);
        QVERIFY(Help.readAllStandardOutput().startsWith("Usage: quillpad [--schema FILE] [--root ELEMENT] [OBJECT]"));

        QProcess Wrong;
        Wrong.start(QUILLPAD_EXE, {"a.xml", "b.xml"});
        QVERIFY(Wrong.waitForFinished(30000));
        QCOMPARE(Wrong.exitCode(), 2);
        QVERIFY(Wrong.readAllStandardError().contains("quillpad: Only one object file can be edited at a time"));

        // Run for real on a published schema, ended as a session end ends it.
        QProcess Program;
        Program.setChildProcessModifier([] {
            sigset_t Blocked;
            sigemptyset(&Blocked);
            sigaddset(&Blocked, SIGTERM);
            ::sigprocmask(SIG_BLOCK, &Blocked, nullptr);
        });
        Program.setWorkingDirectory(Folder.path());
        Program.start(QUILLPAD_EXE, {"--schema", Data("queue.xsd"), "--root", "queue-entries", "queue.xml"});
        QVERIFY(Program.waitForStarted());
        ::kill(pid_t(Program.processId()), SIGTERM);
        if (!Program.waitForFinished(60000)) {
            Program.kill();
            Program.waitForFinished();
            QFAIL("quillpad did not end on SIGTERM");
        }
        QCOMPARE(Program.exitCode(), 0);
        QCOMPARE(Read(Path("queue.xml")), Lines("<queue-entries/>"));
    }
};

QTEST_MAIN(QuillpadSchemasTest)
#include "quillpad_schemas_test.moc"
