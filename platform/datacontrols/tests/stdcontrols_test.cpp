// The standard controls: fonts in step with their widgets, labels that fit their
// captions, speed-button groups, radio groups that keep their choice, edits whose
// key handlers swallow and replace characters, combos, the calendar's dates, and the
// bevels drawn where a form expects them.
#include "platform/datacontrols/buttons.h"
#include "platform/datacontrols/combobox.h"
#include "platform/datacontrols/edit.h"
#include "platform/datacontrols/font.h"
#include "platform/datacontrols/label.h"
#include "platform/datacontrols/monthcalendar.h"
#include "platform/datacontrols/panels.h"
#include "platform/datacontrols/radiogroup.h"
#include "platform/datacontrols/speedbutton.h"

#include "platform/core/exceptions.h"
#include "platform/widgets/messages.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// Shows Window and gives Control the keyboard, as a user clicking into it would.
void FocusIn(QWidget& window, QWidget* control)
{
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    control->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), control);
}

void Type(const QString& text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

QImage Render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

} // namespace

class StdControlsTest : public QObject {
    Q_OBJECT

private slots:
    void FontFollowsItsWidget()
    {
        TLabel label;
        QFont font("Courier", 14);
        font.setItalic(true);
        label.setFont(font);
        QCOMPARE(label.Font()->Name(), QString("Courier"));
        QCOMPARE(label.Font()->Size(), 14);
        QCOMPARE(label.Font()->Style(), TFont::TFontStyles(TFont::fsItalic));

        label.Font()->SetStyle(TFont::fsBold | TFont::fsUnderline);
        QVERIFY(label.font().bold());
        QVERIFY(label.font().underline());
        QVERIFY(!label.font().italic());
        label.Font()->SetSize(10);
        QCOMPARE(label.font().pointSize(), 10);
        label.Font()->SetSize(0); // no such size: kept
        QCOMPARE(label.font().pointSize(), 10);

        label.Font()->SetColor(Qt::red);
        QCOMPARE(label.palette().color(QPalette::Active, label.foregroundRole()), QColor(Qt::red));
        QCOMPARE(label.Font()->Color(), QColor(Qt::red));
        // Disabled text keeps its grey.
        QVERIFY(label.palette().color(QPalette::Disabled, label.foregroundRole()) != QColor(Qt::red));
    }

    void FontLeavesWhatItDidNotChangeToTheParent()
    {
        QWidget form;
        auto* label = new TLabel(&form);
        label->Font()->SetColor(Qt::blue);
        QFont big = form.font();
        big.setPointSize(20);
        form.setFont(big);
        QCOMPARE(label->font().pointSize(), 20);

        auto* other = new TLabel(&form);
        other->Font()->SetStyle(TFont::fsBold);
        QPalette red = form.palette();
        red.setColor(QPalette::WindowText, Qt::red);
        form.setPalette(red);
        QCOMPARE(other->Font()->Color(), QColor(Qt::red));
        QCOMPARE(label->Font()->Color(), QColor(Qt::blue));
    }

    void FreeFontHoldsItsValuesAndTells()
    {
        TFont font;
        int changes = 0;
        font.OnChange = [&](TObject* sender) {
            QCOMPARE(sender, static_cast<TObject*>(&font));
            ++changes;
        };
        font.SetName("Arial");
        font.SetStyle(TFont::fsBold);
        font.SetColor(Qt::red);
        QCOMPARE(changes, 3);
        QCOMPARE(font.QtFont().family(), QString("Arial"));
        QVERIFY(font.QtFont().bold());
        QCOMPARE(font.Color(), QColor(Qt::red));

        TLabel label;
        label.Font()->Assign(font);
        QCOMPARE(label.font().family(), QString("Arial"));
        QVERIFY(label.font().bold());
        QCOMPARE(label.Font()->Color(), QColor(Qt::red));
    }

