// Message boxes, the responder hook and the application's error box.
#include "platform/widgets/application.h"
#include "platform/core/exceptions.h"
#include "platform/widgets/messages.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Throws from its event handler, as a faulty slot or rule would.
class TThrower : public QObject {
public:
    int Handled = 0;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            ++Handled;
            throw EDatabaseError("Cannot locate Paradox data files");
        }
        if (e->type() == QEvent::User + 1) {
            ++Handled;
            Abort();
        }
        return QObject::event(e);
    }
};

} // namespace

class MessagesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { Application->Title = QStringLiteral("Quorvale Order Entry"); }

    void requestsCarryTextCaptionTypeAndButtons()
    {
        TMessageRecorder recorder({mrYes, mrCancel});
        QCOMPARE(MessageDlg("An order is being processed.  Save changes and start a new one?", mtConfirmation,
                            mbYesNoCancel, 7),
                 mrYes);
        QCOMPARE(MessageDlgCaption("EdOrderForm", "Help ID", mtCustom, mbOKCancel), mrCancel);
        ShowMessage("  Invalid date specified");
        QCOMPARE(recorder.Requests.size(), size_t(3));

        const TMessageRequest& ask = recorder.Requests[0];
        QCOMPARE(ask.Text, QString("An order is being processed.  Save changes and start a new one?"));
        QCOMPARE(ask.Caption, QString("Confirm"));
        QCOMPARE(ask.Type, mtConfirmation);
        QVERIFY(ask.Buttons == (TMsgDlgButtons{mbYes, mbNo, mbCancel}));
        QCOMPARE(ask.HelpContext, 7);

        QCOMPARE(recorder.Requests[1].Caption, QString("Help ID"));
        QVERIFY(recorder.Requests[1].Buttons == (TMsgDlgButtons{mbOK, mbCancel}));

        const TMessageRequest& plain = recorder.Requests[2];
        QCOMPARE(plain.Text, QString("  Invalid date specified"));
        QCOMPARE(plain.Caption, QString("Quorvale Order Entry"));
        QCOMPARE(plain.Type, mtCustom);
        QVERIFY(plain.Buttons == TMsgDlgButtons{mbOK});
    }

    void captionsFollowTypeAndEmptyButtonsGiveOk()
    {
        TMessageRecorder recorder;
        MessageDlg("w", mtWarning, {});
        MessageDlg("e", mtError, {mbOK});
        MessageDlg("i", mtInformation, {mbOK});
        MessageDlg("c", mtCustom, {mbOK});
        QCOMPARE(recorder.Requests[0].Caption, QString("Warning"));
        QVERIFY(recorder.Requests[0].Buttons == TMsgDlgButtons{mbOK});
        QCOMPARE(recorder.Requests[1].Caption, QString("Error"));
        QCOMPARE(recorder.Requests[2].Caption, QString("Information"));
        QCOMPARE(recorder.Requests[3].Caption, QString("Quorvale Order Entry"));
    }

    void scopesNestAndRestoreTheOuterResponder()
    {
        TMessageRecorder outer({}, mrNo);
        {
            TMessageRecorder inner({}, mrYes);
            QCOMPARE(MessageDlg("inner", mtConfirmation, mbYesNo), mrYes);
            QCOMPARE(inner.Requests.size(), size_t(1));
        }
        QCOMPARE(MessageDlg("outer", mtConfirmation, mbYesNo), mrNo);
        QCOMPARE(outer.Requests.size(), size_t(1));
        QCOMPARE(outer.Requests[0].Text, QString("outer"));
    }

    void realBoxShowsExactlyTheNamedButtons_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("buttonTexts");
        QTest::addColumn<QString>("defaultText");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::newRow("yes-no-cancel") << int(mtConfirmation) << QStringList{"&Yes", "&No", "Cancel"} << "&Yes"
                                       << QMessageBox::Question;
        QTest::newRow("yes-cancel") << int(mtConfirmation) << QStringList{"&Yes", "Cancel"} << "&Yes"
                                    << QMessageBox::Question;
        QTest::newRow("ok-cancel") << int(mtCustom) << QStringList{"&OK", "Cancel"} << "&OK" << QMessageBox::NoIcon;
        QTest::newRow("error-ok") << int(mtError) << QStringList{"&OK"} << "&OK" << QMessageBox::Critical;
    }

    void realBoxShowsExactlyTheNamedButtons()
    {
        QFETCH(int, type);
        QFETCH(QStringList, buttonTexts);
        QFETCH(QString, defaultText);
        QFETCH(QMessageBox::Icon, icon);
        TMsgDlgButtons buttons;
        for (const QString& t : buttonTexts)
            buttons << (t == "&Yes" ? mbYes : t == "&No" ? mbNo : t == "&OK" ? mbOK : mbCancel);
        TMessageRequest request{"   Print this form?", "Confirm", TMsgDlgType(type), buttons, 0};
        std::unique_ptr<QMessageBox> box(CreateMessageBox(request));
        box->show();
        QCOMPARE(box->text(), QString("   Print this form?"));
        QCOMPARE(box->icon(), icon);
        QCOMPARE(box->buttons().size(), buttonTexts.size());
        for (QAbstractButton* b : box->buttons()) {
            QString text = b->text();
            // Platform themes may drop or add the mnemonic.
            bool found = false;
            for (const QString& want : buttonTexts)
                found = found || QString(want).remove('&') == QString(text).remove('&');
            QVERIFY2(found, qPrintable("unexpected button " + text));
        }
        QVERIFY(box->defaultButton());
        QCOMPARE(box->defaultButton()->text().remove('&'), QString(defaultText).remove('&'));
        box->close();
    }

    void realBoxAnswersWithTheClickedButtonsResult()
    {
        const TMsgDlgBtn all[] = {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
                                  mbYesToAll, mbClose};
        const TModalResult results[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll,
                                        mrYesToAll, mrClose};
        TMessageRequest request{"question", "Confirm", mtConfirmation, {}, 0};
        for (TMsgDlgBtn b : all)
            request.Buttons << b;
        std::unique_ptr<QMessageBox> box(CreateMessageBox(request));
        QCOMPARE(box->buttons().size(), int(std::size(all)));
        QSet<TModalResult> seen;
        for (QAbstractButton* b : box->buttons())
            seen.insert(MessageBoxResult(*box, b));
        QCOMPARE(seen, QSet<TModalResult>(std::begin(results), std::end(results)));
        QCOMPARE(MessageBoxResult(*box, nullptr), mrCancel);
        QPushButton stranger;
        QCOMPARE(MessageBoxResult(*box, &stranger), mrCancel);
    }

    void withoutResponderARealModalBoxAnswers()
    {
        QVERIFY(!SetMessageResponder({}));
        QString seenTitle;
        int seenButtons = -1;
        QTimer::singleShot(0, this, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    seenTitle = box->windowTitle();
                    seenButtons = box->buttons().size();
                    box->button(QMessageBox::No)->click();
                }
        });
        QCOMPARE(MessageDlg("Delete order and line items?", mtConfirmation, mbYesNoCancel), mrNo);
        QCOMPARE(seenTitle, QString("Confirm"));
        QCOMPARE(seenButtons, 3);
    }

    void errorBoxShowsExceptionsButNeverAbort()
    {
        TMessageRecorder recorder({}, mrOk);
        Application->HandleException(EDatabaseError("Cannot locate Interbase data file: DEZAZAV.GDB"));
        Application->HandleException(EAbort());
        Application->HandleException(std::runtime_error("plain"));
        QCOMPARE(recorder.Requests.size(), size_t(2));
        QCOMPARE(recorder.Requests[0].Text, QString("Cannot locate Interbase data file: DEZAZAV.GDB"));
        QCOMPARE(recorder.Requests[0].Caption, QString("Quorvale Order Entry"));
        QCOMPARE(recorder.Requests[0].Type, mtError);
        QVERIFY(recorder.Requests[0].Buttons == TMsgDlgButtons{mbOK});
        QCOMPARE(recorder.Requests[1].Text, QString("plain"));

        QVERIFY(!Application->Guard([] { throw EConvertError("'x' is not a valid date"); }));
        QVERIFY(Application->Guard([] {}));
        QCOMPARE(recorder.Requests.size(), size_t(3));
        QCOMPARE(recorder.Requests[2].Text, QString("'x' is not a valid date"));
    }

    void onExceptionReplacesTheBox()
    {
        TMessageRecorder recorder;
        QString caught;
        Application->OnException = [&](TObject* sender, const std::exception& e) {
            QCOMPARE(sender, static_cast<TObject*>(Application));
            caught = e.what();
        };
        Application->HandleException(Exception("handled elsewhere"));
        Application->OnException = nullptr;
        QCOMPARE(caught, QString("handled elsewhere"));
        QVERIFY(recorder.Requests.empty());
    }

    void exceptionsEscapingEventHandlersReachTheErrorBox()
    {
        TMessageRecorder recorder({}, mrOk);
        TThrower thrower;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::Type(QEvent::User + 1)));
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&thrower);
        // All three were delivered: the loop went on after each failure.
        QCOMPARE(thrower.Handled, 3);
        QCOMPARE(recorder.Requests.size(), size_t(2));
        QCOMPARE(recorder.Requests[0].Text, QString("Cannot locate Paradox data files"));
        QCOMPARE(recorder.Requests[0].Type, mtError);
    }
};

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    MessagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "messages_test.moc"
