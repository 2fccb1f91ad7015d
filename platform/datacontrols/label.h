// A static text. While AutoSize is on, the label is sized to its text when it is shown
// and whenever Caption or the font changes, so a translated caption longer than the
// designed one is not cut off and a short one covers nothing beside it. Text set with
// Qt's setText while shown keeps the size.
#pragma once

#include "platform/datacontrols/font.h"
#include "platform/core/object.h"

#include <QLabel>

class TLabel : public QLabel, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ text WRITE SetCaption)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(QObject* FocusControl READ FocusControl WRITE SetFocusControl)

public:
    explicit TLabel(QWidget* Parent = nullptr);

    void SetCaption(const QString& Value);
    // The label's own flag, true while its window is still hidden.
    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    // The control the caption's accelerator focuses (the label's buddy).
    QObject* FocusControl() const { return buddy(); }
    void SetFocusControl(QObject* Value);

protected:
    void changeEvent(QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    void FitText();

    TFont* FFont;
    bool FAutoSize = true;
};
