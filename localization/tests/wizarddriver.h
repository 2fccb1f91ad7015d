// Drives the language wizard the way a user does, for any localizable form: left
// Alt+L to the focused control opens it modally, the rows are edited in the
// inspector with the keyboard, and the wizard is closed again from inside its modal
// loop. The form must be shown and active, with the focus where the keys should go.
#pragma once

#include "inspector/inplace_controls.h"
#include "inspector/text_bytes.h"
#include "localization/langwiz.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace wizard {

// X11 key codes of the left Alt key and of L.
constexpr quint32 kLeftAltScanCode = 64;
constexpr quint32 kLScanCode = 46;

inline void SendKey(QWidget* Target, QEvent::Type Type, int Key, Qt::KeyboardModifiers Modifiers, quint32 ScanCode,
                    const QString& Text = {})
{
    QKeyEvent Event(Type, Key, Modifiers, ScanCode, 0, 0, Text);
    QApplication::sendEvent(Target, &Event);
}

// The keys go to the focused control, as a keyboard sends them. When the wizard has
// closed, the focus may not be back yet: the release then goes where the press went.
inline void PressLeftAltL()
{
    QPointer<QWidget> Target = QApplication::focusWidget();
    if (!Target)
        return;
    SendKey(Target, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier, kLeftAltScanCode);
    SendKey(Target, QEvent::KeyPress, Qt::Key_L, Qt::AltModifier, kLScanCode, "l");
    QWidget* Release = QApplication::focusWidget() ? QApplication::focusWidget() : Target.data();
    if (Release)
        SendKey(Release, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier, kLeftAltScanCode);
}

inline TLWizard* OpenWizard()
{
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (auto* Wizard = qobject_cast<TLWizard*>(Window); Wizard && Wizard->isVisible())
            return Wizard;
    return nullptr;
}

// Presses left Alt+L on the focused control; while the wizard is open, Inspect runs on
// it, then the wizard is closed (with its close box, as a user would). False when no
// wizard opened. QVERIFY and friends inside Inspect end Inspect only; the test sees
// the failure through QTest::currentTestFailed().
inline bool WithWizard(const std::function<void(TLWizard& Wizard)>& Inspect)
{
    bool Opened = false;
    QObject Scope;  // a wizard that never opens leaves no timer behind
    QTimer::singleShot(0, &Scope, [&] {
        TLWizard* Wizard = OpenWizard();
        if (!Wizard)
            return;
        Opened = true;
        Wizard->activateWindow();
        if (!QTest::qWaitForWindowActive(Wizard))
            qWarning("the language wizard did not become active");
        QPointer<TLWizard> Alive(Wizard);
        Inspect(*Wizard);
        if (Alive)
            Alive->close();
    });
    PressLeftAltL();
    return Opened;
}

// The row paths, in the inspector's order.
inline QStringList RowPaths(TNodescope* Props)
{
    QStringList Paths;
    for (int I = 0; I < Props->RowCount(); ++I)
        Paths.append(BytesToText(Props->Rows(I)->Editor->GetName()));
    return Paths;
}

inline int RowOf(TNodescope* Props, const QString& Path)
{
    return int(RowPaths(Props).indexOf(Path));
}

inline QString RowValue(TNodescope* Props, const QString& Path)
{
    const int Row = RowOf(Props, Path);
    return Row < 0 ? QStringLiteral("<no row>") : BytesToText(Props->GetRowValue(Row));
}

// Selects the row, types Value over its text and commits it with Enter. False when
// there is no such row.
inline bool EditRow(TNodescope* Props, const QString& Path, const QString& Value)
{
    const int Row = RowOf(Props, Path);
    if (Row < 0 || !Props->SelectRow(Row))
        return false;
    TZInplaceEdit* Edit = Props->InplaceEdit();
    Edit->setFocus();
    Edit->selectAll();
    QTest::keyClick(Edit, Qt::Key_Delete);
    QTest::keyClicks(Edit, Value);
    QTest::keyClick(Edit, Qt::Key_Return);
    return true;
}

// Selects the row and double-clicks its value, which steps it (a text row stays).
inline bool DoubleClickRow(TNodescope* Props, const QString& Path)
{
    const int Row = RowOf(Props, Path);
    if (Row < 0 || !Props->SelectRow(Row))
        return false;
    QTest::mouseDClick(Props->InplaceEdit(), Qt::LeftButton, {}, QPoint(5, 3));
    return true;
}

}  // namespace wizard
