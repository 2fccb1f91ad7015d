#include "localization/lnframe.h"

#include "inspector/text_bytes.h"
#include "platform/core/convert.h"
#include "platform/core/exceptions.h"
#include "platform/datacontrols/published.h"
#include "platform/widgets/messages.h"
#include "xmllib/strs.h"
#include "xmllib/xmls.h"

#include <QApplication>
#include <QKeyEvent>

TXMLNode* LangDocument = nullptr;
std::string LangFileName;
std::function<void(TLnForm* Form)> ShowLanguageWizard;

namespace {

// X11 key codes of the two Alt keys; the right one is AltGr on most layouts.
constexpr quint32 kLeftAltKeyCode = 64;

QString Text(const std::string& Bytes)
{
    return BytesToText(Bytes);
}

QStringList Segments(const QString& Path)
{
    return Path.split('.', Qt::SkipEmptyParts);
}

// A component the form owns, by Name ignoring case; the form's controls sit on
// panels and tool bars, and it owns them all.
QObject* OwnedComponent(QObject* Form, const QString& Name)
{
    for (QObject* Child : Form->findChildren<QObject*>())
        if (Child->objectName().compare(Name, Qt::CaseInsensitive) == 0)
            return Child;
    return nullptr;
}

// A string list's text: "|" stands for a line break, and a final break ends the last
// line rather than starting an empty one.
QStringList ListLines(const QString& Value)
{
    QStringList Lines = Value.split('|');
    if (!Lines.isEmpty() && Lines.last().isEmpty())
        Lines.removeLast();
    return Lines;
}

// An entry whose collection index is not a number or out of range is skipped: a
// faulty translation file must not stop the form, and the rest still applies.
void ApplyEntry(TLnForm* Form, const QString& Path, const QString& Value)
{
    try {
        ApplyProperty(Form, Path, Value);
    } catch (const EConvertError&) {
    } catch (const EListError&) {
    }
}

}  // namespace

TLnForm::TLnForm(QWidget* Parent)
    : TForm(Parent)
{
    resize(320, 240);
    QFont Font(QStringLiteral("MS Sans Serif"));
    setFont(Font);
    qApp->installEventFilter(this);
}

TLnForm::~TLnForm()
{
    qApp->removeEventFilter(this);
}

QString TLnForm::FormKey() const
{
    if (metaObject() == &TLnForm::staticMetaObject)
        return objectName();
    return QString::fromLatin1(metaObject()->className());
}

void TLnForm::ApplyLanguage()
{
    if (!LangDocument)
        return;
    const std::string Key = TextToBytes(FormKey(), false);
    TXMLNode* Node = LangDocument->SelectNode(Key, false, "", false);
    if (!Node)
        return;
    for (int i = 0; i < Node->Attributes.ItemCount(); ++i) {
        TXMLNode* Attr = Node->Attributes.ItemAt(i);
        ApplyEntry(this, FormKey() + "." + Text(Attr->Name), Text(Attr->Value));
    }
    for (int i = 0; i < Node->Children.ItemCount(); ++i) {
        TXMLNode* Child = Node->Children.ItemAt(i);
        ApplyNode(Child, Text(Child->Name));
    }
}

void TLnForm::ApplyNode(TXMLNode* Node, const QString& Prefix)
{
    for (int i = 0; i < Node->Attributes.ItemCount(); ++i) {
        TXMLNode* Attr = Node->Attributes.ItemAt(i);
        ApplyEntry(this, Prefix + "." + Text(Attr->Name), Text(Attr->Value));
    }
    for (int i = 0; i < Node->Children.ItemCount(); ++i) {
        TXMLNode* Child = Node->Children.ItemAt(i);
        ApplyNode(Child, Prefix + "." + Text(Child->Name));
    }
}

