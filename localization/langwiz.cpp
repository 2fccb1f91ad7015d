// The language wizard. What must stay true: every row's path addresses, through
// ApplyProperty and StoreProperty, exactly the property the row was read from, and
// the inspector never holds a schema or object the wizard has already freed.
#include "localization/langwiz.h"

#include "inspector/nodescope.h"
#include "inspector/text_bytes.h"
#include "localization/lnframe.h"
#include "platform/datacontrols/published.h"
#include "platform/widgets/application.h"
#include "xmllib/strs.h"
#include "xmllib/xmls.h"
#include "ui_langwiz.h"

#include <algorithm>

namespace {

const char* const SchemaText = "<xsd:schema><xsd:element name=\"FORM\"><xsd:complexType><xsd:sequence>"
                               "</xsd:sequence></xsd:complexType></xsd:element></xsd:schema>";

// The window system colour behind the rows.
constexpr TColor clWindow = 0xFF000005;

// String properties that name things rather than say them: renaming would unbind.
bool IsNamingProperty(const QString& Name)
{
    return Name == QLatin1String("Name") || Name == QLatin1String("ImeName") || Name == QLatin1String("FieldName");
}

// One row: its declaration in the sequence and its element in the object, named by
// the dotted path (one step, as the path holds no "/").
void AddRow(TXMLNode* Sequence, TXMLNode* Object, const QString& Path, const QString& Value)
{
    const std::string Name = TextToBytes(Path, false);
    TXMLNode* Row = Sequence->Children->AddNode("xsd:element", std::string(), nkElement);
    Row->SetAttribute("name", Name);
    Row->SetAttribute("type", "xsd:string");
    Object->SetPathText(Name, TextToBytes(Value, false));
}

// A string list as the language file holds it: every line ended by a bar.
QString JoinedLines(const QStringList& Lines)
{
    QString Text;
    for (const QString& Line : Lines)
        Text += Line + QLatin1Char('|');
    return Text;
}

}  // namespace

TLWizard::TLWizard(QWidget* Parent)
    : TForm(Parent)
    , ui(new Ui::TLWizard)
{
    ui->setupUi(this);
    Props = ui->Props;
    Props->SetColor(clWindow);
    Props->OnChange = [this](TNodescope* Sender, TXMLPropEditor* Prop) { PropsChange(Sender, Prop); };
    OnShow = [this](TObject*) { CenterOnScreen(); };
}

TLWizard::~TLWizard()
{
    // The inspector lets go of the object and its schema before they are freed.
    Props->SetNode(nullptr);
    Props->SetSchemaNode(nullptr);
}

void TLWizard::ShowWizard(TLnForm* Control)
{
    BuildSchema(Control);
    SetCaption(QStringLiteral("Lang Wizard: ") + Control->objectName());
    // Typing left in the edit is committed as the closing window takes its focus.
    ShowModal();
}

void TLWizard::BuildSchema(TLnForm* Component)
{
    // Rows and the control they are applied to always come together.
    FControl = Component;
    // The previous pair stays alive until the inspector has dropped its rows on them:
    // rebuilding reads the selected row's path from the old rows first.
    std::unique_ptr<TXMLNode> OldSchema = std::move(FSchema);
    std::unique_ptr<TXMLNode> OldObject = std::move(FObject);
    FSchema.reset(new TXMLNode(SchemaText, false, nullptr));
    TXMLNode* Declaration = FSchema->Child(0);
    TXMLNode* Sequence = Declaration->Child(0)->Child(0);
    FObject.reset(new TXMLNode("<control/>", false, nullptr));

    CollectProperties(Sequence, FObject.get(), Component, Component->FormKey() + QLatin1Char('.'));
    // The form owns every component on it, however deeply placed. Only named ones
    // count: an unnamed object (a grid column) is reached through its holder's
    // property, and a path to it by name could never be applied.
    for (QObject* Owned : Component->findChildren<QObject*>()) {
        if (!Owned->objectName().isEmpty() && FindPublished(Owned, QStringLiteral("Visible")).isValid())
            CollectProperties(Sequence, FObject.get(), Owned, Owned->objectName() + QLatin1Char('.'));
    }

    Props->SetSchemaNode(Declaration);
    Props->SetNode(FObject.get());
}

void TLWizard::CollectProperties(TXMLNode* Sequence, TXMLNode* Object, QObject* Instance, const QString& Prefix)
{
    QList<QMetaProperty> Properties;
    for (const QMetaProperty& Property : PublishedProperties(Instance))
        if (PropertyKind(Instance, Property) != pkOther)
            Properties.append(Property);
    std::stable_sort(Properties.begin(), Properties.end(), [](const QMetaProperty& A, const QMetaProperty& B) {
        return QLatin1String(A.name()).compare(QLatin1String(B.name()), Qt::CaseInsensitive) < 0;
    });

    for (const QMetaProperty& Property : Properties) {
        const QString Name = QLatin1String(Property.name());
        const QString Path = Prefix + Name;
        switch (PropertyKind(Instance, Property)) {
        case pkString:
            if (!IsNamingProperty(Name))
                AddRow(Sequence, Object, Path, Property.read(Instance).toString());
            break;
        case pkStringList:
            AddRow(Sequence, Object, Path, JoinedLines(Property.read(Instance).toStringList()));
            break;
        case pkCollection: {
            auto* Collection = static_cast<TCollection*>(PublishedObject(Instance, Property));
            for (int I = 0; I < Collection->Count(); ++I)
                CollectProperties(Sequence, Object, Collection->Item(I),
                                  Path + QLatin1Char('.') + QString::number(I) + QLatin1Char('.'));
            break;
        }
        case pkObject:
            CollectProperties(Sequence, Object, PublishedObject(Instance, Property), Path + QLatin1Char('.'));
            break;
        case pkReference:  // another component (a data source, a pop-up menu) or nothing
        case pkOther:
            break;
        }
    }
}

void TLWizard::PropsChange(TNodescope*, TXMLPropEditor* Prop)
{
    const QString Path = BytesToText(Prop->GetName());
    const QString Value = BytesToText(Prop->GetValue());
    ApplyProperty(FControl, Path, Value);
    StoreProperty(FControl, Path, Value);
    if (LangDocument)
        SaveFileAtomically(LangDocument->GetIndentedXml(" "), AppFolder + LangFileName);
}

void OpenLanguageWizard(TLnForm* Form)
{
    Application->Guard([Form] {
        TLWizard Wizard;
        Wizard.ShowWizard(Form);
    });
}

void InstallLanguageWizard()
{
    ShowLanguageWizard = OpenLanguageWizard;
}
