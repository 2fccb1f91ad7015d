// The localizable form: a form whose string properties, and those of the components
// it owns, are overwritten from the language document when it is created. The
// language file holds one element per form (named by its FormKey), an attribute per
// string property and a child element per component, nested object or collection
// item. Two hot keys: left Alt+L opens the language wizard for the form, Ctrl+F1
// shows the form's name as its help identifier.
#pragma once

#include "platform/widgets/forms.h"

#include <functional>
#include <string>

class TXMLNode;
class TLnForm;

// The process-wide language document (the root element of the language file), or
// null: then nothing is translated and nothing is stored.
extern TXMLNode* LangDocument;
// The language file's name relative to the program's folder ("lang.xml").
extern std::string LangFileName;

// Opens the language wizard modally for a form; set by the wizard's unit. Without
// it left Alt+L is consumed and does nothing.
extern std::function<void(TLnForm* Form)> ShowLanguageWizard;

class TLnForm : public TForm {
    Q_OBJECT

public:
    explicit TLnForm(QWidget* Parent = nullptr);
    ~TLnForm() override;

    // The element of the language file that holds this form's entries: the form's
    // Name for a plain TLnForm, its class name for every derived form.
    QString FormKey() const;

    // Applies LangDocument's entries for this form; an entry with a collection index
    // that is not a number or out of range is skipped. A derived form calls it once, at
    // the end of its constructor, after its design is set up and its creation
    // handler has run (a base constructor cannot see the derived form's controls).
    void ApplyLanguage();

    // Whether the form sees keys before the focused control; on from construction.
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }

    std::function<void(TObject* Sender, QKeyEvent* Key)> OnKeyDown;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    // Handles a key the form sees first; true when it is consumed.
    bool FormKeyDown(QKeyEvent* Event);
    void ApplyNode(TXMLNode* Node, const QString& Prefix);

    bool FKeyPreview = true;
    bool FLeftAltDown = false;
};

// Sets one string value on a live form by a dotted path: the form key or a component
// name, then property names and collection indexes ("ItemsGrid.Columns.0.Title.Caption").
// Unknown components and properties, and properties of other kinds, are ignored; a
// collection index that is not a number raises EConvertError, one out of range
// EListError.
void ApplyProperty(TLnForm* Form, const QString& Path, const QString& Value);

// Writes one string value into LangDocument under the form's element; an empty value
// removes the entry.
void StoreProperty(TLnForm* Form, const QString& Path, const QString& Value);
