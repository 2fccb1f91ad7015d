// The object editor's window: start-up reading, the inspector, the status line, and
// the save on exit.
#include "objecteditor/object_editor_window.h"

#include "platform/widgets/application.h"
#include "platform/core/exceptions.h"
#include "xmllib/strs.h"
#include "ui_object_editor_window.h"
#include "inspector/nodescope.h"
#include "inspector/xsd_structure.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>

#include <cerrno>

TForm1* Form1 = nullptr;

namespace {

std::string& Folder()
{
    static std::string Value;
    return Value;
}

// The global element declarations of a schema, for messages.
std::string DeclaredElements(TXMLNode* Schema)
{
    const std::string Element = RootPrefix(Schema) + "element";
    std::string Names;
    for (int I = 0; I < Schema->ChildCount(); ++I)
        if (Schema->Child(I)->Name == Element && !Schema->Child(I)->GetAttribute("name").empty())
            AddDelimited(Names, "\"" + Schema->Child(I)->GetAttribute("name") + "\"", ", ");
    return Names;
}

TXMLNode* GlobalElement(TXMLNode* Schema, const std::string& Name)
{
    return Schema->Children ? FindElementByAttribute(Schema->Children, RootPrefix(Schema) + "element", "name", Name)
                            : nullptr;
}

} // namespace

std::string TForm1::DataFolder()
{
    return Folder().empty() ? AppFolder : Folder();
}

void TForm1::SetDataFolder(const std::string& F)
{
    Folder() = F.empty() || F.back() == '/' ? F : F + "/";
}

TForm1::TForm1(const TQuillpadOptions& Options, QWidget* Parent)
    : QWidget(Parent), ui(new Ui::TForm1), FOptions(Options)
{
    ui->setupUi(this);
    // The window system colour behind the rows.
    ui->Nodescope1->SetColor(0xFF000005);
    FRequiredLabel = new QLabel(ui->StatusBar1);
    FRequiredLabel->setObjectName("RequiredStatus");
    ui->StatusBar1->addWidget(FRequiredLabel, 1);
    ui->Nodescope1->OnChange = [this](TNodescope*, TXMLPropEditor*) { UpdateStatus(); };
    ui->Nodescope1->OnStructureChange = [this](QObject*) { UpdateStatus(); };
    Application->Guard([this] { FormCreate(); });
    UpdateStatus();
}

TForm1::~TForm1()
{
    Application->Guard([this] { FormDestroy(); });
    // The inspector lets go of the object before the object is freed.
    ui->Nodescope1->SetNode(nullptr);
    ui->Nodescope1->SetSchemaNode(nullptr);
}

TNodescope* TForm1::Nodescope1() const
{
    return ui->Nodescope1;
}

std::string TForm1::SchemaFileName() const
{
    return FOptions.SchemaFile.empty() ? DataFolder() + "scheme.xsd" : FOptions.SchemaFile;
}

std::string TForm1::ObjectFileName() const
{
    return FOptions.ObjectFile.empty() ? DataFolder() + "object.xml" : FOptions.ObjectFile;
}

TXMLNode* TForm1::RootDeclaration(const std::string& SchemaFile) const
{
    std::string Root = FOptions.RootElement;
    TXMLNode* Declaration = nullptr;
    if (!Root.empty()) {
        // A name given by the user must be an element the schema declares.
        Declaration = GlobalElement(FSchema.get(), Root);
    } else {
        Root = "LegalCustomer";
        Declaration = FSchema->FindChildByAttribute("name", Root);
        if (!Declaration && !FOptions.SchemaFile.empty()) {
            // A schema of the user's own with one element: that one is meant.
            const std::string Element = RootPrefix(FSchema.get()) + "element";
            int Count = 0;
            for (int I = 0; I < FSchema->ChildCount(); ++I)
                if (FSchema->Child(I)->Name == Element && !FSchema->Child(I)->GetAttribute("name").empty() &&
                    ++Count == 1)
                    Declaration = FSchema->Child(I);
            if (Count != 1)
                Declaration = nullptr;
        }
    }
    if (Declaration)
        return Declaration;
    const std::string Declared = DeclaredElements(FSchema.get());
    throw Exception("The schema \"" + SchemaFile + "\" declares no element \"" + Root + "\". " +
                    (Declared.empty() ? std::string("It declares no element at all.")
                                      : "It declares: " + Declared + "."));
}

