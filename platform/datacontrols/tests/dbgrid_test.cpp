// The data grid over scratch local data: its published properties as the language
// wizard reaches them, paging over 100,000 rows reading only what it shows, the keys,
// editing through the fields' rules, and its events.
#include "platform/datacontrols/dbgrid.h"
#include "platform/datacontrols/published.h"
#include "platform/data/datasource.h"
#include "platform/widgets/messages.h"

#include "gridstore.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// Paints the grid now and lets its deferred work (the record count) run.
void Settle(TDBGrid* grid)
{
    grid->viewport()->repaint();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

// One key at a time to whichever widget has the focus, as typing does.
void Type(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

QObject* PublishedObjectOf(QObject* holder, const char* name)
{
    return PublishedObject(holder, FindPublished(holder, name));
}

} // namespace

class TDBGridTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> Store;
    std::unique_ptr<TDatabase> Db;
    std::unique_ptr<TCountingTable> Lines;
    std::unique_ptr<TDataSource> Source;
    std::unique_ptr<QWidget> Window;
    TDBGrid* Grid = nullptr;
    QLineEdit* Other = nullptr;
    // Answers what no test expects, so that a test fails instead of waiting for a box.
    std::unique_ptr<TMessageRecorder> Unexpected;

    void Setup(int rows)
    {
        Unexpected = std::make_unique<TMessageRecorder>();
        Store = std::make_unique<TScratchStore>(false);
        CreateLines(*Store, rows);
        Db = std::make_unique<TDatabase>();
        Store->Open(*Db, "GRID");
        Lines = std::make_unique<TCountingTable>();
        Lines->SetDatabase(Db.get());
        Lines->TableName = "LINES";
        Lines->IndexFieldNames = "No";
        Source = std::make_unique<TDataSource>();
        Source->SetDataSet(Lines.get());
        Window = std::make_unique<QWidget>();
        Window->resize(420, 320);
        auto* layout = new QVBoxLayout(Window.get());
        Grid = new TDBGrid(Window.get());
        Other = new QLineEdit(Window.get());
        layout->addWidget(Grid);
        layout->addWidget(Other);
        Grid->SetDataSource(Source.get());
        Lines->Open();
        Window->show();
        Window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Window.get()));
        Grid->setFocus();
        Settle(Grid);
    }

    QVariant Stored(const QString& column, double no) const
    {
        return Store->Value("SELECT " + column + " FROM LINES WHERE No = ?", {no});
    }
    double CurrentNo() const { return Lines->FieldByName("No")->AsFloat(); }
    int Column(const QString& field) const
    {
        for (int c = 0; c < Grid->Columns()->Count(); ++c)
            if (Grid->Columns()->Items(c)->FieldName() == field)
                return c;
        return -1;
    }

