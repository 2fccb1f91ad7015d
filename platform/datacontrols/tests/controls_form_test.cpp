// Every control of the order-entry screens made by uic from a Designer form as a
// promoted widget: what the form sets reaches the published properties, and the form
// can be translated row by row the way the language file and wizard walk it.
#include "ui_controls_form.h"

#include "platform/data/datasource.h"
#include "platform/datacontrols/gridcolumns.h"
#include "platform/datacontrols/tests/publishedwalk.h"

#include <QApplication>
#include <QRadioButton>
#include <QTest>

namespace {

// The rows of a form: every control that publishes Visible, by its name.
QStringList FormRows(const QWidget& form)
{
    QStringList rows;
    for (const QWidget* control : form.findChildren<QWidget*>()) {
        if (control->objectName().isEmpty() || !FindPublished(control, "Visible").isValid())
            continue;
        CollectRows(control, control->objectName() + QLatin1Char('.'), rows);
    }
    return rows;
}

// The property of a control by its published name, as the language file reads it.
QVariant Published(const QObject* control, const char* name)
{
    const QMetaProperty property = FindPublished(control, name);
    return property.isValid() ? property.read(control) : QVariant();
}

} // namespace

class ControlsFormTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        FForm = std::make_unique<QWidget>();
        FUi.setupUi(FForm.get());
    }

    void cleanup() { FForm.reset(); }

    void EveryControlIsOurs()
    {
        const QStringList expected = {
            "Speedbar:TPanel", "DBEditBtns:TDBNavigator", "DBNavBtns:TDBNavigator", "PrintBtn:TSpeedButton",
            "ActivateBtn:TSpeedButton", "ModeIndicator:TLabel", "DBText1:TDBText", "Bevel1:TBevel",
            "HeaderPanel:TPanel", "DateLabel:TLabel", "SaleDateEdit:TDBEdit", "CompanyCombo:TDBLookupComboBox",
            "TermsCombo:TDBComboBox", "SearchEd:TEdit", "OrderCombo:TComboBox", "ItemsGrid:TDBGrid",
            "ReportType:TRadioGroup", "GroupBox1:TGroupBox", "CheckBox1:TCheckBox", "Memo1:TMemo",
            "DBLookupListBox1:TDBLookupListBox", "Image1:TImage", "PostBtn:TButton", "CloseBtn:TBitBtn",
            "Calendar1:TMonthCalendar"};
        for (const QString& entry : expected) {
            const QString name = entry.section(':', 0, 0);
            auto* control = FForm->findChild<QWidget*>(name);
            QVERIFY2(control, qPrintable(name));
            QCOMPARE(QString(control->metaObject()->className()), entry.section(':', 1));
            QVERIFY2(FindPublished(control, "Visible").isValid(), qPrintable(name));
            QVERIFY2(FindPublished(control, "Hint").isValid(), qPrintable(name));
        }
    }

    void DesignedValuesReachPublishedProperties()
    {
        QCOMPARE(Published(FUi.DateLabel, "Caption").toString(), QString("&Date"));
        QCOMPARE(FUi.DateLabel->FocusControl(), static_cast<QObject*>(FUi.SaleDateEdit));
        QCOMPARE(Published(FUi.PrintBtn, "Hint").toString(), QString("Print form image"));
        QCOMPARE(Published(FUi.ItemsGrid, "Hint").toString(), QString("Line items"));
        QCOMPARE(Published(FUi.ReportType, "Caption").toString(), QString("&Report"));
        QCOMPARE(FUi.ReportType->Items().size(), 3);
        QCOMPARE(FUi.ReportType->ItemIndex(), 0);
        QVERIFY(FUi.ReportType->Button(0)->isChecked());
        QCOMPARE(FUi.OrderCombo->Style(), TComboBox::csDropDownList);
        QCOMPARE(FUi.OrderCombo->Items(), QStringList({"Description", "PartNo"}));
        QCOMPARE(FUi.Speedbar->BevelOuter(), TPanel::bvRaised);
        QCOMPARE(FUi.Speedbar->BorderWidth(), 2);
        QCOMPARE(FUi.HeaderPanel->BevelOuter(), TPanel::bvNone);
        QCOMPARE(FUi.Bevel1->Shape(), TBevel::bsTopLine);
        QVERIFY(FUi.Image1->Center());
        QCOMPARE(FUi.DBNavBtns->VisibleButtons(),
                 TDBNavigator::nbFirst | TDBNavigator::nbPrior | TDBNavigator::nbNext | TDBNavigator::nbLast);
        QVERIFY(!FUi.PostBtn->isEnabled());

        // The designed toggle stays down and pops up again.
        FUi.ActivateBtn->click();
        QVERIFY(FUi.ActivateBtn->Down());
        FUi.ActivateBtn->click();
        QVERIFY(!FUi.ActivateBtn->Down());
    }

    void RowsCoverEveryHelperAndSkipReferences()
    {
        auto* source = new TDataSource(FForm.get());
        source->setObjectName("OrdersSource");
        FUi.SaleDateEdit->setProperty("DataSource", QVariant::fromValue<QObject*>(source));
        FUi.ItemsGrid->setProperty("DataSource", QVariant::fromValue<QObject*>(source));
        FUi.DBNavBtns->setProperty("DataSource", QVariant::fromValue<QObject*>(source));
        FUi.ItemsGrid->Columns()->Add()->SetFieldName("PartNo");
        FUi.ItemsGrid->Columns()->Add()->SetFieldName("Description");

        const QStringList rows = FormRows(*FForm);
        for (const char* row : {"ModeIndicator.Caption", "ModeIndicator.Font.Name", "DateLabel.Caption",
                                "ReportType.Caption", "ReportType.Items", "SearchEd.Text", "SearchEd.Hint",
                                "Memo1.Lines", "OrderCombo.Items", "GroupBox1.Caption", "CheckBox1.Caption",
                                "PostBtn.Caption", "CloseBtn.Caption", "Speedbar.Caption", "PrintBtn.Hint",
                                "Image1.Hint", "Calendar1.Font.Name", "SaleDateEdit.Hint", "SaleDateEdit.Font.Name",
                                "DBText1.Hint", "TermsCombo.Items", "CompanyCombo.Hint", "DBLookupListBox1.Hint",
                                "DBNavBtns.Hints", "ItemsGrid.Hint", "ItemsGrid.Columns.1.Title.Caption",
                                "ItemsGrid.Columns.0.Font.Name"})
            QVERIFY2(rows.contains(row), row);
        for (const QString& row : rows) {
            QVERIFY2(!row.contains(".DataSource") && !row.contains(".FocusControl") && !row.contains(".ListSource"),
                     qPrintable(row));
            QVERIFY2(!row.contains(".text") && !row.contains(".toolTip") && !row.contains(".objectName"),
                     qPrintable(row));
        }
        // Not a control: no rows of its own.
        QVERIFY(!rows.join(' ').contains("OrdersSource"));
        // Each row appears once, however deep its control lies.
        QStringList once = rows;
        QCOMPARE(once.removeDuplicates(), 0);
    }

    void FormTranslatesByPath()
    {
        FUi.ItemsGrid->Columns()->Add()->SetFieldName("PartNo");
        const QList<std::pair<QString, QString>> entries = {
            {"ModeIndicator.Caption", "[Modus]"},
            {"ReportType.Items", "&Kunden|&Auftr\u00e4ge|&Rechnung|"},
            {"ReportType.Caption", "&Bericht"},
            {"PostBtn.Caption", "&Speichern"},
            {"SearchEd.Hint", "Suchtext"},
            {"Memo1.Lines", "a|b|"},
            {"ItemsGrid.Columns.0.Title.Caption", "Teil"},
            {"DBNavBtns.Hints", "Erster|Voriger|N\u00e4chster|Letzter|"},
            {"DateLabel.Font.Name", "Courier"},
        };
        for (const auto& [path, value] : entries) {
            QObject* control = FForm->findChild<QObject*>(path.section('.', 0, 0));
            QVERIFY2(SetByPath(control, path.section('.', 1), value), qPrintable(path));
        }
        QCOMPARE(FUi.ModeIndicator->text(), QString("[Modus]"));
        QCOMPARE(FUi.ReportType->Button(1)->text(), QString("&Auftr\u00e4ge"));
        QCOMPARE(FUi.ReportType->ItemIndex(), 0);
        QCOMPARE(FUi.ReportType->title(), QString("&Bericht"));
        QCOMPARE(FUi.PostBtn->text(), QString("&Speichern"));
        QCOMPARE(FUi.SearchEd->toolTip(), QString("Suchtext"));
        QCOMPARE(FUi.Memo1->Lines(), QStringList({"a", "b"}));
        QCOMPARE(FUi.ItemsGrid->Columns()->Items(0)->Title()->Caption(), QString("Teil"));
        QCOMPARE(FUi.DBNavBtns->Hints().value(2), QString("N\u00e4chster"));
        QCOMPARE(FUi.DateLabel->font().family(), QString("Courier"));
        // A number is no string kind: the language file cannot change it.
        QVERIFY(!SetByPath(FUi.ReportType, "ItemIndex", "2"));
        QCOMPARE(FUi.ReportType->ItemIndex(), 0);
    }

private:
    std::unique_ptr<QWidget> FForm;
    Ui::ControlsForm FUi;
};

QTEST_MAIN(ControlsFormTest)
#include "controls_form_test.moc"