void TForm1::FormCreate()
{
    const std::string SchemaFile = SchemaFileName();
    const std::string ObjectFile = ObjectFileName();
    setWindowTitle(QFileInfo(QString::fromLocal8Bit(ObjectFile.c_str())).fileName() + " - Nodescope");
    FSchema.reset(TXMLNode::CreateFromFile(SchemaFile, nullptr));
    TXMLNode* Declaration = RootDeclaration(SchemaFile);
    ui->Nodescope1->SetSchemaNode(Declaration);
    try {
        FObject.reset(TXMLNode::CreateFromFile(ObjectFile, nullptr));
    } catch (const std::exception&) {
        // Only an object that cannot be read or parsed (or is missing) gives way,
        // silently, to the default instance.
        FObjectUnreadable = QFileInfo::exists(QString::fromLocal8Bit(ObjectFile.c_str()));
        FObject.reset();
    }
    // Everything from here on is the schema's doing (a default instance or rows it
    // cannot build): the object on disk is not at fault and must not be replaced, nor
    // written at the end, nor copied over its backup.
    const std::string Kept =
        "\n\nThe schema \"" + SchemaFile + "\" cannot be used; \"" + ObjectFile + "\" is left as it is.";
    const auto SchemaFault = [this] {
        FSchemaFault = true;
        FObjectUnreadable = false;
        ui->Nodescope1->SetNode(nullptr);
    };
    // A file named on the command line may be another kind of document: edited
    // against this schema it would gain elements it has no use for.
    const std::string Expected = Declaration->GetAttribute("name");
    if (FObject && (!FOptions.SchemaFile.empty() || !FOptions.RootElement.empty()) && FObject->Name != Expected) {
        SchemaFault();
        throw Exception("\"" + ObjectFile + "\" holds the element \"" + FObject->Name + "\", not \"" + Expected +
                        "\" of the schema \"" + SchemaFile + "\"; it is left as it is.");
    }
    try {
        // The sample's default holds every element it declares; an object of the
        // user's own schema starts with what that schema requires, and the rest is
        // added as needed.
        if (!FObject && FOptions.SchemaFile.empty())
            FObject.reset(CreateSkeleton(Declaration, true, true));
        else if (!FObject)
            FObject.reset(NewSchemaElement(Declaration, ElementNameOf(Declaration)));
        ui->Nodescope1->SetNode(FObject.get());
    } catch (Exception& E) {
        // The error keeps its class; only its message learns what became of the object.
        SchemaFault();
        E.Message += Kept;
        throw;
    } catch (const std::exception& E) {
        SchemaFault();
        throw Exception(E.what() + Kept);
    }
}

void TForm1::FormDestroy()
{
    // Without a usable declaration nothing was shown or edited: the file stays as it is.
    TXMLNode* Object = ui->Nodescope1->Node();
    if (!Object || !ui->Nodescope1->SchemaNode() || FSchemaFault)
        return;
    // Pending typing in the edit is committed as leaving the edit would.
    ui->Nodescope1->PostEdit(false);
    const std::string ObjectFile = ObjectFileName();
    if (FObjectUnreadable) {
        // The unreadable file is kept for the user instead of vanishing unseen; only
        // once it is safely aside may the default instance take its place.
        KeepAside(ObjectFile);
        FObjectUnreadable = false;
    }
    SaveFileAtomically(Object->GetIndentedXml(" "), ObjectFile);
}

QString TForm1::RequiredStatus() const
{
    if (!ui->Nodescope1->Node())
        return QString();
    int Count = 0;
    Application->Guard([&] { Count = ui->Nodescope1->RequiredEmptyCount(); });
    if (Count == 0)
        return "No required row is empty";
    if (Count == 1)
        return "1 required row is empty";
    return QString::number(Count) + " required rows are empty";
}

void TForm1::UpdateStatus()
{
    FRequiredLabel->setText(RequiredStatus());
}

void TForm1::KeepAside(const std::string& ObjectFile)
{
    const QString Name = QString::fromLocal8Bit(ObjectFile.c_str());
    QFile Broken(Name);
    if (!Broken.open(QIODevice::ReadOnly))
        throw EFCreateError("Cannot keep \"" + ObjectFile + "\" aside: " + Broken.errorString().toLocal8Bit().toStdString() +
                                ". It is left as it is.",
                            EIO);
    // Through the atomic save: an older backup is replaced whole or stays.
    try {
        SaveFileAtomically(Broken.readAll().toStdString(), ObjectFile + ".bak");
    } catch (EInOutError& E) {
        E.Message += "\n\"" + ObjectFile + "\" could not be kept aside and is left as it is.";
        throw;
    }
}
