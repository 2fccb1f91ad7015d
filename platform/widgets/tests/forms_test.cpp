// Forms shown modally and modelessly, close queries, stay on top, printing a form's
// image, the printer set-up bypass and the help window.
#include "platform/widgets/application.h"
#include "platform/core/exceptions.h"
#include "platform/widgets/forms.h"
#include "platform/widgets/helpwindow.h"
#include "platform/widgets/printers.h"

#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A small dialog like the program's: OK and Cancel buttons with their results.
class TSampleForm : public TForm {
public:
    TSampleForm()
    {
        setObjectName("SampleForm");
        SetCaption("Edit Parts");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel("Part number", this));
        OKButton = new QPushButton("OK", this);
        CancelButton_ = new QPushButton("Cancel", this);
        layout->addWidget(OKButton);
        layout->addWidget(CancelButton_);
        SetButtonModalResult(OKButton, mrOk);
        SetButtonModalResult(CancelButton_, mrCancel);
        SetCancelButton(CancelButton_);
    }
    QPushButton* OKButton;
    QPushButton* CancelButton_;
};

THelpWindow* OpenHelpWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* h = dynamic_cast<THelpWindow*>(w))
            return h;
    return nullptr;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class FormsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;

private slots:
    void cleanup()
    {
        Application->HelpClose();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
    }

    void showModalReturnsTheResultOfTheButton()
    {
        TSampleForm form;
        bool shown = false;
        form.OnShow = [&](TObject* sender) {
            QCOMPARE(sender, static_cast<TObject*>(&form));
            shown = true;
            QTimer::singleShot(0, form.OKButton, &QPushButton::click);
        };
        QCOMPARE(form.ShowModal(), mrOk);
        QVERIFY(shown);
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Modal());
        QCOMPARE(form.ModalResult(), mrOk);

        // The same window again, closed with its close box this time.
        form.OnShow = [&](TObject*) { QTimer::singleShot(0, &form, &QWidget::close); };
        QCOMPARE(form.ShowModal(), mrCancel);
    }

    void resultSetWhileShowingEndsTheModalLoop()
    {
        TForm form;
        form.OnShow = [&](TObject*) { form.SetModalResult(mrYes); };
        QCOMPARE(form.ShowModal(), mrYes);
        QVERIFY(!form.isVisible());
    }

    void closeQueryCanRefuseAModalClose()
    {
        TSampleForm form;
        int asked = 0;
        bool allow = false;
        TModalResult afterRefusal = -1;
        bool visibleAfterRefusal = false;
        form.OnCloseQuery = [&](TObject*, bool& canClose) {
            ++asked;
            canClose = allow;
        };
        form.OnShow = [&](TObject*) {
            QTimer::singleShot(0, &form, [&] {
                form.OKButton->click();
                afterRefusal = form.ModalResult();
                visibleAfterRefusal = form.isVisible();
                allow = true;
                form.CancelButton_->click();
            });
        };
        QCOMPARE(form.ShowModal(), mrCancel);
        QCOMPARE(asked, 2);
        QCOMPARE(afterRefusal, mrNone);
        QVERIFY(visibleAfterRefusal);
    }

    void showModalOfAVisibleFormIsAnError()
    {
        TForm form;
        form.Show();
        QVERIFY_THROWS_EXCEPTION(Exception, form.ShowModal());
        QVERIFY(form.isVisible());
        form.close();
    }

    void escapeClicksTheCancelButtonOnly()
    {
        TSampleForm form;
        form.Show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        bool asked = false;
        form.OnCloseQuery = [&](TObject*, bool& canClose) {
            asked = true;
            canClose = false;
        };
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(asked);
        QVERIFY(form.isVisible());

        form.OnCloseQuery = nullptr;
        form.SetCancelButton(nullptr);
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(form.isVisible());

        form.SetCancelButton(form.CancelButton_);
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }

    void qtDialogEndingsPassTheCloseQuery()
    {
        TForm form;
        bool allow = false;
        form.OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
        form.Show();
        form.reject();
        QVERIFY(form.isVisible());
        form.accept();
        QVERIFY(form.isVisible());
        allow = true;
        form.accept();
        QVERIFY(!form.isVisible());
    }

    void onCloseActionDecidesWhatClosingDoes()
    {
        QPointer<TForm> form = new TForm;
        TCloseAction next = caNone;
        form->OnClose = [&](TObject*, TCloseAction& action) {
            QCOMPARE(action, caHide);
            action = next;
        };
        form->Show();
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
        next = caFree;
        QVERIFY(form->close());
        QTRY_VERIFY(form.isNull());
    }

    void stayOnTopKeepsTheWindowVisibleAndInPlace()
    {
        TSampleForm form;
        form.move(40, 30);
        int showCount = 0;
        form.OnShow = [&](TObject*) { ++showCount; };
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QPoint where = form.pos();
        form.SetFormStyle(fsStayOnTop);
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form.isVisible());
        QCOMPARE(form.pos(), where);
        form.SetFormStyle(fsNormal);
        QVERIFY(!form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form.isVisible());
        QCOMPARE(form.pos(), where);
        QCOMPARE(showCount, 1);

        // A hidden form takes the style without appearing.
        TForm hidden;
        hidden.SetFormStyle(fsStayOnTop);
        QVERIFY(!hidden.isVisible());
        QVERIFY(hidden.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void printWritesTheFormImage()
    {
        QVERIFY(FDir.isValid());
        TSampleForm form;
        form.resize(300, 200);
        QString pdf = FDir.filePath("form.pdf");
        Printer()->setOutputFormat(QPrinter::PdfFormat);
        Printer()->setOutputFileName(pdf);
        form.Print();
        QByteArray bytes = ReadAll(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY2(bytes.contains("/Subtype /Image"), "the page holds no image");

        Printer()->setOutputFileName(FDir.filePath("missing/folder/form.pdf"));
        try {
            form.Print();
            QFAIL("printing to a missing folder succeeded");
        } catch (const Exception& e) {
            QVERIFY2(QString(e.what()).contains("missing/folder/form.pdf"), e.what());
        }
        Printer()->setOutputFileName(pdf);
    }

    void printerSetupCanBeAnsweredWithoutTheDialog()
    {
        QPrinter* seen = nullptr;
        SetPrinterSetupRunner([&](QPrinter& printer) {
            seen = &printer;
            printer.setPageOrientation(QPageLayout::Landscape);
            return true;
        });
        TPrinterSetupDialog dialog;
        QVERIFY(dialog.Execute());
        QCOMPARE(seen, Printer());
        QCOMPARE(Printer()->pageLayout().orientation(), QPageLayout::Landscape);
        SetPrinterSetupRunner([](QPrinter&) { return false; });
        QVERIFY(!dialog.Execute());
        SetPrinterSetupRunner({});
        Printer()->setPageOrientation(QPageLayout::Portrait);
    }

    void helpOpensOnContentsAndOnContextAnchors()
    {
        QString html = FDir.filePath("VORNAPP.html");
        QFile f(html);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><head><title>Quorvale Help</title></head><body>"
                "<h1>Contents</h1><p><a href=\"#ctx-1\">Main window</a></p>"
                "<h2><a name=\"ctx-1\"></a>Main window</h2><p>The tool bar.</p>"
                "<h2><a name=\"ctx-3\"></a>Order entry</h2><p>Entering an order.</p></body></html>");
        f.close();
        Application->HelpFile = FDir.filePath("VORNAPP.HLP");
        QCOMPARE(Application->HelpFilePath(), html);

        Application->HelpContents();
        THelpWindow* help = OpenHelpWindow();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->windowTitle(), QString("Quorvale Help"));
        QCOMPARE(help->Browser()->source().toLocalFile(), html);
        QVERIFY(help->Browser()->source().fragment().isEmpty());

        Application->HelpContext(3);
        QCOMPARE(OpenHelpWindow(), help);
        QCOMPARE(help->Browser()->source().fragment(), QString("ctx-3"));

        // A number without a topic is reported, and the contents are shown instead.
        QVERIFY_THROWS_EXCEPTION(Exception, Application->HelpContext(99));
        QVERIFY(help->Browser()->source().fragment().isEmpty());
        QVERIFY(help->isVisible());

        Application->HelpClose();
        QVERIFY(!OpenHelpWindow());

        Application->HelpFile = FDir.filePath("ABSENT.HLP");
        QVERIFY_THROWS_EXCEPTION(EFOpenError, Application->HelpContents());
    }

    void f1OnAFormOpensItsHelpTopic()
    {
        QString html = FDir.filePath("VORNAPP.html");
        QVERIFY(QFile::exists(html));
        Application->HelpFile = html;
        TSampleForm form;
        form.SetHelpContext(3);
        form.Show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_F1);
        THelpWindow* help = OpenHelpWindow();
        QVERIFY(help);
        QCOMPARE(help->Browser()->source().fragment(), QString("ctx-3"));

        // A failing topic comes out of the key press as the error box.
        TMessageRecorder recorder;
        form.SetHelpContext(42);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_F1);
        QCOMPARE(recorder.Requests.size(), size_t(1));
        QCOMPARE(recorder.Requests[0].Type, mtError);
        QVERIFY(recorder.Requests[0].Text.contains("42"));
    }
};

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    FormsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "forms_test.moc"
