// The Font a control or a grid column publishes: name, size, style and colour as one
// nested object, so the language file can reach Font.Name. A font made for a widget
// reads and writes that widget's QFont and text colour directly, so it can never
// disagree with what the widget shows, however the widget's font was set (a .ui
// file, setFont, a style sheet). A free font (a grid column's) holds its own values
// and calls OnChange after each change.
#pragma once

#include "platform/core/object.h"

#include <QColor>
#include <QFont>
#include <QObject>

#include <functional>

class QWidget;

class TFont : public QObject, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(TFontStyles Style READ Style WRITE SetStyle)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)

public:
    enum TFontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
    Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
    Q_FLAG(TFontStyles)

    // The font of Control, owned by it.
    explicit TFont(QWidget* Control);
    // A free font owned by Owner, starting from the application's font in black.
    explicit TFont(QObject* Owner = nullptr);

    QString Name() const;
    void SetName(const QString& Value);
    // In points.
    int Size() const;
    void SetSize(int Value);
    TFontStyles Style() const;
    void SetStyle(TFontStyles Value);
    QColor Color() const;
    void SetColor(const QColor& Value);

    // The whole font at once, for painting and for copying between controls.
    QFont QtFont() const;
    void SetQtFont(const QFont& Value);
    void Assign(const TFont& Source);

    std::function<void(TObject* Sender)> OnChange;

private:
    void Changed(const QFont& Font, const QColor& Color);

    QWidget* FControl = nullptr;
    QFont FFont;
    QColor FColor = Qt::black;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFont::TFontStyles)