    void LabelFitsItsCaption()
    {
        QWidget form;
        auto* label = new TLabel(&form);
        label->setGeometry(10, 10, 40, 13);
        label->SetCaption("[Orders: Inserting]");
        QCOMPARE(label->size(), label->sizeHint());
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance("[Orders: Inserting]"));
        const int wide = label->width();
        // A short caption leaves nothing covered beside it.
        label->SetCaption("[Mode]");
        QVERIFY(label->width() < wide);
        label->Font()->SetStyle(TFont::fsBold);
        QCOMPARE(label->size(), label->sizeHint());
        QCOMPARE(label->pos(), QPoint(10, 10));

        // As uic makes it: font first, then the text with Qt's setter, then shown.
        auto* designed = new TLabel(&form);
        designed->setGeometry(10, 30, 100, 30);
        designed->Font()->SetSize(12);
        designed->setText("Payment Method");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(designed->size(), designed->sizeHint());

        auto* fixed = new TLabel(&form);
        fixed->SetAutoSize(false);
        fixed->setGeometry(10, 60, 40, 13);
        fixed->SetCaption("[Orders: Inserting]");
        QCOMPARE(fixed->size(), QSize(40, 13));
    }

    void LabelAcceleratorFocusesItsControl()
    {
        QWidget form;
        auto* label = new TLabel(&form);
        auto* edit = new TEdit(&form);
        auto* other = new TEdit(&form);
        label->SetCaption("&Select an Order No.");
        label->SetFocusControl(edit);
        QCOMPARE(label->FocusControl(), static_cast<QObject*>(edit));
        edit->move(0, 20);
        other->move(0, 50);
        FocusIn(form, other);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit));
    }

    void SpeedButtonGroupKeepsOneDown()
    {
        QWidget bar;
        auto* a = new TSpeedButton(&bar);
        auto* b = new TSpeedButton(&bar);
        auto* c = new TSpeedButton(&bar);
        for (TSpeedButton* button : {a, b, c})
            button->SetGroupIndex(1);
        QWidget otherBar;
        auto* elsewhere = new TSpeedButton(&otherBar);
        elsewhere->SetGroupIndex(1);
        elsewhere->SetDown(true);

        a->SetDown(true);
        b->click();
        QVERIFY(b->Down());
        QVERIFY(!a->Down());
        QVERIFY(!c->Down());
        QVERIFY(elsewhere->Down()); // another parent, another group
        // The group must keep one down: neither a click nor the program pops it up.
        b->click();
        QVERIFY(b->Down());
        b->SetDown(false);
        QVERIFY(b->Down());

        a->SetAllowAllUp(true); // for the whole group
        QVERIFY(b->AllowAllUp());
        b->click();
        QVERIFY(!b->Down());
    }

    void SpeedButtonToggleAndPlainButton()
    {
        QWidget bar;
        auto* toggle = new TSpeedButton(&bar);
        toggle->SetGroupIndex(3);
        toggle->SetAllowAllUp(true);
        QList<bool> seen;
        toggle->OnClick = [&](TObject*) { seen.append(toggle->Down()); };
        toggle->click();
        toggle->click();
        QCOMPARE(seen, QList<bool>({true, false}));

        auto* plain = new TSpeedButton(&bar);
        int clicks = 0;
        plain->OnClick = [&](TObject*) { ++clicks; };
        plain->click();
        plain->SetDown(true);
        QCOMPARE(clicks, 1);
        QVERIFY(!plain->Down());
        toggle->SetDown(true);
        toggle->SetGroupIndex(0);
        QVERIFY(!toggle->Down());
    }

    void ButtonHandlerFailureIsReported()
    {
        TMessageRecorder recorder({}, mrOk);
        TButton button;
        button.OnClick = [](TObject*) { throw EDatabaseError("Field 'PartNo' must have a value"); };
        button.click();
        QCOMPARE(recorder.Requests.size(), std::size_t(1));
        QCOMPARE(recorder.Requests[0].Text, QString("Field 'PartNo' must have a value"));
        QCOMPARE(recorder.Requests[0].Type, mtError);
    }

    void CheckBoxTellsEveryChange()
    {
        TCheckBox box;
        int clicks = 0;
        box.OnClick = [&](TObject*) { ++clicks; };
        QVERIFY(box.setProperty("Checked", true));
        QVERIFY(box.isChecked());
        box.click();
        QVERIFY(!box.isChecked());
        QCOMPARE(clicks, 2);
    }

    void RadioGroupKeepsItsChoice()
    {
        TRadioGroup group;
        group.SetItems({"C&ustomers Report", "&Orders Report", "&Invoice Report"});
        QCOMPARE(group.ItemIndex(), -1);
        group.SetItemIndex(0);
        QVERIFY(group.Button(0)->isChecked());

        int clicks = 0;
        group.OnClick = [&](TObject*) { ++clicks; };
        group.Button(2)->click();
        QCOMPARE(group.ItemIndex(), 2);
        QCOMPARE(clicks, 1);
        group.Button(2)->click(); // no change, no click
        QCOMPARE(clicks, 1);

        // Translated items keep the choice; fewer items clamp it.
        group.SetItems({"Kunden", "Auftr\u00e4ge", "Rechnung"});
        QCOMPARE(group.ItemIndex(), 2);
        QVERIFY(group.Button(2)->isChecked());
        QCOMPARE(group.Button(1)->text(), QString("Auftr\u00e4ge"));
        group.SetItems({"Kunden", "Auftr\u00e4ge"});
        QCOMPARE(group.ItemIndex(), 1);
        QVERIFY(group.Button(1)->isChecked());

        group.SetItemIndex(-1);
        QVERIFY(!group.Button(0)->isChecked() && !group.Button(1)->isChecked());
        group.SetItemIndex(7);
        QCOMPARE(group.ItemIndex(), 1);
        QVERIFY_THROWS_EXCEPTION(EListError, group.Button(2));
    }

    void IndexBeforeItemsIsChosenWhenTheyCome()
    {
        // The order uic sets them in: numbers first, translatable texts after.
        TRadioGroup group;
        group.SetItemIndex(1);
        group.SetColumns(2);
        QCOMPARE(group.ItemIndex(), -1);
        group.SetItems({"a", "b", "c"});
        QCOMPARE(group.ItemIndex(), 1);
        QVERIFY(group.Button(1)->isChecked());
        // Once there are items, an index past them is clamped and not remembered.
        group.SetItemIndex(5);
        group.SetItems({"a", "b", "c", "d", "e", "f"});
        QCOMPARE(group.ItemIndex(), 2);

        TComboBox combo;
        combo.SetStyle(TComboBox::csDropDownList);
        combo.SetItemIndex(1);
        combo.SetItems({"Description", "PartNo"});
        QCOMPARE(combo.ItemIndex(), 1);
    }

    void RadioGroupFillsColumnsTopToBottom()
    {
        TRadioGroup group;
        group.SetColumns(2);
        group.SetItems({"a", "b", "c", "d"});
        group.resize(200, 100);
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        QCOMPARE(group.Button(1)->x(), group.Button(0)->x());
        QVERIFY(group.Button(1)->y() > group.Button(0)->y());
        QVERIFY(group.Button(2)->x() > group.Button(0)->x());
        QCOMPARE(group.Button(2)->y(), group.Button(0)->y());
    }

    void EditKeyPressSwallowsAndReplaces()
    {
        QWidget form;
        auto* edit = new TEdit(&form);
        QList<int> keys;
        edit->OnKeyPress = [&](TObject*, QChar& key) {
            keys.append(key.unicode());
            if (key.isLetter())
                key = QChar(); // a number field takes no letters
            else if (key == QLatin1Char(','))
                key = QLatin1Char('.');
        };
        FocusIn(form, edit);
        Type("12a,5");
        QCOMPARE(edit->text(), QString("12.5"));
        QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(keys, QList<int>({'1', '2', 'a', ',', '5', 10, 13, 8}));
        QCOMPARE(edit->text(), QString("12."));
        // Keys that type nothing never reach the handler.
        QTest::keyClick(edit, Qt::Key_Left);
        QCOMPARE(keys.size(), 8);
    }

    void EditKeyPressFailureDropsTheKey()
    {
        TMessageRecorder recorder({}, mrOk);
        QWidget form;
        auto* edit = new TEdit(&form);
        edit->OnKeyPress = [](TObject*, QChar& key) {
            if (key == QLatin1Char('x'))
                throw EConvertError("'x' is not a valid integer value");
        };
        FocusIn(form, edit);
        Type("1x2");
        QCOMPARE(edit->text(), QString("12"));
        QCOMPARE(recorder.Requests.size(), std::size_t(1));
    }

    void EditChangeFollowsEveryChange()
    {
        QWidget form;
        auto* edit = new TEdit(&form);
        QStringList seen;
        edit->OnChange = [&](TObject*) { seen.append(edit->text()); };
        edit->setProperty("Text", "ab");
        FocusIn(form, edit);
        Type("c");
        edit->clear();
        QCOMPARE(seen, QStringList({"ab", "abc", ""}));

        int doubleClicks = 0;
        edit->OnDblClick = [&](TObject*) { ++doubleClicks; };
        QTest::mouseDClick(edit, Qt::LeftButton);
        QCOMPARE(doubleClicks, 1);

        edit->SetMaxLength(0);
        QCOMPARE(edit->MaxLength(), 0);
        edit->SetMaxLength(3);
        edit->setText("abcdef");
        QCOMPARE(edit->text(), QString("abc"));
    }

    void MemoLinesRoundTrip()
    {
        TMemo memo;
        QVERIFY(memo.Lines().isEmpty());
        memo.SetLines({"a", "", "b"});
        QCOMPARE(memo.toPlainText(), QString("a\n\nb"));
        QCOMPARE(memo.Lines(), QStringList({"a", "", "b"}));
        memo.setPlainText("x\ny\n");
        QCOMPARE(memo.Lines(), QStringList({"x", "y"}));
    }

    void ComboListChoosesEntries()
    {
        TComboBox combo;
        combo.SetStyle(TComboBox::csDropDownList);
        combo.SetItems({"Description", "PartNo"});
        QCOMPARE(combo.ItemIndex(), -1);
        combo.SetItemIndex(0);
        QCOMPARE(combo.property("Text").toString(), QString("Description"));
        combo.SetText("PartNo");
        QCOMPARE(combo.ItemIndex(), 1);
        combo.SetText("Nothing");
        QCOMPARE(combo.ItemIndex(), -1);
        combo.SetItemIndex(5);
        QCOMPARE(combo.ItemIndex(), -1);

        combo.SetItemIndex(1);
        combo.SetItems({"Beschreibung", "Teilenummer"});
        QCOMPARE(combo.ItemIndex(), 1);
        QCOMPARE(combo.currentText(), QString("Teilenummer"));
        combo.SetItems({"Beschreibung"});
        QCOMPARE(combo.ItemIndex(), -1);
    }

    void ComboChangeIsTheUsersOnly()
    {
        QWidget form;
        auto* combo = new TComboBox(&form);
        combo->SetStyle(TComboBox::csDropDownList);
        combo->SetItems({"Description", "PartNo"});
        QStringList seen;
        combo->OnChange = [&](TObject*) { seen.append(combo->currentText()); };
        combo->SetItemIndex(1);
        QVERIFY(seen.isEmpty());

        FocusIn(form, combo);
        QTest::keyClick(combo, Qt::Key_Up);
        QCOMPARE(seen, QStringList({"Description"}));

        // Back to typing: the new edit is heard as well, and keeps the text.
        combo->SetStyle(TComboBox::csDropDown);
        QCOMPARE(combo->currentText(), QString("Description"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(combo));
        combo->lineEdit()->selectAll();
        Type("Zip");
        QCOMPARE(seen.last(), QString("Zip"));
    }

    void ComboKeepsTypedText()
    {
        QWidget form;
        auto* combo = new TComboBox(&form);
        QCOMPARE(combo->Style(), TComboBox::csDropDown);
        combo->SetItems({"Prepaid", "Net 30", "COD", ""});
        combo->SetText("net 30");
        QCOMPARE(combo->ItemIndex(), -1);
        combo->SetItems({"Vorkasse", "Netto 30", "Nachnahme", ""});
        QCOMPARE(combo->currentText(), QString("net 30"));
        QCOMPARE(combo->ItemIndex(), -1);

        // Typed and entered text is never added to the entries.
        FocusIn(form, combo);
        combo->lineEdit()->selectAll();
        Type("Fed Ex");
        QTest::keyClick(combo, Qt::Key_Return);
        QCOMPARE(combo->currentText(), QString("Fed Ex"));
        QCOMPARE(combo->Items(), QStringList({"Vorkasse", "Netto 30", "Nachnahme", ""}));
    }

    void CalendarDates()
    {
        TMonthCalendar calendar;
        calendar.SetDate(EncodeDate(1997, 12, 31) + 0.75);
        QCOMPARE(calendar.selectedDate(), QDate(1997, 12, 31));
        QCOMPARE(calendar.Date(), EncodeDate(1997, 12, 31));
        // The empty date of a field is day 0.
        calendar.SetDate(0);
        QCOMPARE(calendar.selectedDate(), QDate(1899, 12, 30));
        QCOMPARE(calendar.property("Date").toDouble(), 0.0);

        QVERIFY_THROWS_EXCEPTION(EConvertError, calendar.SetDate(EncodeDate(9999, 12, 31) + 1));
        QVERIFY_THROWS_EXCEPTION(EConvertError, calendar.SetDate(std::nan("")));
        QCOMPARE(calendar.selectedDate(), QDate(1899, 12, 30));
    }

    void BevelLinesLieWhereTheShapeSays()
    {
        TBevel bevel;
        bevel.resize(20, 10);
        const QRgb dark = bevel.palette().color(QPalette::Dark).rgb();
        const QRgb light = bevel.palette().color(QPalette::Light).rgb();
        QVERIFY(dark != light);

        bevel.SetShape(TBevel::bsBottomLine);
        QImage image = Render(bevel);
        QCOMPARE(image.pixel(5, 8), dark);
        QCOMPARE(image.pixel(5, 9), light);
        QVERIFY(image.pixel(5, 0) != dark && image.pixel(5, 0) != light);

        bevel.SetStyle(TBevel::bsRaised);
        image = Render(bevel);
        QCOMPARE(image.pixel(5, 8), light);
        QCOMPARE(image.pixel(5, 9), dark);

        bevel.SetShape(TBevel::bsLeftLine);
        image = Render(bevel);
        QCOMPARE(image.pixel(0, 5), light);
        QCOMPARE(image.pixel(1, 5), dark);

        bevel.SetStyle(TBevel::bsLowered);
        bevel.SetShape(TBevel::bsBox);
        image = Render(bevel);
        QCOMPARE(image.pixel(0, 0), dark);
        QCOMPARE(image.pixel(19, 9), light);
    }

    void PanelBevelsAndBorderMakeItsMargins()
    {
        TPanel panel;
        panel.resize(40, 30);
        QCOMPARE(panel.contentsMargins().left(), 1); // raised outer bevel
        panel.SetBorderWidth(2);
        panel.SetBevelInner(TPanel::bvLowered);
        QCOMPARE(panel.contentsMargins(), QMargins(4, 4, 4, 4));
        panel.SetBevelOuter(TPanel::bvNone);
        panel.SetBevelInner(TPanel::bvNone);
        QCOMPARE(panel.contentsMargins(), QMargins(2, 2, 2, 2));

        panel.SetBorderWidth(0);
        panel.SetBevelOuter(TPanel::bvRaised);
        const QImage image = Render(panel);
        QCOMPARE(image.pixel(0, 0), panel.palette().color(QPalette::Light).rgb());
        QCOMPARE(image.pixel(39, 29), panel.palette().color(QPalette::Dark).rgb());
    }
};

QTEST_MAIN(StdControlsTest)
#include "stdcontrols_test.moc"
