// A flat tool-bar button. With GroupIndex 0 it pops up after every click; speed
// buttons of one parent sharing a non-zero GroupIndex act as one group, of which at
// most one is Down: pressing one releases the others, and a Down button pops up
// again when pressed only if AllowAllUp allows the group to have none down. A single
// button with a GroupIndex of its own and AllowAllUp is a toggle.
#pragma once

#include "platform/datacontrols/font.h"
#include "platform/core/object.h"

#include <QToolButton>

#include <functional>

class TSpeedButton : public QToolButton, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ text WRITE SetCaption)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(QIcon Glyph READ icon WRITE SetGlyph)
    Q_PROPERTY(bool Flat READ autoRaise WRITE setAutoRaise)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)

public:
    explicit TSpeedButton(QWidget* Parent = nullptr);

    void SetCaption(const QString& Value);
    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    void SetGlyph(const QIcon& Value);

    int GroupIndex() const { return FGroupIndex; }
    // 0 pops the button up.
    void SetGroupIndex(int Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    // Set for the whole group at once.
    void SetAllowAllUp(bool Value);
    bool Down() const { return isChecked(); }
    // Ignored for a button without a group, and for popping up the down button of a
    // group that must keep one down.
    void SetDown(bool Value);

    // After every click, with Down already changed by it.
    std::function<void(TObject* Sender)> OnClick;

protected:
    void showEvent(QShowEvent* Event) override;
    void nextCheckState() override;

private:
    QList<TSpeedButton*> Group() const;
    void UpdateStyle();

    TFont* FFont;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
};