bool TLnForm::eventFilter(QObject* Watched, QEvent* Event)
{
    const QEvent::Type Type = Event->type();
    // Left Alt+L is the form's before any control's: a mnemonic such as "C&lose"
    // would otherwise take the key as a shortcut and the form would never see it.
    if (Type == QEvent::ShortcutOverride) {
        auto* Key = static_cast<QKeyEvent*>(Event);
        auto* Widget = qobject_cast<QWidget*>(Watched);
        if (FKeyPreview && FLeftAltDown && Key->key() == Qt::Key_L && Widget && Widget->window() == this) {
            Event->accept();
            return true;
        }
        return false;
    }
    if (Type != QEvent::KeyPress && Type != QEvent::KeyRelease)
        return false;
    auto* Key = static_cast<QKeyEvent*>(Event);
    // The left Alt key's state, followed whichever window has the focus.
    if (Key->key() == Qt::Key_Alt || Key->key() == Qt::Key_Meta || Key->key() == Qt::Key_AltGr) {
        const bool Left = Key->key() == Qt::Key_Alt
            && (Key->nativeScanCode() == kLeftAltKeyCode || Key->nativeScanCode() == 0);
        if (Left)
            FLeftAltDown = Type == QEvent::KeyPress;
        return false;
    }
    if (Type != QEvent::KeyPress || !FKeyPreview)
        return false;
    auto* Widget = qobject_cast<QWidget*>(Watched);
    if (!Widget || Widget->window() != this)
        return false;
    // Key events reach a widget's parents too when it ignores them: handle each once.
    if (Widget != QApplication::focusWidget() && !(Widget == this && !QApplication::focusWidget()))
        return false;
    return FormKeyDown(Key);
}

void TLnForm::keyPressEvent(QKeyEvent* Event)
{
    // Without key preview the form sees only keys no control took.
    if (!FKeyPreview && FormKeyDown(Event))
        return;
    TForm::keyPressEvent(Event);
}

bool TLnForm::FormKeyDown(QKeyEvent* Event)
{
    if (OnKeyDown)
        OnKeyDown(this, Event);
    if (Event->key() == Qt::Key_L && FLeftAltDown) {
        if (ShowLanguageWizard)
            ShowLanguageWizard(this);
        return true;
    }
    if (Event->key() == Qt::Key_F1 && (Event->modifiers() & Qt::ControlModifier))
        MessageDlgCaption(objectName(), QStringLiteral("Help ID"), mtInformation, {mbOK, mbCancel}, 0);
    return false;
}

void ApplyProperty(TLnForm* Form, const QString& Path, const QString& Value)
{
    QStringList Rest = Segments(Path);
    if (Rest.isEmpty())
        return;
    QObject* Current;
    if (Path.startsWith(Form->FormKey() + "."))
        Current = Form;
    else
        Current = OwnedComponent(Form, Rest.first());
    Rest.removeFirst();
    while (Current && !Rest.isEmpty()) {
        const QString Segment = Rest.takeFirst();
        if (auto* Collection = qobject_cast<TCollection*>(Current)) {
            Current = Collection->Item(StrToInt(TextToBytes(Segment, false)));
            continue;
        }
        const QMetaProperty Property = FindPublished(Current, Segment);
        if (!Property.isValid())
            return;
        const TPropertyKind Kind = PropertyKind(Current, Property);
        if (!Rest.isEmpty()) {
            Current = Kind == pkObject || Kind == pkCollection || Kind == pkReference
                ? Property.read(Current).value<QObject*>()
                : nullptr;
            continue;
        }
        if (Kind == pkString)
            Property.write(Current, Value);
        else if (Kind == pkStringList)
            Property.write(Current, ListLines(Value));
        return;
    }
}

void StoreProperty(TLnForm* Form, const QString& Path, const QString& Value)
{
    if (!LangDocument)
        return;
    const QString Key = Form->FormKey();
    TXMLNode* Base = LangDocument;
    if (!Path.startsWith(Key + "."))
        Base = LangDocument->Children->FindOrAdd(TextToBytes(Key, false));
    std::string P = ReplaceAll(TextToBytes(Path, false), ".", "/");
    const size_t Slash = P.rfind('/');
    if (Slash != std::string::npos)
        P.insert(Slash + 1, "@");
    Base->SetPathText(P, TextToBytes(Value, false));
}
