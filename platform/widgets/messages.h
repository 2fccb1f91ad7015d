// Message boxes and questions. Every box of the program, including the application's
// error box, goes through MessageDlgCaption, and from there through one responder
// hook: a test installs a responder that records the request and answers it, so every
// rule that asks the user can run headlessly. Without a responder a real modal box
// with exactly the requested buttons is shown.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <vector>

class QAbstractButton;
class QMessageBox;
class QWidget;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose };

// A set of buttons: MessageDlg(..., {mbYes, mbNo, mbCancel}, 0).
class TMsgDlgButtons {
public:
    constexpr TMsgDlgButtons() = default;
    constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons)
    {
        for (TMsgDlgBtn b : buttons)
            FBits |= Bit(b);
    }
    constexpr bool Contains(TMsgDlgBtn b) const { return (FBits & Bit(b)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TMsgDlgButtons& operator<<(TMsgDlgBtn b) { FBits |= Bit(b); return *this; }
    constexpr TMsgDlgButtons& operator>>(TMsgDlgBtn b) { FBits &= ~Bit(b); return *this; }
    constexpr bool operator==(const TMsgDlgButtons&) const = default;
    // The buttons in the order they appear on a box.
    std::vector<TMsgDlgBtn> Items() const;

private:
    static constexpr unsigned Bit(TMsgDlgBtn b) { return 1u << static_cast<unsigned>(b); }
    unsigned FBits = 0;
};

inline constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// Modal results of message boxes and of forms shown modally.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;
inline constexpr TModalResult mrClose = 11;

// The modal result a button gives (mbOK gives mrOk, ...); mbHelp gives mrNone.
TModalResult ModalResultOf(TMsgDlgBtn Button);

struct TMessageRequest {
    QString Text;
    QString Caption;
    TMsgDlgType Type = mtCustom;
    TMsgDlgButtons Buttons;
    int HelpContext = 0;
};

// Answers a request with a modal result, as the user would.
using TMessageResponder = std::function<TModalResult(const TMessageRequest&)>;

// Installs the responder (empty: real boxes again) and returns the previous one.
TMessageResponder SetMessageResponder(TMessageResponder Responder);

// Asks with the caption of the type ("Warning", "Error", "Information", "Confirm";
// the application title for mtCustom). Empty buttons give OK alone.
TModalResult MessageDlg(const QString& Text, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpContext = 0);

// The same with a caption of the caller's choice ("Help ID").
TModalResult MessageDlgCaption(const QString& Text, const QString& Caption, TMsgDlgType Type,
                               TMsgDlgButtons Buttons, int HelpContext = 0);

// A plain box with OK, captioned with the application title.
void ShowMessage(const QString& Text);

// The caption MessageDlg gives a type.
QString MessageCaption(TMsgDlgType Type);

// The real box shown when no responder is installed, exposed so that its buttons,
// icon and answers can be checked without running it. The caller owns the box.
QMessageBox* CreateMessageBox(const TMessageRequest& Request, QWidget* Parent = nullptr);
// The modal result of a click on Button of a box made by CreateMessageBox; a box
// closed without a click (Escape with no cancelling button) gives mrCancel.
TModalResult MessageBoxResult(const QMessageBox& Box, QAbstractButton* Button);

// Installs a responder for its lifetime and restores the previous one afterwards.
class TMessageResponderScope {
public:
    explicit TMessageResponderScope(TMessageResponder Responder);
    ~TMessageResponderScope();
    TMessageResponderScope(const TMessageResponderScope&) = delete;
    TMessageResponderScope& operator=(const TMessageResponderScope&) = delete;

private:
    TMessageResponder FPrevious;
};

// A responder for tests: records every request and answers them in turn from
// Answers; once those run out it answers Otherwise.
class TMessageRecorder {
public:
    explicit TMessageRecorder(std::vector<TModalResult> Answers = {}, TModalResult Otherwise = mrCancel);
    ~TMessageRecorder();
    TMessageRecorder(const TMessageRecorder&) = delete;
    TMessageRecorder& operator=(const TMessageRecorder&) = delete;

    std::vector<TMessageRequest> Requests;
    std::vector<TModalResult> Answers;
    // The texts of the requests, in the order asked.
    QStringList Texts() const;
    TModalResult Otherwise;

private:
    TMessageResponderScope FScope;
};
