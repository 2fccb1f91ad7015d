// A picture (a logo): shown at its own size from the top left, centred, or
// stretched to the control.
#pragma once

#include "platform/core/object.h"

#include <QLabel>
#include <QPixmap>

class TImage : public QLabel, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(QPixmap Picture READ Picture WRITE setPixmap)
    Q_PROPERTY(bool Stretch READ hasScaledContents WRITE setScaledContents)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)

public:
    explicit TImage(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    QPixmap Picture() const { return pixmap(); }
    bool Center() const { return alignment() == Qt::AlignCenter; }
    void SetCenter(bool Value);
};
