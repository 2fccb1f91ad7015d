// The published-property mapping as the language file and its wizard use it: walk a
// dotted path through nested objects and collection items, collect the string rows
// of a form, and never step into a reference to another component.
#include "platform/datacontrols/published.h"

#include "platform/core/exceptions.h"
#include "platform/datacontrols/buttons.h"
#include "platform/datacontrols/label.h"
#include "platform/datacontrols/radiogroup.h"
#include "platform/datacontrols/tests/publishedwalk.h"

#include <QApplication>
#include <QRadioButton>
#include <QTest>

namespace {

// A grid-like holder: Columns is a collection whose items have a nested Title.
class TTestTitle : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER Caption)
public:
    using QObject::QObject;
    QString Caption;
};

class TTestColumn : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FieldName MEMBER FieldName)
    Q_PROPERTY(int Width MEMBER Width)
    Q_PROPERTY(TTestTitle* Title READ Title)
public:
    explicit TTestColumn(QObject* owner) : QObject(owner), FTitle(new TTestTitle(this)) {}
    TTestTitle* Title() const { return FTitle; }
    QString FieldName;
    int Width = 64;

private:
    TTestTitle* FTitle;
};

class TTestColumns : public TCollection {
    Q_OBJECT
public:
    using TCollection::TCollection;
    int Count() const override { return int(Items.size()); }
    QObject* Item(int index) const override
    {
        if (index < 0 || index >= Items.size())
            throw EListError::IndexError(index);
        return Items[index];
    }
    QList<TTestColumn*> Items;
};

class TTestGrid : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
    Q_PROPERTY(TTestColumns* Columns READ Columns)
    Q_PROPERTY(QObject* DataSource MEMBER DataSource)
public:
    explicit TTestGrid(QWidget* parent) : QWidget(parent), FColumns(new TTestColumns(this))
    {
        for (const char* field : {"PartNo", "Description"}) {
            auto* column = new TTestColumn(FColumns);
            column->FieldName = QString::fromLatin1(field);
            column->Title()->Caption = column->FieldName;
            FColumns->Items.append(column);
        }
    }
    TTestColumns* Columns() const { return FColumns; }
    QObject* DataSource = nullptr;

private:
    TTestColumns* FColumns;
};

QStringList Names(const QList<QMetaProperty>& properties)
{
    QStringList names;
    for (const QMetaProperty& property : properties)
        names.append(QLatin1String(property.name()));
    return names;
}

} // namespace

class PublishedTest : public QObject {
    Q_OBJECT

private slots:
    void OnlyCapitalisedNamesArePublished()
    {
        TLabel label;
        const QStringList names = Names(PublishedProperties(&label));
        QCOMPARE(names, QStringList({"Caption", "Hint", "Visible", "Font", "AutoSize", "FocusControl"}));
        QVERIFY(!FindPublished(&label, "text").isValid());
        QVERIFY(!FindPublished(&label, "toolTip").isValid());
        QVERIFY(!FindPublished(&label, "objectName").isValid());
        QVERIFY(!FindPublished(&label, "Nothing").isValid());
        QVERIFY(PublishedProperties(nullptr).isEmpty());
    }

    void NamesMatchIgnoringCase()
    {
        TLabel label;
        QCOMPARE(QString(FindPublished(&label, "caption").name()), QString("Caption"));
        QCOMPARE(QString(FindPublished(&label, "HINT").name()), QString("Hint"));
        // A base class's published property is found on the derived class.
        TBitBtn button;
        QCOMPARE(QString(FindPublished(&button, "caption").name()), QString("Caption"));
        QVERIFY(FindPublished(&button, "glyph").isValid());
    }

