// A localizable form made of the data-aware controls, for the wizard's tests and
// pictures: a grid with two unbound columns, an edit bound to a data source, a label
// that refers to the edit, a radio group and a memo with string lists, and a sample
// control that publishes, out of order, every kind of property the wizard meets.
#pragma once

#include "localization/lnframe.h"
#include "platform/data/datasource.h"
#include "platform/datacontrols/dbedit.h"
#include "platform/datacontrols/dbgrid.h"
#include "platform/datacontrols/edit.h"
#include "platform/datacontrols/label.h"
#include "platform/datacontrols/radiogroup.h"

#include <QMenu>
#include <QVBoxLayout>

class TSampleInner : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Text MEMBER Text)
public:
    using QObject::QObject;
    QString Text = QStringLiteral("inner");
};

class TSampleControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Zeta MEMBER Zeta)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(QObject* PopupMenu MEMBER PopupMenu)
    Q_PROPERTY(QString ImeName MEMBER ImeName)
    Q_PROPERTY(QObject* Inner READ Inner)
    Q_PROPERTY(QString Name MEMBER Name)
    Q_PROPERTY(int Width MEMBER Width)
    Q_PROPERTY(QObject* Empty MEMBER Empty)
    Q_PROPERTY(QStringList Beta MEMBER Beta)
    Q_PROPERTY(QString Caption MEMBER Caption)
public:
    explicit TSampleControl(QWidget* Parent) : QWidget(Parent), FInner(new TSampleInner(this)) {}
    bool Visible() const { return !isHidden(); }
    QObject* Inner() const { return FInner; }
    QString Zeta = QStringLiteral("z");
    QObject* PopupMenu = nullptr;
    QString ImeName = QStringLiteral("ime");
    QString Name = QStringLiteral("name");
    int Width = 40;
    QObject* Empty = nullptr;
    QStringList Beta = {QStringLiteral("b1")};
    QString Caption = QStringLiteral("c");
    TSampleInner* FInner;
};

// A named component without Visible: it gets no rows.
class TSampleHelper : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER Caption)
public:
    using QObject::QObject;
    QString Caption = QStringLiteral("helper");
};

class TSampleForm : public TLnForm {
    Q_OBJECT
public:
    TSampleForm()
    {
        setObjectName("SampleForm");
        SetCaption("Order");
        resize(420, 420);
        auto* Layout = new QVBoxLayout(this);

        CustomerSource = new TDataSource(this);
        CustomerSource->setObjectName("CustomerSource");
        Helper = new TSampleHelper(this);
        Helper->setObjectName("Helper");
        Menu = new QMenu(this);
        Menu->setObjectName("SampleMenu");

        CompanyLabel = new TLabel(this);
        CompanyLabel->setObjectName("CompanyLabel");
        CompanyLabel->SetCaption("Company");
        CompanyEdit = new TDBEdit(this);
        CompanyEdit->setObjectName("CompanyEdit");
        CompanyEdit->SetDataSource(CustomerSource);
        CompanyEdit->SetDataField("Company");
        CompanyEdit->setToolTip("The customer's company");
        CompanyLabel->SetFocusControl(CompanyEdit);

        PaymentGroup = new TRadioGroup(this);
        PaymentGroup->setObjectName("PaymentGroup");
        PaymentGroup->setTitle("Payment");
        PaymentGroup->SetItems({"Cash", "Check"});
        NotesMemo = new TMemo(this);
        NotesMemo->setObjectName("NotesMemo");
        NotesMemo->SetLines({"a", "b"});

        ItemsGrid = new TDBGrid(this);
        ItemsGrid->setObjectName("ItemsGrid");
        ItemsGrid->setToolTip("Lines");
        TColumn* Part = ItemsGrid->Columns()->Add();
        Part->SetFieldName("PartNo");
        Part->Title()->SetCaption("Part");
        TColumn* Text = ItemsGrid->Columns()->Add();
        Text->SetFieldName("Description");

        Sample = new TSampleControl(this);
        Sample->setObjectName("Sample");
        Sample->PopupMenu = Menu;

        for (QWidget* W : {static_cast<QWidget*>(CompanyLabel), static_cast<QWidget*>(CompanyEdit),
                           static_cast<QWidget*>(PaymentGroup), static_cast<QWidget*>(NotesMemo),
                           static_cast<QWidget*>(ItemsGrid), static_cast<QWidget*>(Sample)})
            Layout->addWidget(W);
        ApplyLanguage();
    }

    TDataSource* CustomerSource;
    TSampleHelper* Helper;
    QMenu* Menu;
    TLabel* CompanyLabel;
    TDBEdit* CompanyEdit;
    TRadioGroup* PaymentGroup;
    TMemo* NotesMemo;
    TDBGrid* ItemsGrid;
    TSampleControl* Sample;
};
