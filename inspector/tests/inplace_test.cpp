// The in-place controls through real keys and clicks: allowed characters, boolean
// rows, auto-completion, Escape, the date mask, the drop-down's sizes, placement and
// incremental search (on an injected clock), the ellipsis button, the click-then-click
// double click, the commit when the focus leaves, an emptied date, bytes that are
// no UTF-8 kept as stored, values past their maxLength and values of a megabyte.
#include "inspector/tests/scopefixture.h"

#include "platform/core/formatsettings.h"

#include <QClipboard>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const char* const BytesSchema = R"(<xsd:schema>
<xsd:element name="R"><xsd:complexType><xsd:sequence>
 <xsd:element name="T" type="xsd:string"/>
 <xsd:element name="E"><xsd:simpleType><xsd:restriction base="xsd:string">
  <xsd:enumeration value="tea"/><xsd:enumeration value="caf)" "\xe9" R"("/>
 </xsd:restriction></xsd:simpleType></xsd:element>
 <xsd:element name="S"><xsd:simpleType><xsd:restriction base="xsd:string">
  <xsd:maxLength value="5"/></xsd:restriction></xsd:simpleType></xsd:element>
 <xsd:element name="U" type="xsd:string"/>
</xsd:sequence></xsd:complexType></xsd:element>
</xsd:schema>)";

// T holds Latin-1 bytes, U the same word in UTF-8; S is longer than its maxLength.
const char* const BytesObject = "<R><T>caf\xe9</T><E>tea</E><S>abcdefghij</S><U>caf\xc3\xa9</U></R>";

enum BytesRow { bT, bE, bS, bU };

} // namespace

class InplaceTest : public QObject {
    Q_OBJECT