    void KindsFollowTypeAndOwner()
    {
        QWidget form;
        auto* label = new TLabel(&form);
        auto* other = new TLabel(&form);
        auto* group = new TRadioGroup(&form);
        auto* grid = new TTestGrid(&form);
        auto kind = [](QObject* holder, const char* name) { return PropertyKind(holder, FindPublished(holder, name)); };

        QCOMPARE(kind(label, "Caption"), pkString);
        QCOMPARE(kind(label, "Visible"), pkOther);
        QCOMPARE(kind(label, "Font"), pkObject);
        QCOMPARE(kind(label->Font(), "Name"), pkString);
        QCOMPARE(kind(label->Font(), "Size"), pkOther);
        QCOMPARE(kind(group, "Items"), pkStringList);
        QCOMPARE(kind(grid, "Columns"), pkCollection);
        QCOMPARE(kind(grid->Columns()->Item(0), "Title"), pkObject);

        // Another component, or nothing at all, is a reference.
        QCOMPARE(kind(label, "FocusControl"), pkReference);
        label->SetFocusControl(other);
        QCOMPARE(kind(label, "FocusControl"), pkReference);
        grid->DataSource = other->Font(); // a nested object of someone else
        QCOMPARE(kind(grid, "DataSource"), pkReference);
    }

    void PublishedObjectGivesTheHeldObject()
    {
        QWidget form;
        auto* label = new TLabel(&form);
        auto* buddy = new TLabel(&form);
        QCOMPARE(PublishedObject(label, FindPublished(label, "Font")), static_cast<QObject*>(label->Font()));
        QCOMPARE(PublishedObject(label, FindPublished(label, "FocusControl")), nullptr);
        label->SetFocusControl(buddy);
        QCOMPARE(PublishedObject(label, FindPublished(label, "FocusControl")), static_cast<QObject*>(buddy));
        QCOMPARE(PublishedObject(label, FindPublished(label, "Caption")), nullptr);
        QCOMPARE(PublishedObject(label, QMetaProperty()), nullptr);
    }

    void PathsReachStringsListsFontsAndItems()
    {
        QWidget form;
        auto* label = new TLabel(&form);
        auto* group = new TRadioGroup(&form);
        auto* grid = new TTestGrid(&form);

        QVERIFY(SetByPath(label, "Caption", "Bill To"));
        QCOMPARE(label->text(), QString("Bill To"));
        QVERIFY(SetByPath(label, "hint", "Customer"));
        QCOMPARE(label->toolTip(), QString("Customer"));
        QVERIFY(SetByPath(label, "Font.Name", "Courier"));
        QCOMPARE(label->font().family(), QString("Courier"));

        QVERIFY(SetByPath(group, "Items", "a|b|"));
        QCOMPARE(group->Items(), QStringList({"a", "b"}));
        QCOMPARE(group->findChildren<QRadioButton*>().size(), 2);

        QVERIFY(SetByPath(grid, "Columns.1.Title.Caption", "Beschreibung"));
        QCOMPARE(grid->Columns()->Items[1]->Title()->Caption, QString("Beschreibung"));
        QCOMPARE(grid->Columns()->Items[0]->Title()->Caption, QString("PartNo"));
        QVERIFY_THROWS_EXCEPTION(EListError, SetByPath(grid, "Columns.2.Title.Caption", "x"));

        // Not a string kind, or not published: nothing changes.
        QVERIFY(!SetByPath(grid, "Columns.0.Width", "100"));
        QCOMPARE(grid->Columns()->Items[0]->Width, 64);
        QVERIFY(!SetByPath(label, "text", "lowercase"));
        QCOMPARE(label->text(), QString("Bill To"));
    }

    void RowsOfAFormSkipReferences()
    {
        QWidget form;
        auto* label = new TLabel(&form);
        auto* button = new TButton(&form);
        auto* grid = new TTestGrid(&form);
        label->SetFocusControl(button);
        grid->DataSource = button;

        QStringList rows;
        CollectRows(label, "Label1.", rows);
        CollectRows(grid, "Grid.", rows);
        QCOMPARE(rows, QStringList({"Label1.Caption", "Label1.Hint", "Label1.Font.Name", "Grid.Hint",
                                    "Grid.Columns.0.FieldName", "Grid.Columns.0.Title.Caption",
                                    "Grid.Columns.1.FieldName", "Grid.Columns.1.Title.Caption"}));
    }
};

QTEST_MAIN(PublishedTest)
#include "published_test.moc"
