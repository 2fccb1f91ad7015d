// What the order form's tests share: the builder's sample data with the known rows of
// datamod_fixture.h in a scratch store, the program's folder beside it (where
// "lang.xml" lies), the application's objects created as at the start, and a way to
// act on a window while the code under test shows it modally.
#pragma once

#include "orderentry/DataMod.h"
#include "orderentry/Startup.h"
#include "orderentry/date_form.h"
#include "orderentry/order_form.h"
#include "orderentry/tests/datamod_fixture.h"

#include "platform/widgets/forms.h"
#include "xmllib/strs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

// The sample data with the known rows; the program placed in <root>/bin/app/.
inline std::unique_ptr<TScratchStore> OrderFormStore()
{
    auto store = std::make_unique<TScratchStore>(false);
    LayOrderData(*store);
    QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(AppFolder)));
    return store;
}

// "lang.xml" in the program's folder.
inline QString LangFile()
{
    return QFile::decodeName(QByteArray::fromStdString(AppFolder)) + "lang.xml";
}

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Runs Open, which is to show Form modally, and Steps while it is shown. Once the steps
// are over the form is hidden if they left it open, so a failing case never hangs
// the run. False when Form was not shown. The window that was active before is
// active again when this returns.
inline bool WhileModal(TForm* Form, const std::function<void()>& Open, const std::function<void()>& Steps)
{
    bool shown = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!QTest::qWaitFor([&] { return Form->isVisible(); }, 5000))
            return;
        shown = true;
        if (QTest::qWaitForWindowActive(Form))
            Steps();
        else
            qWarning("%s never became active", qPrintable(Form->objectName()));
        if (Form->isVisible())
            Form->hide();
    });
    // A window showing Form waits for the focus to come back, as a user does.
    QWidget* previous = QApplication::activeWindow();
    timer.start(0);
    Open();
    if (previous && previous->isVisible() && QApplication::activeWindow() != previous) {
        // A window manager gives the focus back; the offscreen platform has none.
        previous->activateWindow();
        if (!QTest::qWaitForWindowActive(previous))
            qWarning("%s did not become active again", qPrintable(previous->objectName()));
    }
    return shown;
}

// Keys as a keyboard sends them, to whichever control has the focus.
inline void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

inline void Type(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}
