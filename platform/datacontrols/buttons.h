// Push buttons and the check box. OnClick runs through the application's error box,
// so a handler that fails is reported and the window stays usable.
#pragma once

#include "platform/datacontrols/font.h"
#include "platform/core/object.h"

#include <QCheckBox>
#include <QPushButton>

#include <functional>

class TButton : public QPushButton, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)

public:
    explicit TButton(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }

    std::function<void(TObject* Sender)> OnClick;

private:
    TFont* FFont;
};

// A button with a picture beside its caption.
class TBitBtn : public TButton {
    Q_OBJECT
    Q_PROPERTY(QIcon Glyph READ icon WRITE setIcon)

public:
    explicit TBitBtn(QWidget* Parent = nullptr);
};

class TCheckBox : public QCheckBox, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)

public:
    explicit TCheckBox(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }

    // Whenever Checked changes, by a click or by the program.
    std::function<void(TObject* Sender)> OnClick;

private:
    TFont* FFont;
};
