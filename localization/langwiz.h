// The language wizard: translates a running localizable form on the spot. It lists
// every string property of the form and of the visible components the form owns as
// rows of the inspector, from a schema and an object it generates in memory from
// the published properties. Each committed row goes at once to the live control,
// into the language document and, indented, to the language file; closing the
// wizard needs no further step.
//
// Row paths are those of the language file: "ItemsGrid.Columns.0.Title.Caption".
// The form's own rows start with its FormKey, the segment ApplyProperty and
// StoreProperty read as the form itself, so an edited form caption changes on
// screen and is read back the next time the form is created.
#pragma once

#include "platform/widgets/forms.h"

#include <QString>

#include <memory>

namespace Ui {
class TLWizard;
}
class QObject;
class TLnForm;
class TNodescope;
class TXMLNode;
class TXMLPropEditor;

class TLWizard : public TForm {
    Q_OBJECT

public:
    explicit TLWizard(QWidget* Parent = nullptr);
    ~TLWizard() override;

    // Lists Control's rows and shows the wizard modally, captioned with its Name.
    void ShowWizard(TLnForm* Control);
    // Generates schema and object for Component and hands both to Props; a second
    // call replaces them.
    void BuildSchema(TLnForm* Component);
    // Adds the rows of Instance below Prefix ("ItemsGrid."), walking into nested
    // objects and collection items.
    void CollectProperties(TXMLNode* Sequence, TXMLNode* Object, QObject* Instance, const QString& Prefix);
    // Props' OnChange: the committed row goes to the control, the document and the file.
    void PropsChange(TNodescope* Sender, TXMLPropEditor* Prop);

    // The inspector over the whole client area, made by the design.
    TNodescope* Props = nullptr;

    TXMLNode* Schema() const { return FSchema.get(); }
    TXMLNode* Object() const { return FObject.get(); }
    TLnForm* Control() const { return FControl; }

private:
    std::unique_ptr<Ui::TLWizard> ui;
    std::unique_ptr<TXMLNode> FSchema;
    std::unique_ptr<TXMLNode> FObject;
    TLnForm* FControl = nullptr;
};

// Opens a wizard for Form, modally, and frees it when it closes; errors go to the
// application's error box.
void OpenLanguageWizard(TLnForm* Form);

// Makes left Alt+L on every localizable form open the wizard. The program calls it
// once at start-up; a static initialiser would be dropped with this unit when the
// program links the library without naming anything in it.
void InstallLanguageWizard();
