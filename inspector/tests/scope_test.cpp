// The inspector control driven through real key, mouse and wheel events: selection
// moves, the commit flow with refusals and vetoes, expansion by keyboard, click and
// double click, selection restore after a rebuild, and ReadOnly.
#include "inspector/tests/scopefixture.h"
#include "inspector/tests/scopeaccess.h"

#include "platform/core/exceptions.h"

#include <QLineEdit>
#include <QWheelEvent>

class ScopeTest : public QObject {
    Q_OBJECT

    static void Wheel(TNodescope* Ins, int Delta)
    {
        const QPointF Pos(10, 10);
        QWheelEvent Event(Pos, Ins->viewport()->mapToGlobal(Pos), QPoint(), QPoint(0, Delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Ins->viewport(), &Event);
    }

    static void Mouse(QWidget* W, QEvent::Type Type, const QPoint& Pos, unsigned long Stamp)
    {
        const Qt::MouseButtons Held = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent Event(Type, QPointF(Pos), W->mapToGlobal(QPointF(Pos)), Qt::LeftButton, Held, Qt::NoModifier);
        Event.setTimestamp(Stamp);
        QApplication::sendEvent(W, &Event);
    }

    // A move with the left button held, as a drag reports it.
    static void Drag(TNodescope* Ins, const QPoint& Pos)
    {
        QMouseEvent Event(QEvent::MouseMove, QPointF(Pos), Ins->viewport()->mapToGlobal(QPointF(Pos)), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Ins->viewport(), &Event);
    }

private slots:
    void doubleClickOnABoxTogglesTwiceInAll()
    {
        // Qt's order: press, release, press, double click, release. The box click
        // toggles, the double click toggles back; the second press does nothing.
        ScopeFixture F;
        QWidget* V = F.Ins->viewport();
        const QPoint Box = F.RowPoint(rAddress, 4);
        unsigned long T = 1000000;
        Mouse(V, QEvent::MouseButtonPress, Box, T);
        Mouse(V, QEvent::MouseButtonRelease, Box, T + 10);
        QVERIFY(F.Ins->Rows(rAddress)->Expanded);
        Mouse(V, QEvent::MouseButtonPress, Box, T + 20);
        QVERIFY(F.Ins->Rows(rAddress)->Expanded);
        Mouse(V, QEvent::MouseButtonDblClick, Box, T + 20);
        Mouse(V, QEvent::MouseButtonRelease, Box, T + 30);
        QVERIFY(!F.Ins->Rows(rAddress)->Expanded);
        QCOMPARE(F.Ins->RowCount(), 12);
        // Presses further apart than the double-click time are two clicks.
        T += 10 * QApplication::doubleClickInterval();
        Mouse(V, QEvent::MouseButtonPress, Box, T);
        Mouse(V, QEvent::MouseButtonRelease, Box, T);
        Mouse(V, QEvent::MouseButtonPress, Box, T + QApplication::doubleClickInterval());
        Mouse(V, QEvent::MouseButtonRelease, Box, T + QApplication::doubleClickInterval());
        QVERIFY(!F.Ins->Rows(rAddress)->Expanded);
        QCOMPARE(F.Ins->RowCount(), 12);
    }

    void quickClickOnAnotherRowSelectsIt()
    {
        // Two quick presses far apart are two clicks, not a double click: the
        // platform reports a double click only within its small distance.
        ScopeFixture F;
        QWidget* V = F.Ins->viewport();
        const int X = F.Ins->Middle() - 5;
        const unsigned long T = 3000000;
        Mouse(V, QEvent::MouseButtonPress, F.RowPoint(rName, X), T);
        Mouse(V, QEvent::MouseButtonRelease, F.RowPoint(rName, X), T + 10);
        QCOMPARE(F.Ins->SelectedRow(), int(rName));
        Mouse(V, QEvent::MouseButtonPress, F.RowPoint(rCount, X), T + 20);
        Mouse(V, QEvent::MouseButtonRelease, F.RowPoint(rCount, X), T + 30);
        QCOMPARE(F.Ins->SelectedRow(), int(rCount));
    }

    void downWithRefusedValueKeepsRowAndReloads()
    {
        ScopeFixture F;
        TMessageRecorder Boxes;
        F.Select(rKind);
        QCOMPARE(F.Edit()->text(), QString("Other"));
        F.Edit()->selectAll();
        F.Type("zz");
        QCOMPARE(F.Edit()->text(), QString("zz"));
        QTest::keyClick(F.Edit(), Qt::Key_Down);
        QCOMPARE(F.Ins->SelectedRow(), int(rKind));
        QCOMPARE(int(Boxes.Requests.size()), 1);
        QCOMPARE(Boxes.Requests[0].Text, QString("Value zz not in list"));
        QCOMPARE(Boxes.Requests[0].Type, mtError);
        QCOMPARE(F.Edit()->text(), QString("Other"));
        QVERIFY(!F.Edit()->isModified());
        QCOMPARE(F.Text(1), QString("Other"));

        // An accepted value is stored and the selection moves on.
        F.Edit()->selectAll();
        F.Type("abd");
        QTest::keyClick(F.Edit(), Qt::Key_Down);
        QCOMPARE(F.Text(1), QString("abd"));
        QCOMPARE(F.Ins->SelectedRow(), int(rVip));
        QCOMPARE(int(Boxes.Requests.size()), 1);
    }

    void vetoByOnChangingStoresNothing()
    {
        ScopeFixture F;
        TMessageRecorder Boxes;
        int Changing = 0, Changed = 0;
        F.Ins->OnChanging = [&](TNodescope* Sender, TXMLPropEditor* Prop, bool& CanChange) {
            QCOMPARE(Sender, F.Ins.get());
            QCOMPARE(QString::fromStdString(Prop->GetName()), QString("Name"));
            QVERIFY(CanChange);
            ++Changing;
            CanChange = false;
        };
        F.Ins->OnChange = [&](TNodescope*, TXMLPropEditor*) { ++Changed; };
        F.Select(rName);
        F.Type("Zoe");
        QTest::keyClick(F.Edit(), Qt::Key_Up);  // commits and stays on the first row
        QCOMPARE(Changing, 1);
        QCOMPARE(Changed, 0);
        QCOMPARE(F.Text(0), QString("Ann"));
        QCOMPARE(F.Edit()->text(), QString("Ann"));
        QCOMPARE(F.Ins->SelectedRow(), int(rName));
        QVERIFY(Boxes.Requests.empty());

        F.Ins->OnChanging = nullptr;
        F.Edit()->selectAll();
        F.Type("Zoe");
        QTest::keyClick(F.Edit(), Qt::Key_Return);
        QCOMPARE(F.Text(0), QString("Zoe"));
        QCOMPARE(Changed, 1);
        QCOMPARE(F.Ins->SelectedRow(), int(rKind));  // Enter moves on like Down

        // Enter on unmodified text commits nothing and selects the whole text.
        QTest::keyClick(F.Edit(), Qt::Key_End);
        QTest::keyClick(F.Edit(), Qt::Key_Return);
        QCOMPARE(Changed, 1);
        QCOMPARE(F.Edit()->selectedText(), F.Edit()->text());
    }

    void selectionRestoredAfterNewNode()
    {
        ScopeFixture F;
        F.Select(rAddress);
        QTest::keyClick(F.Ins.get(), Qt::Key_Right, Qt::ControlModifier);
        // Address expanded: Street, Geo, City follow; Contact is now row 10.
        QCOMPARE(F.Ins->RowCount(), 15);
        F.Select(10);
        QCOMPARE(F.Caption(10), QString("Contact"));
        QTest::keyClick(F.Ins.get(), Qt::Key_Right, Qt::ControlModifier);
        F.Select(11);
        QCOMPARE(F.Caption(11), QString("Person"));

        std::unique_ptr<TXMLNode> Second(new TXMLNode(CustomerObject, false, nullptr));
        Second->Child(7)->Child(0)->SetText("Carl");
        F.Ins->SetNode(Second.get());
        QCOMPARE(F.Ins->RowCount(), 16);
        QVERIFY(F.Ins->Rows(rAddress)->Expanded);
        QVERIFY(F.Ins->Rows(10)->Expanded);
        QCOMPARE(F.Ins->SelectedRow(), 11);
        QCOMPARE(F.Edit()->text(), QString("Carl"));
        F.Ins->SetNode(nullptr);
        QCOMPARE(F.Ins->RowCount(), 0);
        QCOMPARE(F.Ins->SelectedRow(), -1);
    }

    void pagingMovesByVisibleRowsLessOne()
    {
        ScopeFixture F;
        F.Select(rAddress);
        QTest::keyClick(F.Ins.get(), Qt::Key_Right, Qt::ControlModifier);
        F.Select(rName);
        F.SetVisibleRows(10);
        QCOMPARE(F.Ins->VisibleRowCount(), 10);
        QTest::keyClick(F.Edit(), Qt::Key_PageDown);
        QCOMPARE(F.Ins->SelectedRow(), 9);
        QTest::keyClick(F.Edit(), Qt::Key_PageDown);
        QCOMPARE(F.Ins->SelectedRow(), F.Ins->RowCount() - 1);  // clamped to the last row
        QCOMPARE(F.Ins->TopRow(), F.Ins->RowCount() - 10);
        QTest::keyClick(F.Edit(), Qt::Key_Down);
        QCOMPARE(F.Ins->SelectedRow(), F.Ins->RowCount() - 1);
        QTest::keyClick(F.Edit(), Qt::Key_PageUp);
        QCOMPARE(F.Ins->SelectedRow(), F.Ins->RowCount() - 10);
        QTest::keyClick(F.Edit(), Qt::Key_Up);
        QCOMPARE(F.Ins->SelectedRow(), F.Ins->RowCount() - 11);
        QCOMPARE(F.Ins->TopRow(), F.Ins->SelectedRow());  // the view follows the selection up
    }

    void ctrlArrowsToggleAndPlainArrowsOnlyCommit()
    {
        ScopeFixture F;
        F.Select(rName);
        QTest::keyClick(F.Edit(), Qt::Key_End);
        F.Type("x");
        // Ctrl+Right on a row without children commits pending typing only.
        QTest::keyClick(F.Ins.get(), Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(F.Text(0), QString("Annx"));
        QCOMPARE(F.Ins->RowCount(), 12);
        QCOMPARE(F.Ins->SelectedRow(), int(rName));
        F.Select(rAddress);
        QTest::keyClick(F.Ins.get(), Qt::Key_Left);
        QCOMPARE(F.Ins->RowCount(), 12);
        QTest::keyClick(F.Ins.get(), Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(F.Ins->RowCount(), 15);
        QTest::keyClick(F.Ins.get(), Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(F.Ins->RowCount(), 12);
    }

    void ctrlArrowsReachTheControlFromTheFocus()
    {
        // The keys go where a user's keyboard sends them: to the focus, which is
        // the in-place edit.
        ScopeFixture F;
        F.Select(rAddress);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(F.Edit()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::ControlModifier);
        QVERIFY(F.Ins->Rows(rAddress)->Expanded);
        QCOMPARE(F.Ins->RowCount(), 15);
        QCOMPARE(F.Ins->SelectedRow(), int(rAddress));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left, Qt::ControlModifier);
        QVERIFY(!F.Ins->Rows(rAddress)->Expanded);
        QCOMPARE(F.Ins->RowCount(), 12);
        // On a row without children they commit pending typing only.
        F.Select(rName);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClicks(QApplication::focusWidget(), "x");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(F.Text(0), QString("Annx"));
        QCOMPARE(F.Ins->SelectedRow(), int(rName));
        QCOMPARE(F.Ins->RowCount(), 12);
        // Plain arrows still move the cursor in the edit.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(F.Edit()->cursorPosition(), 1);
    }

    void wheelNotchesMoveTheSelection()
    {
        ScopeFixture F;
        F.Select(rCount);
        Wheel(F.Ins.get(), 120);
        QCOMPARE(F.Ins->SelectedRow(), int(rSince));
        Wheel(F.Ins.get(), 99);
        QCOMPARE(F.Ins->SelectedRow(), int(rSince));
        Wheel(F.Ins.get(), -240);
        QCOMPARE(F.Ins->SelectedRow(), int(rRate));
        Wheel(F.Ins.get(), 1200);
        QCOMPARE(F.Ins->SelectedRow(), 0);
        // A wheel turn while a drop-down is open closes it before the row changes.
        F.Select(rKind);
        QTest::keyClick(F.Edit(), Qt::Key_Down, Qt::AltModifier);
        QVERIFY(F.Edit()->FButton->FList->isVisible());
        Wheel(F.Ins.get(), -120);
        QVERIFY(!F.Edit()->FButton->FList->isVisible());
        QCOMPARE(F.Ins->SelectedRow(), int(rVip));
        QCOMPARE(F.Text(1), QString("Other"));
    }

    void clicksSelectAndExpandBoxesToggle()
    {
        ScopeFixture F;
        const int Level0 = 0;
        // A click on a plain row selects it and starts tracking: dragging with the
        // button held moves the selection.
        QTest::mousePress(F.Ins->viewport(), Qt::LeftButton, {}, F.RowPoint(rCount, F.Ins->Middle() - 5));
        QCOMPARE(F.Ins->SelectedRow(), int(rCount));
        QCOMPARE(F.Edit()->FClickTime, F.Now);
        QTest::mouseMove(F.Ins->viewport(), F.RowPoint(rRate, 20));
        Drag(F.Ins.get(), F.RowPoint(rRate, 20));
        QCOMPARE(F.Ins->SelectedRow(), int(rRate));
        QTest::mouseRelease(F.Ins->viewport(), Qt::LeftButton, {}, F.RowPoint(rRate, 20));
        // The release ends the tracking.
        Drag(F.Ins.get(), F.RowPoint(rCount, 20));
        QCOMPARE(F.Ins->SelectedRow(), int(rRate));

        // 1 and 11 pixels right of the indentation toggle; 12 does not. A press on
        // the box starts no tracking.
        QTest::mousePress(F.Ins->viewport(), Qt::LeftButton, {}, F.RowPoint(rAddress, Level0 * 10 + 1));
        QCOMPARE(F.Ins->SelectedRow(), int(rAddress));
        QVERIFY(F.Ins->Rows(rAddress)->Expanded);
        Drag(F.Ins.get(), F.RowPoint(rName, 20));
        QCOMPARE(F.Ins->SelectedRow(), int(rAddress));
        QTest::mouseRelease(F.Ins->viewport(), Qt::LeftButton, {}, F.RowPoint(rName, 20));
        QCOMPARE(F.Ins->RowCount(), 15);
        F.ClickRow(rAddress, Level0 * 10 + 11);
        QVERIFY(!F.Ins->Rows(rAddress)->Expanded);
        F.ClickRow(rAddress, Level0 * 10 + 12);
        QVERIFY(!F.Ins->Rows(rAddress)->Expanded);
        // A child at level 1 has its box 10 pixels further right.
        F.ClickRow(rAddress, 5);
        F.ClickRow(rAddress + 2, 5);  // Geo's box is at 10..21: 5 misses it
        QVERIFY(!F.Ins->Rows(rAddress + 2)->Expanded);
        QCOMPARE(F.Ins->SelectedRow(), rAddress + 2);
        F.ClickRow(rAddress + 2, 15);
        QVERIFY(F.Ins->Rows(rAddress + 2)->Expanded);

        // Without new buttons the box place only selects; a double click expands.
        F.Ins->SetNewButtons(false);
        F.ClickRow(rContact + 4, 5);
        QCOMPARE(F.Caption(F.Ins->SelectedRow()), QString("Contact"));
        QVERIFY(!F.Ins->Rows(F.Ins->SelectedRow())->Expanded);
        QTest::mouseDClick(F.Ins->viewport(), Qt::LeftButton, {}, F.RowPoint(F.Ins->SelectedRow(), 5));
        QVERIFY(F.Ins->Rows(F.Ins->SelectedRow())->Expanded);
    }

    void splitDragMovesMiddle()
    {
        ScopeFixture F;
        const int M = F.Ins->Middle();
        // A press next to the split starts the drag: moves carry the split along.
        QTest::mousePress(F.Ins->viewport(), Qt::LeftButton, {}, F.RowPoint(rName, M + 1));
        Drag(F.Ins.get(), QPoint(M + 41, 5));
        QCOMPARE(F.Ins->Middle(), M + 41);
        QCOMPARE(F.Edit()->x(), M + 42);  // the edit follows the split
        QTest::mouseRelease(F.Ins->viewport(), Qt::LeftButton, {}, QPoint(M + 41, 5));
        // The release ends the drag.
        Drag(F.Ins.get(), QPoint(M + 81, 5));
        QCOMPARE(F.Ins->Middle(), M + 41);
    }

    void expansionErrorKeepsRowsListedBefore()
    {
        // An editor that lists one child and then fails.
        struct Failing : TXMLPropEditor {
            std::string GetName() override { return "Failing"; }
            TEditorFlags GetFlags() override { return efSubItems; }
            void GetValueList(const TGetStrProc&, void*) override {}
            void GetSubItems(const TGetEditorProc& Proc, void* Data) override
            {
                struct Child : TXMLPropEditor {
                    std::string GetName() override { return "Listed"; }
                    void GetValueList(const TGetStrProc&, void*) override {}
                    void GetSubItems(const TGetEditorProc&, void*) override {}
                };
                Proc(Data, new Child);
                throw Exception("cannot list the rest");
            }
        };
        ScopeFixture F;
        TMessageRecorder Boxes;
        TNodescopeTestAccess::AppendRow(*F.Ins, new Failing);
        QCOMPARE(F.Ins->RowCount(), rNote + 2);
        F.Select(rNote + 1);
        QTest::keyClick(F.Ins.get(), Qt::Key_Right, Qt::ControlModifier);
        QVERIFY(F.Ins->Rows(rNote + 1)->Expanded);
        QCOMPARE(F.Ins->RowCount(), rNote + 3);
        QCOMPARE(F.Caption(rNote + 2), QString("Listed"));
        QCOMPARE(F.Ins->Rows(rNote + 2)->Level, 1);
        QVERIFY(Boxes.Requests.empty());
    }

    void readOnlyDisablesEditingButNotExpansion()
    {
        ScopeFixture F;
        TMessageRecorder Boxes;
        F.Ins->SetReadOnly(true);
        QVERIFY(!F.Edit()->isEnabled());
        QVERIFY(!F.Edit()->FButton->isEnabled());
        F.Select(rKind);
        QVERIFY(F.Edit()->isVisible());
        QVERIFY(!F.Edit()->FButton->isVisible());
        F.Select(rVip);
        QVERIFY(!F.Edit()->FCheckBox->isEnabled());
        QTest::keyClick(F.Ins.get(), Qt::Key_Down);
        QCOMPARE(F.Ins->SelectedRow(), int(rSince));
        // A double click is a press (which selects) followed by Qt's double-click event.
        F.ClickRow(rAddress, 40);
        QVERIFY(!F.Ins->Rows(rAddress)->Expanded);
        QTest::mouseDClick(F.Ins->viewport(), Qt::LeftButton, {}, F.RowPoint(rAddress, 40));
        QVERIFY(F.Ins->Rows(rAddress)->Expanded);
        F.Ins->SetReadOnly(false);
        QVERIFY(F.Edit()->isEnabled());
        QVERIFY(Boxes.Requests.empty());
    }

    void focusGoesToTheEdit()
    {
        ScopeFixture F;
        F.Ins->setFocus();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(F.Edit()));
        TNodescope Hidden;
        Hidden.SetFocus();  // hidden: nothing happens
        QVERIFY(!Hidden.hasFocus());
    }

    void emptyClockFallsBackToTheMonotonicOne()
    {
        ScopeFixture F;
        QCOMPARE(F.Ins->TickCount(), F.Now);
        F.Ins->SetTickCount(nullptr);
        const uint64_t First = F.Ins->TickCount();
        QVERIFY(First != 0 && First != F.Now);  // 0 is the unset click time
        QVERIFY(F.Ins->TickCount() >= First);
        // A click still stamps its time through the clock.
        F.ClickRow(rCount, F.Ins->Middle() - 5);
        QVERIFY(F.Edit()->FClickTime >= First);
    }
};

QTEST_MAIN(ScopeTest)
#include "scope_test.moc"