    static void SendMouse(QWidget* W, QEvent::Type Type, const QPoint& Pos, Qt::MouseButtons Buttons)
    {
        QMouseEvent Event(Type, QPointF(Pos), W->mapToGlobal(QPointF(Pos)),
                          Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Buttons, Qt::NoModifier);
        QApplication::sendEvent(W, &Event);
    }

private slots:
    void allowedCharactersAndControlKeys()
    {
        ScopeFixture F;
        TMessageRecorder Boxes;
        F.Select(rCount);
        QCOMPARE(QString::fromStdString(F.Edit()->FAllowedChars), QString("-0123456789"));
        QTest::keyClick(F.Edit(), Qt::Key_End);
        F.Type("1a b-2");
        QCOMPARE(F.Edit()->text(), QString("71-2"));
        QTest::keyClick(F.Edit(), Qt::Key_Backspace);
        QCOMPARE(F.Edit()->text(), QString("71-"));
        // The clipboard shortcuts are control characters outside the allowed set.
        QApplication::clipboard()->setText("99");
        QTest::keyClick(F.Edit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(F.Edit()->text(), QString("71-"));
        QTest::keyClick(F.Edit(), Qt::Key_Backspace);
        QTest::keyClick(F.Edit(), Qt::Key_Return);
        QCOMPARE(F.Text(4), QString("71"));

        // A plain text row takes everything, spaces and paste included.
        F.Select(rNote);
        QTest::keyClick(F.Edit(), Qt::Key_End);
        F.Type(" x");
        QTest::keyClick(F.Edit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(F.Edit()->text(), QString("n x99"));
        // Escape does not revert a row without a value list.
        QTest::keyClick(F.Edit(), Qt::Key_Escape);
        QCOMPARE(F.Edit()->text(), QString("n x99"));
        QVERIFY(Boxes.Requests.empty());
    }

    void booleanRows()
    {
        ScopeFixture F;
        int Changing = 0, Changed = 0;
        F.Ins->OnChanging = [&](TNodescope*, TXMLPropEditor*, bool&) { ++Changing; };
        F.Ins->OnChange = [&](TNodescope*, TXMLPropEditor*) { ++Changed; };
        F.Select(rVip);
        QCOMPARE(F.Ins->EditKind(), ekBoolean);
        QVERIFY(F.Edit()->FCheckBox->isVisible());
        QVERIFY(!F.Edit()->FCheckBox->isChecked());
        QVERIFY(!F.Edit()->FButton->isVisible());
        QCOMPARE(F.Edit()->text(), QString());
        QCOMPARE(F.Edit()->FCheckBox->geometry(), QRect(F.Ins->Middle() + 4, rVip * F.H(), 20, F.H() - 1));
        F.Type("tx1");
        QTest::keyClick(F.Edit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(F.Edit()->text(), QString());
        QCOMPARE(F.Text(2), QString("false"));
        // Space and Ctrl+Enter step the value.
        QTest::keyClick(F.Edit(), Qt::Key_Space);
        QCOMPARE(F.Text(2), QString("true"));
        QVERIFY(F.Edit()->FCheckBox->isChecked());
        QCOMPARE(F.Ins->SelectedRow(), int(rVip));
        QTest::keyClick(F.Edit(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(F.Text(2), QString("false"));
        QCOMPARE(F.Ins->SelectedRow(), int(rVip));
        QCOMPARE(Changing, 2);
        QCOMPARE(Changed, 2);
        // A click on the box stores without the change events.
        QTest::mouseClick(F.Edit()->FCheckBox, Qt::LeftButton);
        QCOMPARE(F.Text(2), QString("true"));
        QTest::mouseClick(F.Edit()->FCheckBox, Qt::LeftButton);
        QCOMPARE(F.Text(2), QString("false"));
        QCOMPARE(Changing, 2);
        QCOMPARE(Changed, 2);
    }

    void autoCompletion()
    {
        ScopeFixture F;
        F.Select(rKind);
        QCOMPARE(F.Ins->EditKind(), ekList);
        F.Type("ab");
        QCOMPARE(F.Edit()->text(), QString("Abc"));
        QCOMPARE(F.Edit()->selectedText(), QString("c"));
        QVERIFY(F.Edit()->isModified());
        // Typing over the completed tail does not complete on that change.
        F.Type("d");
        QCOMPARE(F.Edit()->text(), QString("Abd"));
        QTest::keyClick(F.Edit(), Qt::Key_Backspace);
        QCOMPARE(F.Edit()->text(), QString("Ab"));
        F.Type("c");
        QCOMPARE(F.Edit()->text(), QString("Abc"));
        QTest::keyClick(F.Edit(), Qt::Key_Left);
        QTest::keyClick(F.Edit(), Qt::Key_Delete);
        QCOMPARE(F.Edit()->text(), QString("Ab"));
        F.Edit()->selectAll();
        F.Type("o");
        QCOMPARE(F.Edit()->text(), QString("o"));  // typed over a selection
        F.Type("t");
        QCOMPARE(F.Edit()->text(), QString("Other"));
        QCOMPARE(F.Edit()->selectedText(), QString("her"));
        // Escape on a value-list row reloads the stored value.
        QTest::keyClick(F.Edit(), Qt::Key_Escape);
        QCOMPARE(F.Edit()->text(), QString("Other"));
        QVERIFY(!F.Edit()->isModified());
        // An empty typed text matches the first value.
        F.Edit()->AutoComplete(QString());
        QCOMPARE(F.Edit()->text(), QString("Abc"));
    }

    void dateMask()
    {
        ScopeFixture F;
        TMessageRecorder Boxes;
        F.Select(rSince);
        QCOMPARE(F.Ins->EditKind(), ekDate);
        QVERIFY(!F.Edit()->FButton->isVisible());
        QCOMPARE(F.Edit()->displayText(), QString("21/05/1999"));
        QCOMPARE(QString::fromStdString(F.Edit()->GetEditText()), QString("21/05/1999"));
        // An unfilled mask is no date; unfilled optional positions become leading
        // blanks of their group.
        F.Edit()->SetEditText("");
        QCOMPARE(QString::fromStdString(F.Edit()->GetEditText()), QString());
        F.Edit()->setCursorPosition(0);
        F.Type("1");
        QCOMPARE(QString::fromStdString(F.Edit()->GetEditText()), QString(" 1/  /    "));
        // Re-placing the edit (a resize, a repaint) keeps what is being typed.
        F.Edit()->MoveEdit(F.Ins->EditRect());
        F.Ins->resize(F.Ins->width() + 20, F.Ins->height());
        QCoreApplication::processEvents();
        QCOMPARE(QString::fromStdString(F.Edit()->GetEditText()), QString(" 1/  /    "));
        QVERIFY(F.Edit()->isModified());
        F.Edit()->setCursorPosition(3);
        F.Type("02");
        F.Edit()->setCursorPosition(6);
        F.Type("2024x");
        QCOMPARE(QString::fromStdString(F.Edit()->GetEditText()), QString(" 1/02/2024"));
        QTest::keyClick(F.Edit(), Qt::Key_Return);
        QCOMPARE(F.Text(3), QString(" 1/02/2024"));
        QVERIFY(Boxes.Requests.empty());
        // Moving to a text row drops the mask.
        QCOMPARE(F.Ins->SelectedRow(), int(rCount));
        QCOMPARE(F.Edit()->inputMask(), QString());
        QCOMPARE(F.Edit()->text(), QString("7"));
    }

    void emptyDateClearsTheRow()
    {
        // With '/' the empty mask used to reach the date check as "  /  /    ".
        const char Saved = FormatSettings.DateSeparator;
        for (const char Separator : {'/', '.', '-'}) {
            FormatSettings.DateSeparator = Separator;
            ScopeFixture F;
            TMessageRecorder Boxes;
            F.Select(rSince);
            QCOMPARE(F.Edit()->displayText(), QString("21") + Separator + "05" + Separator + "1999");
            F.Edit()->selectAll();
            QTest::keyClick(F.Edit(), Qt::Key_Delete);
            QVERIFY(F.Edit()->isModified());
            QTest::keyClick(F.Edit(), Qt::Key_Return);
            QVERIFY2(Boxes.Requests.empty(), Boxes.Requests.empty() ? "" : qPrintable(Boxes.Requests[0].Text));
            QCOMPARE(F.Text(rSince), QString());
            QCOMPARE(F.Ins->SelectedRow(), int(rCount));
            // The cleared row shows the empty mask and takes a new date.
            F.Select(rSince);
            QCOMPARE(F.Edit()->displayText(), QString("__") + Separator + "__" + Separator + "____");
            F.Edit()->setCursorPosition(0);
            F.Type("01022024");
            QTest::keyClick(F.Edit(), Qt::Key_Return);
            QCOMPARE(F.Text(rSince), QString("01") + Separator + "02" + Separator + "2024");
        }
        FormatSettings.DateSeparator = Saved;
    }

    void bytesTheLocaleCannotDecodeStayAsStored()
    {
        // The pair of conversions: valid UTF-8 is decoded, other bytes one per
        // character, and each comes back as it was.
        for (const std::string& Bytes : {std::string("caf\xe9"), std::string("caf\xc3\xa9"), std::string("\xc3"),
                                         std::string("a\0b", 3), std::string("\xed\xa0\x80"), std::string("\xf0\x9f\x98\x80")}) {
            const bool ByteWise = !IsLocalText(Bytes);
            QCOMPARE(TextToBytes(BytesToText(Bytes), ByteWise), Bytes);
        }
        QCOMPARE(BytesToText("caf\xe9"), QString("caf") + QChar(0xE9));
        QCOMPARE(BytesToText("caf\xc3\xa9"), QString("caf") + QChar(0xE9));
        QVERIFY(!IsLocalText("\xc0\x80"));  // an overlong form is no UTF-8

        ScopeFixture F(BytesSchema, BytesObject, "R");
        TMessageRecorder Boxes;
        F.Select(bT);
        QCOMPARE(F.Edit()->text(), QString("caf") + QChar(0xE9));
        QTest::keyClick(F.Edit(), Qt::Key_End);
        F.Type("!");
        QTest::keyClick(F.Edit(), Qt::Key_Return);
        QCOMPARE(F.Object->Child(bT)->GetText(), std::string("caf\xe9!"));
        // A character beyond one byte goes in in the locale's encoding; the rest stays.
        F.Select(bT);
        QTest::keyClick(F.Edit(), Qt::Key_End);
        QTest::sendKeyEvent(QTest::Click, F.Edit(), Qt::Key_unknown, QString(QChar(0x20AC)), Qt::NoModifier);
        QTest::keyClick(F.Edit(), Qt::Key_Return);
        QCOMPARE(F.Object->Child(bT)->GetText(), std::string("caf\xe9!\xe2\x82\xac"));
        // UTF-8 stays UTF-8.
        F.Select(bU);
        QCOMPARE(F.Edit()->text(), QString("caf") + QChar(0xE9));
        QTest::keyClick(F.Edit(), Qt::Key_End);
        F.Type("!");
        QTest::keyClick(F.Edit(), Qt::Key_Return);
        QCOMPARE(F.Object->Child(bU)->GetText(), std::string("caf\xc3\xa9!"));

        // A list value picked from the drop-down is stored as the schema has it.
        F.Select(bE);
        TZListButton* Button = F.Edit()->FButton;
        QTest::keyClick(F.Edit(), Qt::Key_Down, Qt::AltModifier);
        QVERIFY(Button->FListVisible);
        QCOMPARE(Button->FList->item(1)->text(), QString("caf") + QChar(0xE9));
        QCOMPARE(Button->FList->currentRow(), 0);
        QTest::keyClick(Button, Qt::Key_Down);
        QTest::keyClick(Button, Qt::Key_Return);
        QVERIFY2(Boxes.Requests.empty(), Boxes.Requests.empty() ? "" : qPrintable(Boxes.Requests[0].Text));
        QCOMPARE(F.Object->Child(bE)->GetText(), std::string("caf\xe9"));
        // So is one completed from typing.
        F.Object->Child(bE)->SetText("tea");
        F.Ins->LoadEdit(false);
        F.Edit()->selectAll();
        QTest::keyClick(F.Edit(), Qt::Key_Backspace);
        F.Type("C");
        QCOMPARE(F.Edit()->text(), QString("caf") + QChar(0xE9));
        QCOMPARE(F.Edit()->selectedText(), QString("af") + QChar(0xE9));
        QTest::keyClick(F.Edit(), Qt::Key_Return);
        QVERIFY(Boxes.Requests.empty());
        QCOMPARE(F.Object->Child(bE)->GetText(), std::string("caf\xe9"));
        // Neither is the value of a row the user only passed through.
        F.Select(bT);
        F.Select(bU);
        F.Select(bT);
        QCOMPARE(F.Object->Child(bT)->GetText(), std::string("caf\xe9!\xe2\x82\xac"));
    }

    void valueLongerThanMaxLengthShowsWholeAndStays()
    {
        ScopeFixture F(BytesSchema, BytesObject, "R");
        TMessageRecorder Boxes;
        int Changes = 0;
        F.Ins->OnChange = [&](TNodescope*, TXMLPropEditor*) { ++Changes; };
        F.Select(bS);
        QCOMPARE(F.Ins->Rows(bS)->Editor->GetMaxLength(), 5);
        QCOMPARE(F.Edit()->text(), QString("abcdefghij"));
        QVERIFY(F.Edit()->maxLength() >= 10);
        QCOMPARE(F.Edit()->GetEditText(), std::string("abcdefghij"));
        // Enter without typing, moving away and coming back: nothing is written.
        QTest::keyClick(F.Edit(), Qt::Key_Return);
        QCOMPARE(F.Ins->SelectedRow(), int(bU));
        QTest::keyClick(F.Edit(), Qt::Key_Up);
        QCOMPARE(F.Ins->SelectedRow(), int(bS));
        QCOMPARE(F.Edit()->text(), QString("abcdefghij"));
        F.Select(bT);
        QCOMPARE(F.Object->Child(bS)->GetText(), std::string("abcdefghij"));
        QCOMPARE(Changes, 0);
        // Typing cannot make it longer.
        F.Select(bS);
        QTest::keyClick(F.Edit(), Qt::Key_End);
        F.Type("k");
        QCOMPARE(F.Edit()->text(), QString("abcdefghij"));
        QVERIFY(Boxes.Requests.empty());
    }

    void longValueIsEditedInItsHead()
    {
        // A value of a megabyte: the edit holds its head, the rest follows it back.
        ScopeFixture F;
        const std::string Long = "start" + std::string(1 << 20, 'x') + "end";
        F.Object->Child(rNote)->SetText(Long);
        F.Select(rNote);
        QVERIFY(F.Edit()->text().size() <= 4096);
        QVERIFY(F.Edit()->text().startsWith("startxxx"));
        QCOMPARE(F.Edit()->selectedText(), F.Edit()->text());
        QCOMPARE(F.Edit()->cursorPosition(), 0);  // the start is what is seen
        QVERIFY(!F.Edit()->isModified());
        QVERIFY(F.Edit()->GetEditText() == Long);
        // Passing through changes nothing.
        QTest::keyClick(F.Edit(), Qt::Key_Up);
        QTest::keyClick(F.Edit(), Qt::Key_Down);
        QCOMPARE(F.Ins->SelectedRow(), int(rNote));
        QVERIFY(F.Object->Child(rNote)->GetText() == Long);
        // Typing edits the head and the tail comes after it. Like any value past
        // its maxLength (255 here) it can be changed but not grown.
        QTest::keyClick(F.Edit(), Qt::Key_Home);
        QTest::keyClick(F.Edit(), Qt::Key_Right, Qt::ShiftModifier);
        F.Type("S");
        QTest::keyClick(F.Edit(), Qt::Key_End);
        F.Type("A");
        QVERIFY(F.Edit()->text().startsWith("Start"));
        QTest::keyClick(F.Edit(), Qt::Key_Return);
        QVERIFY(F.Object->Child(rNote)->GetText() == "S" + Long.substr(1));

        // A head never cuts a character in two, nor changes how the value decodes.
        std::string Accents;
        for (int I = 0; I < 300000; ++I)
            Accents += "\xc3\xa9";
        std::string Latin(300000, '\xe9');
        for (const std::string& Value : {Accents, Latin}) {
            F.Object->Child(rNote)->SetText(Value);
            F.Ins->LoadEdit(false);
            QVERIFY(F.Edit()->text().size() <= 4096);
            QCOMPARE(F.Edit()->text().at(0), QChar(0xE9));
            QVERIFY(F.Edit()->GetEditText() == Value);
        }
    }

    void dropDownSizesAndPlacement()
    {
        ScopeFixture F;
        TZListButton* Button = F.Edit()->FButton;
        const int ItemHeight = QFontMetrics(F.Ins->font()).height() + 2;
        QCOMPARE(Button->FItemHeight, ItemHeight);
        // Alt+Down on a row that is no list does nothing.
        F.Select(rName);
        QTest::keyClick(F.Edit(), Qt::Key_Down, Qt::AltModifier);
        QVERIFY(!Button->FListVisible);
        QCOMPARE(F.Ins->SelectedRow(), int(rName));
        QCOMPARE(F.Edit()->text(), QString("Ann"));

        F.Select(rMonth);
        QVERIFY(Button->isVisible());
        QVERIFY(Button->FDropDownStyle);
        QCOMPARE(Button->geometry().right(), F.Ins->ClientWidth() - 1);
        QCOMPARE(F.Edit()->width() + Button->width(), F.Ins->ClientWidth() - F.Ins->Middle() - 1);
        QTest::keyClick(F.Edit(), Qt::Key_Down, Qt::AltModifier);
        QVERIFY(Button->FListVisible);
        TZPopupList* List = Button->FList;
        QVERIFY(List->isVisible());
        QVERIFY(List->isWindow());
        QCOMPARE(List->count(), 20);
        QCOMPARE(List->height(), 8 * ItemHeight + 2);
        QCOMPARE(List->currentRow(), 2);  // the stored M03
        const QPoint Corner = Button->mapToGlobal(QPoint(Button->width(), Button->height()));
        QCOMPARE(List->geometry().right() + 1, Corner.x());
        QCOMPARE(List->geometry().top(), Corner.y());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Button));
        // Keys go to the list while it is shown; Enter takes the item and commits.
        QTest::keyClick(Button, Qt::Key_Down);
        QCOMPARE(List->currentRow(), 3);
        QTest::keyClick(Button, Qt::Key_Return);
        QVERIFY(!List->isVisible());
        QVERIFY(!Button->FListVisible);
        QCOMPARE(F.Text(rMonth), QString("M04"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(F.Edit()));
        // Escape closes without a change.
        QTest::keyClick(F.Edit(), Qt::Key_Down, Qt::AltModifier);
        QTest::keyClick(Button, Qt::Key_Down);
        QTest::keyClick(Button, Qt::Key_Escape);
        QVERIFY(!List->isVisible());
        QCOMPARE(F.Text(rMonth), QString("M04"));

        // An empty value list still drops one row.
        F.Select(rNothing);
        QCOMPARE(F.Ins->EditKind(), ekList);
        QTest::mouseClick(Button, Qt::LeftButton);
        QVERIFY(List->isVisible());
        QCOMPARE(List->count(), 0);
        QCOMPARE(List->height(), ItemHeight + 2);
        // A click on the button while the list is shown closes it.
        QTest::mouseClick(Button, Qt::LeftButton);
        QVERIFY(!List->isVisible());

        // Near the screen's bottom the list opens above the row.
        const QRect Screen = F.Ins->screen()->geometry();
        F.Ins->move(F.Ins->x(), Screen.bottom() + 1 - F.Ins->frameGeometry().height());
        QCoreApplication::processEvents();
        F.Select(rMonth);
        QTest::keyClick(F.Edit(), Qt::Key_Down, Qt::AltModifier);
        const int ButtonTop = Button->mapToGlobal(QPoint(0, 0)).y();
        QCOMPARE(List->geometry().bottom() + 1, ButtonTop);
        QTest::keyClick(Button, Qt::Key_Escape);
    }

    void listClickAndDragFromTheButton()
    {
        ScopeFixture F;
        TZListButton* Button = F.Edit()->FButton;
        TZPopupList* List = Button->FList;
        F.Select(rKind);
        QTest::mouseClick(Button, Qt::LeftButton);
        QVERIFY(List->isVisible());
        // A click on an item takes it.
        const QRect Item = List->visualItemRect(List->item(1));
        QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, Item.center());
        QVERIFY(!List->isVisible());
        QCOMPARE(F.Text(rKind), QString("abd"));
        // Press on the button, drag into the list, release over an item.
        QTest::mousePress(Button, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(List->isVisible());
        const QPoint Target = List->viewport()->mapToGlobal(List->visualItemRect(List->item(2)).center());
        SendMouse(Button, QEvent::MouseMove, Button->mapFromGlobal(Target), Qt::LeftButton);
        QCOMPARE(List->currentRow(), 2);
        SendMouse(Button, QEvent::MouseButtonRelease, Button->mapFromGlobal(Target), Qt::NoButton);
        QVERIFY(!List->isVisible());
        QCOMPARE(F.Text(rKind), QString("Other"));
    }

    void incrementalSearchOnTheInjectedClock()
    {
        ScopeFixture F;
        TZListButton* Button = F.Edit()->FButton;
        TZPopupList* List = Button->FList;
        F.Select(rMonth);
        QTest::keyClick(F.Edit(), Qt::Key_Down, Qt::AltModifier);
        QTest::keyClicks(Button, "m1");
        QCOMPARE(List->currentRow(), 9);  // M10
        F.Now += 2000;  // exactly the pause: the search text is kept
        QTest::keyClicks(Button, "5");
        QCOMPARE(QString::fromStdString(List->FSearchText), QString("m15"));
        QCOMPARE(List->currentRow(), 14);
        F.Now += 2001;  // longer: a new search
        QTest::keyClicks(Button, "m2");
        QCOMPARE(QString::fromStdString(List->FSearchText), QString("m2"));
        QCOMPARE(List->currentRow(), 19);
        QTest::keyClick(Button, Qt::Key_Backspace);
        QCOMPARE(QString::fromStdString(List->FSearchText), QString());
        QTest::keyClicks(Button, QString(40, QChar('x')));
        QCOMPARE(int(List->FSearchText.size()), 32);
        QCOMPARE(List->currentRow(), 19);  // no match leaves the selection
        QTest::keyClick(Button, Qt::Key_Escape);
        QCOMPARE(F.Text(rMonth), QString("M03"));
    }

    void ellipsisButtonFiresOnButton()
    {
        ScopeFixture F;
        int Buttons = 0, Changes = 0;
        F.Ins->OnButton = [&](QObject* Sender) {
            QCOMPARE(Sender, static_cast<QObject*>(F.Ins.get()));
            ++Buttons;
        };
        F.Ins->OnChange = [&](TNodescope*, TXMLPropEditor*) { ++Changes; };
        F.Select(rWeb);
        QCOMPARE(F.Ins->EditKind(), ekButton);
        TZListButton* Button = F.Edit()->FButton;
        QVERIFY(Button->isVisible());
        QVERIFY(!Button->FDropDownStyle);
        // Pressed, dragged off and released elsewhere: one OnButton, no double click.
        QTest::mousePress(Button, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(Button->FPressed);
        SendMouse(Button, QEvent::MouseMove, QPoint(-30, 3), Qt::LeftButton);
        QCOMPARE(Buttons, 1);
        QVERIFY(!Button->FPressed);
        QTest::mouseRelease(Button, Qt::LeftButton, {}, QPoint(-30, 3));
        QCOMPARE(Buttons, 1);
        QCOMPARE(Changes, 0);
        QVERIFY(!Button->FList->isVisible());
        // A click fires OnButton and runs the double-click action.
        QTest::mouseClick(Button, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(Buttons, 2);
        QCOMPARE(Changes, 1);
    }

    void clickThenClickIsADoubleClick()
    {
        ScopeFixture F;
        int Changes = 0;
        F.Ins->OnChange = [&](TNodescope*, TXMLPropEditor*) { ++Changes; };
        F.ClickRow(rKind, 20);
        QCOMPARE(F.Edit()->FClickTime, F.Now);
        F.Now += QApplication::doubleClickInterval() - 1;
        QTest::mouseClick(F.Edit(), Qt::LeftButton, {}, QPoint(5, 3));
        QCOMPARE(Changes, 1);
        QCOMPARE(F.Text(rKind), QString("Abc"));  // stepped past the last value
        QCOMPARE(F.Edit()->FClickTime, uint64_t(0));
        // Too late: an ordinary click.
        F.ClickRow(rName, 20);
        F.ClickRow(rKind, 20);
        F.Now += QApplication::doubleClickInterval();
        QTest::mouseClick(F.Edit(), Qt::LeftButton, {}, QPoint(5, 3));
        QCOMPARE(Changes, 1);
        // A second click on the edit itself, without a row click first, is ordinary too.
        QTest::mouseClick(F.Edit(), Qt::LeftButton, {}, QPoint(5, 3));
        QCOMPARE(Changes, 1);
    }

    void focusLeavingCommitsAndRefusalTakesItBack()
    {
        ScopeFixture F;
        QLineEdit Other(F.Ins.get());
        Other.setGeometry(0, 0, 10, 10);
        Other.show();
        TMessageRecorder Boxes;
        F.Select(rCount);
        QTest::keyClick(F.Edit(), Qt::Key_End);
        F.Type("1");
        Other.setFocus(Qt::MouseFocusReason);
        QCOMPARE(F.Text(4), QString("71"));
        QVERIFY(Boxes.Requests.empty());

        F.Select(rKind);
        F.Edit()->selectAll();
        F.Type("zz");
        Other.setFocus(Qt::MouseFocusReason);
        QCOMPARE(int(Boxes.Requests.size()), 1);
        QCOMPARE(Boxes.Requests[0].Text, QString("Value zz not in list"));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(F.Edit()));
        QCOMPARE(F.Edit()->text(), QString("Other"));
        QCOMPARE(F.Text(1), QString("Other"));
        // Focus moving to the inspector itself does not commit.
        F.Type("x");
        F.Ins->setFocus(Qt::MouseFocusReason);
        QCOMPARE(int(Boxes.Requests.size()), 1);
        QVERIFY(F.Edit()->isModified());
    }

    void readOnlyHidesTheButton()
    {
        ScopeFixture F;
        F.Ins->SetReadOnly(true);
        F.Select(rMonth);
        QVERIFY(!F.Edit()->FButton->isVisible());
        QCOMPARE(F.Edit()->width(), F.Ins->ClientWidth() - F.Ins->Middle() - 1);
        F.Select(rVip);
        QVERIFY(F.Edit()->FCheckBox->isVisible());
        QVERIFY(!F.Edit()->FCheckBox->isEnabled());
    }
};

QTEST_MAIN(InplaceTest)
#include "inplace_test.moc"
