// The record navigator: a row of buttons that move through the records of a data
// source and insert, delete, edit, post, cancel and refresh them. Each button is
// enabled exactly when its action can be taken: First and Prior not on the first
// record, Next and Last not past the last, Insert and Delete on a dataset that can be
// changed (Delete not on an empty one), Edit in browse, Post and Cancel while editing,
// Refresh unless editing. Delete asks nothing itself: whatever must be asked before a
// record goes is the dataset's rule. Buttons never take the focus, so Post writes what
// the edits hold before posting.
#pragma once

#include "platform/data/datasource.h"
#include "platform/core/object.h"

#include <QIcon>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QToolButton;

class TDBNavigator : public QWidget, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(QObject* DataSource READ DataSource WRITE SetDataSourceObject)
    Q_PROPERTY(TButtonSet VisibleButtons READ VisibleButtons WRITE SetVisibleButtons)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(QStringList Hints READ Hints WRITE SetHints)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)

public:
    enum TNavigateBtn {
        nbFirst = 0x1, nbPrior = 0x2, nbNext = 0x4, nbLast = 0x8, nbInsert = 0x10,
        nbDelete = 0x20, nbEdit = 0x40, nbPost = 0x80, nbCancel = 0x100, nbRefresh = 0x200
    };
    Q_DECLARE_FLAGS(TButtonSet, TNavigateBtn)
    Q_FLAG(TButtonSet)
    static constexpr int ButtonCount = 10;
    // The buttons in the order they stand.
    static const std::array<TNavigateBtn, ButtonCount> AllButtons;

    explicit TDBNavigator(QWidget* Parent = nullptr);
    ~TDBNavigator() override;

    bool Visible() const { return !isHidden(); }
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    void SetDataSourceObject(QObject* Value);
    TButtonSet VisibleButtons() const { return FVisibleButtons; }
    void SetVisibleButtons(TButtonSet Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    // One hint per button in standing order; a missing or empty one keeps the
    // button's own ("First record", ...).
    QStringList Hints() const { return FHints; }
    void SetHints(const QStringList& Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);

    QToolButton* Button(TNavigateBtn Index) const;
    // The hint a button shows.
    QString ButtonHint(TNavigateBtn Index) const;
    // Takes the button's action, as a click on it does (errors are raised).
    void BtnClick(TNavigateBtn Index);

    // Before and after a button's action; the action's errors go to the error box.
    std::function<void(TObject* Sender, TNavigateBtn Button)> BeforeAction;
    std::function<void(TObject* Sender, TNavigateBtn Button)> OnClick;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    class TNavDataLink;
    void UpdateButtons();
    void UpdateHints();
    void LayoutButtons();
    static int IndexOf(TNavigateBtn Button);

    std::unique_ptr<TNavDataLink> FDataLink;
    std::array<QToolButton*, ButtonCount> FButtons{};
    TButtonSet FVisibleButtons;
    bool FShowHint = false;
    QStringList FHints;
    bool FFlat = false;
    bool FStale = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TDBNavigator::TButtonSet)

// The picture of a navigator button, drawn here rather than taken from any theme.
QIcon NavigatorGlyph(TDBNavigator::TNavigateBtn Button);