private slots:
    void cleanup()
    {
        for (const TMessageRequest& request : Unexpected->Requests)
            qWarning("unexpected message: %s", qPrintable(request.Text));
        const bool quiet = Unexpected->Requests.empty();
        Window.reset();
        Grid = nullptr;
        Source.reset();
        Lines.reset();
        Db.reset();
        Store.reset();
        Unexpected.reset();
        QVERIFY(quiet);
    }

    void publishesTitlesHintAndWidths()
    {
        Setup(5);
        Lines->FieldByName("Qty")->DisplayLabel = "Quantity";
        TColumn* qty = Grid->Columns()->Add();
        qty->SetFieldName("Qty");
        TColumn* name = Grid->Columns()->Add();
        name->SetFieldName("Name");

        // As the language wizard walks it: Hint, then Columns.1.Title.Caption and Width.
        const QMetaProperty hint = FindPublished(Grid, "Hint");
        QCOMPARE(PropertyKind(Grid, hint), pkString);
        QVERIFY(hint.write(Grid, QString("Line items")));
        QCOMPARE(Grid->toolTip(), QString("Line items"));
        QCOMPARE(PropertyKind(Grid, FindPublished(Grid, "Columns")), pkCollection);
        QCOMPARE(PropertyKind(Grid, FindPublished(Grid, "DataSource")), pkReference);
        QCOMPARE(PropertyKind(Grid, FindPublished(Grid, "Font")), pkObject);

        auto* columns = qobject_cast<TCollection*>(PublishedObject(Grid, FindPublished(Grid, "Columns")));
        QVERIFY(columns);
        QCOMPARE(columns->Count(), 2);
        QObject* first = columns->Item(0);
        QObject* title = PublishedObjectOf(first, "Title");
        QVERIFY(title);
        QCOMPARE(PropertyKind(first, FindPublished(first, "Title")), pkObject);
        // A title follows the field's label until it is given one.
        QCOMPARE(FindPublished(title, "Caption").read(title).toString(), QString("Quantity"));
        QVERIFY(FindPublished(title, "caption").write(title, QString("Menge")));
        QCOMPARE(qty->Title()->Caption(), QString("Menge"));
        QVERIFY(FindPublished(columns->Item(1), "Width").write(columns->Item(1), 120));
        QCOMPARE(name->Width(), 120);
        QCOMPARE(Grid->CellRect(0, 1).width(), 120);
        QCOMPARE(PropertyKind(first, FindPublished(first, "FieldName")), pkString);
        QVERIFY_THROWS_EXCEPTION(EListError, columns->Item(2));
    }

    void showsTheFieldsWhenGivenNoColumns()
    {
        Setup(5);
        QCOMPARE(Grid->Columns()->State(), TDBGridColumns::csDefault);
        QCOMPARE(Grid->Columns()->Count(), 4);
        QCOMPARE(Grid->CellText(0, 1), QString("Row 1"));
        // A hidden field gets no column; the column of a field follows its display width.
        Lines->Close();
        TField* name = new TStringField(Lines.get(), "Name", 20);
        name->Visible = false;
        new TFloatField(Lines.get(), "No");
        TField* qty = new TIntegerField(Lines.get(), "Qty");
        qty->SetDisplayWidth(30);
        Lines->Open();
        Settle(Grid);
        QCOMPARE(Grid->Columns()->Count(), 2);
        QCOMPARE(Grid->Columns()->Items(0)->FieldName(), QString("No"));
        QVERIFY(Grid->Columns()->Items(1)->Width() >= 30 * QFontMetrics(Grid->Font()->QtFont()).horizontalAdvance('0'));
        QCOMPARE(Grid->CellText(0, 1), QString("2"));
        // Columns of the program's own replace the defaults.
        Grid->Columns()->Add()->SetFieldName("Qty");
        QCOMPARE(Grid->Columns()->State(), TDBGridColumns::csCustomized);
        QCOMPARE(Grid->Columns()->Count(), 1);
        Settle(Grid);
        QCOMPARE(Grid->CellText(0, 0), QString("2"));
        Grid->Columns()->Clear();
        QCOMPARE(Grid->Columns()->State(), TDBGridColumns::csDefault);
        QCOMPARE(Grid->Columns()->Count(), 2);
    }

    void findsTheFieldsAgainWhenTheDatasetReopens()
    {
        Setup(5);
        Grid->Columns()->Add()->SetFieldName("Price");
        Settle(Grid);
        QCOMPARE(Grid->CellText(1, 0), QString("3"));
        // Closed, the grid shows nothing; opened with other fields, it shows those.
        Lines->Close();
        Settle(Grid);
        QCOMPARE(Grid->RowCount(), 0);
        QCOMPARE(Grid->SelectedField(), nullptr);
        new TFloatField(Lines.get(), "No");
        TField* price = new TFloatField(Lines.get(), "Price");
        price->DisplayFormat = "0.00";
        Lines->Open();
        Settle(Grid);
        QCOMPARE(Grid->SelectedField(), price);
        QCOMPARE(Grid->CellText(1, 0), QString("3.00"));
        QCOMPARE(Grid->Columns()->Items(0)->Width(),
                 QFontMetrics(Grid->Font()->QtFont()).horizontalAdvance('0') * price->DisplayWidth() + 4);
    }

    void readsOnlyThePageItShows()
    {
        Setup(100000);
        const int page = Grid->VisibleRowCount();
        QVERIFY(page >= 5);
        QCOMPARE(Grid->RowCount(), page);
        QCOMPARE(Grid->CellText(0, 0), QString("1"));
        QCOMPARE(Grid->RecordCount(), 100000);
        QCOMPARE(Lines->Counts, 1);
        QVERIFY2(Lines->RowsRead < 200, qPrintable(QString::number(Lines->RowsRead)));

        Lines->RowsRead = 0;
        Key(Qt::Key_End, Qt::ControlModifier);
        Settle(Grid);
        QCOMPARE(CurrentNo(), 100000.0);
        QVERIFY(Lines->Eof());
        QCOMPARE(Grid->Row(), page - 1);
        QCOMPARE(Grid->CellText(0, 0), QString::number(100000 - page + 1));
        QCOMPARE(Grid->RecNo(), 100000);
        QCOMPARE(Grid->verticalScrollBar()->value(), Grid->verticalScrollBar()->maximum());
        QVERIFY2(Lines->RowsRead < 200, qPrintable(QString::number(Lines->RowsRead)));

        Lines->RowsRead = 0;
        Key(Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < 3; ++i)
            Key(Qt::Key_PageDown);
        Settle(Grid);
        QCOMPARE(CurrentNo(), 1.0 + 3 * page);
        QCOMPARE(Grid->RecNo(), 1 + 3 * page);
        QCOMPARE(Grid->Row(), 0);
        QVERIFY2(Lines->RowsRead < 300, qPrintable(QString::number(Lines->RowsRead)));

        // Dragging the thumb to the middle reads the row it lands on and the page below.
        Lines->RowsRead = 0;
        QScrollBar* bar = Grid->verticalScrollBar();
        bar->setSliderPosition(50000);
        QTRY_COMPARE(CurrentNo(), 50001.0);
        Settle(Grid);
        QCOMPARE(Grid->CellText(0, 0), QString("50001"));
        QCOMPARE(bar->value(), 50000);
        QVERIFY2(Lines->RowsRead < 200, qPrintable(QString::number(Lines->RowsRead)));
        // Counted once, when the grid opened.
        QCOMPARE(Lines->Counts, 1);
    }

    void movesWithTheKeysLikeASpreadsheet()
    {
        Setup(60);
        const int page = Grid->VisibleRowCount();
        Key(Qt::Key_Down);
        Key(Qt::Key_Down);
        QCOMPARE(CurrentNo(), 3.0);
        QCOMPARE(Grid->Row(), 2);
        Key(Qt::Key_Up);
        QCOMPARE(CurrentNo(), 2.0);
        Key(Qt::Key_PageDown);
        QCOMPARE(CurrentNo(), 2.0 + page);
        QCOMPARE(Grid->Row(), 1);
        Key(Qt::Key_PageUp);
        QCOMPARE(CurrentNo(), 2.0);
        Key(Qt::Key_Right);
        Key(Qt::Key_Right);
        QCOMPARE(Grid->SelectedField()->FieldName, QString("Qty"));
        Key(Qt::Key_Home);
        QCOMPARE(Grid->SelectedIndex(), 0);
        Key(Qt::Key_End);
        QCOMPARE(Grid->SelectedIndex(), 3);

        // Down from the last record starts a new one; Up drops it while nothing is typed.
        Key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(CurrentNo(), 60.0);
        Key(Qt::Key_Down);
        QCOMPARE(Lines->State(), dsInsert);
        QCOMPARE(Grid->Row(), page - 1);
        QCOMPARE(Grid->CellText(page - 2, 0), QString("60"));
        Key(Qt::Key_Down);
        QCOMPARE(Lines->State(), dsInsert);
        Key(Qt::Key_Up);
        QCOMPARE(Lines->State(), dsBrowse);
        QCOMPARE(CurrentNo(), 60.0);
        QCOMPARE(Lines->RecordCount(), 60);

        // Insert opens a row above the current one; typed values are posted on leaving it.
        Key(Qt::Key_Home, Qt::ControlModifier);
        Key(Qt::Key_Insert);
        QCOMPARE(Lines->State(), dsInsert);
        QCOMPARE(Grid->Row(), 0);
        QCOMPARE(Grid->CellText(1, 0), QString("1"));
        Key(Qt::Key_Home);
        Type("0.5");
        Key(Qt::Key_Tab);
        Type("New");
        Key(Qt::Key_Down);
        QCOMPARE(Lines->State(), dsBrowse);
        QCOMPARE(Stored("Name", 0.5).toString(), QString("New"));
        Settle(Grid);
        QCOMPARE(Grid->CellText(0, 0), QString("0.5"));

        // Delete asks first; Cancel keeps the record.
        Key(Qt::Key_Up);
        QCOMPARE(CurrentNo(), 0.5);
        {
            TMessageRecorder user({mrCancel, mrOk});
            Key(Qt::Key_Delete);
            QCOMPARE(CurrentNo(), 0.5);
            Key(Qt::Key_Delete);
            QCOMPARE(int(user.Requests.size()), 2);
            QCOMPARE(user.Requests[0].Text, QString("Delete record?"));
            QCOMPARE(user.Requests[0].Type, mtConfirmation);
        }
        QCOMPARE(CurrentNo(), 1.0);
        QVERIFY(Stored("Name", 0.5).isNull());
    }

    void editsThroughTheFieldsRules()
    {
        Setup(60);
        TField* qty = Lines->FieldByName("Qty");
        qty->MinValue = 1;
        qty->MaxValue = 100;
        Grid->SetSelectedIndex(Column("Qty"));
        Key(Qt::Key_Down);
        QCOMPARE(CurrentNo(), 2.0);

        // Typing opens the editor on the cell with what was typed, and the record is edited.
        Type("500");
        QVERIFY(Grid->EditorMode());
        QCOMPARE(Grid->InplaceEditor()->text(), QString("500"));
        QCOMPARE(Lines->State(), dsEdit);
        {
            TMessageRecorder user;
            Key(Qt::Key_Down);
            QCOMPARE(int(user.Requests.size()), 1);
            QCOMPARE(user.Requests[0].Text, QString("500 is not a valid value for field 'Qty'. The allowed range is 1 to 100"));
            QCOMPARE(user.Requests[0].Type, mtError);
        }
        // Refused: the record stays, and so does what was typed.
        QCOMPARE(CurrentNo(), 2.0);
        QVERIFY(Grid->EditorMode());
        QCOMPARE(Grid->InplaceEditor()->text(), QString("500"));
        QCOMPARE(QApplication::focusWidget(), Grid->InplaceEditor());

        Grid->InplaceEditor()->clear();
        Type("42");
        Key(Qt::Key_Down);
        QCOMPARE(CurrentNo(), 3.0);
        QCOMPARE(Lines->State(), dsBrowse);
        QCOMPARE(Stored("Qty", 2).toInt(), 42);
        QCOMPARE(Grid->CellText(1, Column("Qty")), QString("42"));

        // A text the field cannot read is refused by the field's conversion.
        Grid->SetSelectedIndex(Column("Price"));
        Type("abc");
        {
            TMessageRecorder user;
            Key(Qt::Key_Return);
            QCOMPARE(int(user.Requests.size()), 1);
            QVERIFY(user.Requests[0].Text.contains("abc"));
        }
        QVERIFY(Grid->EditorMode());
        // Enter writes a good text into the field; the record is posted when left.
        Grid->InplaceEditor()->selectAll();
        Type("7.25");
        Key(Qt::Key_Return);
        QVERIFY(!Grid->EditorMode());
        QCOMPARE(Lines->FieldByName("Price")->AsFloat(), 7.25);
        QCOMPARE(Lines->State(), dsEdit);
        Key(Qt::Key_Up);
        QCOMPARE(Stored("Price", 3).toDouble(), 7.25);

        // Posted by another control (a navigator) while typing: what is typed is posted,
        // and a text the field refuses stops the post.
        Grid->SetSelectedIndex(Column("Qty"));
        Type("77");
        Lines->Post();
        QCOMPARE(Stored("Qty", 2).toInt(), 77);
        QVERIFY(!Grid->EditorMode());
        Type("abc");
        QVERIFY_THROWS_EXCEPTION(EConvertError, Lines->Post());
        QCOMPARE(Lines->State(), dsEdit);
        QCOMPARE(Grid->InplaceEditor()->text(), QString("abc"));
        Key(Qt::Key_Escape);
        QCOMPARE(Stored("Qty", 2).toInt(), 77);

        // A read-only column, a read-only grid: typing changes nothing.
        Grid->Columns()->Items(Column("Name"))->SetReadOnly(true);
        Grid->SetSelectedIndex(Column("Name"));
        Type("x");
        QVERIFY(!Grid->EditorMode());
        QCOMPARE(Lines->State(), dsBrowse);
        Grid->SetSelectedIndex(Column("Qty"));
        Grid->SetReadOnly(true);
        Type("9");
        QVERIFY(!Grid->EditorMode());
        QCOMPARE(Lines->State(), dsBrowse);
    }

    void escapeCancelsTheRow()
    {
        Setup(20);
        Grid->SetSelectedIndex(Column("Name"));
        Type("Changed");
        Key(Qt::Key_Tab);
        QCOMPARE(Lines->FieldByName("Name")->AsString(), QString("Changed"));
        Type("9");
        Key(Qt::Key_Escape);
        QCOMPARE(Lines->State(), dsBrowse);
        QVERIFY(!Grid->EditorMode());
        QCOMPARE(Lines->FieldByName("Name")->AsString(), QString("Row 1"));
        QCOMPARE(Lines->FieldByName("Qty")->AsInteger(), 2);
        Settle(Grid);
        QCOMPARE(Grid->CellText(0, Column("Name")), QString("Row 1"));
        QCOMPARE(Stored("Name", 1).toString(), QString("Row 1"));

        // A new row goes with Escape; with nothing to cancel the key goes on.
        Key(Qt::Key_Insert);
        Type("5");
        Key(Qt::Key_Escape);
        QCOMPARE(Lines->State(), dsBrowse);
        QCOMPARE(Lines->RecordCount(), 20);
        // ... and with a click on another record, which becomes the current one.
        Key(Qt::Key_Insert);
        QCOMPARE(Grid->CellText(2, 0), QString("2"));
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, Grid->CellRect(2, 0).center());
        QCOMPARE(Lines->State(), dsBrowse);
        QCOMPARE(CurrentNo(), 2.0);
        QCOMPARE(Grid->Row(), 1);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(Grid, &escape);
        QVERIFY(!escape.isAccepted());
    }

    void readingAPageIsSeenByNobody()
    {
        Setup(60);
        int scrolls = 0, detailChanges = 0;
        Lines->AfterScroll = [&](TDataSet*) { ++scrolls; };
        // A detail on the grid's source follows the current record only.
        TTable detail;
        detail.SetDatabase(Db.get());
        detail.TableName = "LINES";
        detail.IndexFieldNames = "No";
        detail.MasterFields = "No";
        detail.SetMasterSource(Source.get());
        TDataSource detailSource;
        detailSource.SetDataSet(&detail);
        detailSource.OnDataChange = [&](TDataSource*, TField*) { ++detailChanges; };
        detail.Open();
        // ... and so does one on another source of the same dataset.
        TDataSource otherSource;
        otherSource.SetDataSet(Lines.get());
        TTable otherDetail;
        otherDetail.SetDatabase(Db.get());
        otherDetail.TableName = "LINES";
        otherDetail.IndexFieldNames = "No";
        otherDetail.MasterFields = "No";
        otherDetail.SetMasterSource(&otherSource);
        TDataSource otherDetailSource;
        otherDetailSource.SetDataSet(&otherDetail);
        otherDetailSource.OnDataChange = [&](TDataSource*, TField*) { ++detailChanges; };
        otherDetail.Open();
        detailChanges = 0;

        Window->resize(420, 400); // more rows: the page is read again
        Settle(Grid);
        QVERIFY(Grid->RowCount() > 5);
        QCOMPARE(scrolls, 0);
        QCOMPARE(detailChanges, 0);
        QCOMPARE(CurrentNo(), 1.0);
        QVERIFY(Lines->Bof());

        Key(Qt::Key_Down);
        QCOMPARE(scrolls, 1);
        QCOMPARE(detail.FieldByName("No")->AsFloat(), 2.0);

        // Another control moves the cursor far away: the page is read around it.
        Lines->Last();
        scrolls = 0;
        detailChanges = 0;
        Settle(Grid);
        QCOMPARE(Grid->CellText(Grid->Row(), 0), QString("60"));
        QCOMPARE(scrolls, 0);
        QCOMPARE(detailChanges, 0);
        QVERIFY(Lines->Eof());
        QCOMPARE(detail.FieldByName("No")->AsFloat(), 60.0);
        // ... and within the page only the row changes.
        Lines->Prior();
        QCOMPARE(Grid->CellText(Grid->Row(), 0), QString("59"));
        QCOMPARE(Grid->RecNo(), 59);
    }

    void raisesItsEvents()
    {
        Setup(20);
        int dbl = 0, button = 0, enter = 0, exit = 0;
        Grid->OnDblClick = [&](TObject* sender) { dbl += sender == Grid; };
        Grid->OnEditButtonClick = [&](TObject* sender) { button += sender == Grid; };
        Grid->OnEnter = [&](TObject*) { ++enter; };
        Grid->OnExit = [&](TObject*) { ++exit; };
        TColumn* name = Grid->Columns()->Add();
        name->SetFieldName("Name");
        name->SetWidth(120);
        TColumn* qty = Grid->Columns()->Add();
        qty->SetFieldName("Qty");
        qty->SetButtonStyle(TColumn::cbsEllipsis);
        Settle(Grid);

        // A double-click on a cell; none on the titles.
        QTest::mouseDClick(Grid->viewport(), Qt::LeftButton, {}, Grid->CellRect(1, 0).center());
        QCOMPARE(dbl, 1);
        QCOMPARE(CurrentNo(), 2.0);
        QTest::mouseDClick(Grid->viewport(), Qt::LeftButton, {}, QPoint(Grid->CellRect(0, 0).center().x(), 2));
        QCOMPARE(dbl, 1);
        // A click on the selected cell opens its editor; a double-click there is the grid's too.
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, Grid->CellRect(1, 0).center());
        QVERIFY(Grid->EditorMode());
        QTest::mouseDClick(Grid->InplaceEditor(), Qt::LeftButton);
        QCOMPARE(dbl, 2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!Grid->EditorMode());

        // The ellipsis shows in the selected cell of its column and clicks through.
        const QRect cell = Grid->CellRect(Grid->Row(), 1);
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 2, cell.center().y()));
        QCOMPARE(Grid->SelectedIndex(), 1);
        QCOMPARE(button, 0);
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 2, cell.center().y()));
        QCOMPARE(button, 1);
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, Grid->CellRect(Grid->Row(), 0).center());
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 2, cell.center().y()));
        QCOMPARE(button, 1);
        // Ctrl+Enter in the editor of that column does the same.
        Grid->SetSelectedIndex(1);
        Key(Qt::Key_F2);
        QVERIFY(Grid->EditorMode());
        Key(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(button, 2);

        // Entering and leaving: the grid and its editor are one control.
        QCOMPARE(enter, 0);
        QCOMPARE(exit, 0);
        Other->setFocus();
        QCOMPARE(exit, 1);
        Grid->setFocus();
        Key(Qt::Key_F2);
        QVERIFY(Grid->EditorMode());
        QCOMPARE(enter, 1);
        QCOMPARE(exit, 1);
        Other->setFocus();
        QCOMPARE(exit, 2);
        QVERIFY(!Grid->EditorMode());

        // OnKeyDown may stop a key; OnKeyPress may swallow or change what is typed.
        Grid->setFocus();
        Grid->OnKeyDown = [](TObject*, int& key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_Down)
                key = 0;
        };
        Grid->OnKeyPress = [](TObject*, QChar& key) {
            if (key == 'x')
                key = QChar();
            else if (key == 'a')
                key = '7';
        };
        const double before = CurrentNo();
        Key(Qt::Key_Down);
        QCOMPARE(CurrentNo(), before);
        Type("x");
        QVERIFY(!Grid->EditorMode());
        Type("a");
        QVERIFY(Grid->EditorMode());
        Type("a");
        QCOMPARE(Grid->InplaceEditor()->text(), QString("77"));
    }
};

QTEST_MAIN(TDBGridTest)
#include "dbgrid_test.moc"
