// The object editor's window: start-up reading, the inspector, and the save on exit.
#include "objecteditor/object_editor_window.h"

#include "platform/widgets/application.h"
#include "platform/core/exceptions.h"
#include "xmllib/strs.h"
#include "ui_object_editor_window.h"
#include "inspector/nodescope.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

TForm1* Form1 = nullptr;

namespace {

std::string& Folder()
{
    static std::string Value;
    return Value;
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

TForm1::TForm1(QWidget* Parent) : QWidget(Parent), ui(new Ui::TForm1)
{
    ui->setupUi(this);
    // The window system colour behind the rows.
    ui->Nodescope1->SetColor(0xFF000005);
    Application->Guard([this] { FormCreate(); });
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

void TForm1::FormCreate()
{
    const std::string SchemaFile = DataFolder() + "scheme.xsd";
    const std::string ObjectFile = DataFolder() + "object.xml";
    FSchema.reset(TXMLNode::CreateFromFile(SchemaFile, nullptr));
    TXMLNode* Declaration = FSchema->FindChildByAttribute("name", "LegalCustomer");
    ui->Nodescope1->SetSchemaNode(Declaration);
    if (!Declaration)
        throw Exception("No declaration named \"LegalCustomer\" in \"" + SchemaFile + "\"");
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
    try {
        if (!FObject)
            FObject.reset(CreateSkeleton(Declaration, true, true));
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
    const std::string ObjectFile = DataFolder() + "object.xml";
    if (FObjectUnreadable) {
        // The unreadable file is kept for the user instead of vanishing unseen; only
        // once it is safely aside may the default instance take its place.
        KeepAside(ObjectFile);
        FObjectUnreadable = false;
    }
    SaveFileAtomically(Object->GetIndentedXml(" "), ObjectFile);
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
