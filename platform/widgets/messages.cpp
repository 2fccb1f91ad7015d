// Message boxes: one path for every box, through the responder when one is installed.
// What must stay true: a box shows exactly the requested buttons and answers only
// with the modal result of one of them (or mrCancel when closed without a choice).
#include "platform/widgets/messages.h"

#include "platform/widgets/application.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <memory>

namespace {

TMessageResponder& Responder()
{
    static TMessageResponder responder;
    return responder;
}

// Button order on a box, and the button that is default when it is present.
constexpr TMsgDlgBtn ButtonOrder[] = {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry,
                                      mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose};

const char* const ResultProperty = "quorvaleModalResult";

QMessageBox::Icon IconOf(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return QMessageBox::Warning;
    case mtError: return QMessageBox::Critical;
    case mtInformation: return QMessageBox::Information;
    case mtConfirmation: return QMessageBox::Question;
    case mtCustom: break;
    }
    return QMessageBox::NoIcon;
}

QAbstractButton* AddButton(QMessageBox& box, TMsgDlgBtn b)
{
    QAbstractButton* button = nullptr;
    switch (b) {
    case mbYes: button = box.addButton(QMessageBox::Yes); break;
    case mbNo: button = box.addButton(QMessageBox::No); break;
    case mbOK: button = box.addButton(QMessageBox::Ok); break;
    case mbCancel: button = box.addButton(QMessageBox::Cancel); break;
    case mbAbort: button = box.addButton(QMessageBox::Abort); break;
    case mbRetry: button = box.addButton(QMessageBox::Retry); break;
    case mbIgnore: button = box.addButton(QMessageBox::Ignore); break;
    // Qt has no "All" button of its own.
    case mbAll: button = box.addButton(QObject::tr("&All"), QMessageBox::AcceptRole); break;
    case mbNoToAll: button = box.addButton(QMessageBox::NoToAll); break;
    case mbYesToAll: button = box.addButton(QMessageBox::YesToAll); break;
    case mbHelp: button = box.addButton(QMessageBox::Help); break;
    case mbClose: button = box.addButton(QMessageBox::Close); break;
    }
    button->setProperty(ResultProperty, ModalResultOf(b));
    button->setProperty("quorvaleButton", static_cast<int>(b));
    return button;
}

// Runs the real box; the Help button shows the topic and leaves the question open.
TModalResult RunMessageBox(const TMessageRequest& request)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        // A program without windows still tells what happened.
        std::fprintf(stderr, "%s: %s\n", request.Caption.toLocal8Bit().constData(),
                     request.Text.toLocal8Bit().constData());
        return request.Buttons.Contains(mbOK) ? mrOk : mrCancel;
    }
    for (;;) {
        std::unique_ptr<QMessageBox> box(CreateMessageBox(request, QApplication::activeWindow()));
        box->exec();
        QAbstractButton* clicked = box->clickedButton();
        if (clicked && clicked->property("quorvaleButton").toInt() == mbHelp) {
            Application->HelpContext(request.HelpContext);
            continue;
        }
        return MessageBoxResult(*box, clicked);
    }
}

} // namespace

std::vector<TMsgDlgBtn> TMsgDlgButtons::Items() const
{
    std::vector<TMsgDlgBtn> items;
    for (TMsgDlgBtn b : ButtonOrder)
        if (Contains(b))
            items.push_back(b);
    return items;
}

TModalResult ModalResultOf(TMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    case mbClose: return mrClose;
    case mbHelp: break;
    }
    return mrNone;
}

TMessageResponder SetMessageResponder(TMessageResponder Responder_)
{
    TMessageResponder previous = std::move(Responder());
    Responder() = std::move(Responder_);
    return previous;
}

QString MessageCaption(TMsgDlgType Type)
{
    switch (Type) {
    case mtWarning: return QStringLiteral("Warning");
    case mtError: return QStringLiteral("Error");
    case mtInformation: return QStringLiteral("Information");
    case mtConfirmation: return QStringLiteral("Confirm");
    case mtCustom: break;
    }
    return Application->DisplayTitle();
}

TModalResult MessageDlg(const QString& Text, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpContext)
{
    return MessageDlgCaption(Text, MessageCaption(Type), Type, Buttons, HelpContext);
}

TModalResult MessageDlgCaption(const QString& Text, const QString& Caption, TMsgDlgType Type,
                               TMsgDlgButtons Buttons, int HelpContext)
{
    TMessageRequest request;
    request.Text = Text;
    request.Caption = Caption;
    request.Type = Type;
    request.Buttons = Buttons.Empty() ? TMsgDlgButtons{mbOK} : Buttons;
    request.HelpContext = HelpContext;
    // A copy, so that a responder may replace itself while answering.
    if (TMessageResponder responder = Responder())
        return responder(request);
    return RunMessageBox(request);
}

void ShowMessage(const QString& Text)
{
    MessageDlgCaption(Text, Application->DisplayTitle(), mtCustom, {mbOK});
}

QMessageBox* CreateMessageBox(const TMessageRequest& Request, QWidget* Parent)
{
    auto* box = new QMessageBox(Parent);
    box->setWindowTitle(Request.Caption);
    box->setIcon(IconOf(Request.Type));
    // Texts are shown as written: leading blanks and line breaks included.
    box->setTextFormat(Qt::PlainText);
    box->setText(Request.Text);
    QAbstractButton* yes = nullptr;
    QAbstractButton* ok = nullptr;
    QAbstractButton* first = nullptr;
    for (TMsgDlgBtn b : Request.Buttons.Items()) {
        QAbstractButton* button = AddButton(*box, b);
        if (!first)
            first = button;
        if (b == mbYes)
            yes = button;
        if (b == mbOK)
            ok = button;
    }
    QAbstractButton* def = ok ? ok : yes ? yes : first;
    if (auto* push = qobject_cast<QPushButton*>(def))
        box->setDefaultButton(push);
    return box;
}

TModalResult MessageBoxResult(const QMessageBox& Box, QAbstractButton* Button)
{
    if (!Button || !Box.buttons().contains(Button))
        return mrCancel;
    return Button->property(ResultProperty).toInt();
}

TMessageResponderScope::TMessageResponderScope(TMessageResponder Responder_)
    : FPrevious(SetMessageResponder(std::move(Responder_)))
{
}

TMessageResponderScope::~TMessageResponderScope()
{
    SetMessageResponder(std::move(FPrevious));
}

TMessageRecorder::TMessageRecorder(std::vector<TModalResult> Answers_, TModalResult Otherwise_)
    : Answers(std::move(Answers_)), Otherwise(Otherwise_),
      FScope([this](const TMessageRequest& request) {
          Requests.push_back(request);
          std::size_t n = Requests.size() - 1;
          return n < Answers.size() ? Answers[n] : Otherwise;
      })
{
}

TMessageRecorder::~TMessageRecorder() = default;

QStringList TMessageRecorder::Texts() const
{
    QStringList texts;
    for (const TMessageRequest& request : Requests)
        texts << request.Text;
    return texts;
}
