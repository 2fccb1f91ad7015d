// The part search: the parts of the inventory in a grid, a field to search and the
// text to look for, from which the order form lets the clerk pick the part of a line.
// The caller may place it on a part first (PartNo), runs it with ShowParts and reads
// the chosen part back through PartNo after OK. What must stay true: a search that
// finds nothing leaves the selection where it was, and a key that cannot belong to
// the searched field never reaches the search text.
#pragma once

#include "platform/widgets/forms.h"
#include "ui_search_dlg.h"

#include <QChar>

class TDataSource;
class TField;

class TSearchDlg : public TForm, public Ui::TSearchDlg {
    Q_OBJECT

public:
    // VornData must exist.
    explicit TSearchDlg(QWidget* Parent = nullptr);
    ~TSearchDlg() override;

    // The grid's source; ShowParts points it at VornData's Parts.
    TDataSource* DataSource;

    // The part VornData's Parts stands on; setting it moves Parts to that part (and
    // leaves it where it was when there is none).
    double PartNo() const;
    void SetPartNo(double Value);

    // Starts over (search field Description, no search text), shows the parts
    // modally on wherever Parts stands, and returns how the dialog closed.
    TModalResult ShowParts();

    void OrderComboChange(TObject* Sender);
    void SearchEdChange(TObject* Sender);
    void SearchEdKeyPress(TObject* Sender, QChar& Key);
    void SearchButtonClick(TObject* Sender);
    void DBGrid1DblClick(TObject* Sender);

private:
    // The field of the searched dataset that OrderCombo names; null when none.
    TField* FSearchField = nullptr;
};

extern TSearchDlg* SearchDlg;
