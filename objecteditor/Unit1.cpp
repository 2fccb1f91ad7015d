// The object editor's window: start-up reading, the inspector, and the save on exit.
#include "Unit1.h"

#include "application.h"
#include "exceptions.h"
#include "strs.h"
#include "ui_Unit1.h"
#include "xsdins.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

void SaveFileAtomically(const std::string& S, const std::string& FileName)
{
    const QString Name = QString::fromLocal8Bit(FileName.c_str());
    QSaveFile File(Name);
    const auto Fail = [&](const QString& Why) {
        File.cancelWriting();
        throw EFCreateError("Cannot create file \"" + FileName + "\". " + Why.toLocal8Bit().toStdString(), EIO);
    };
    if (!File.open(QIODevice::WriteOnly))
        Fail(File.errorString());
    if (File.write(S.data(), static_cast<qint64>(S.size())) != static_cast<qint64>(S.size()))
        Fail(File.errorString());
    if (!File.commit())
        throw EFCreateError("Cannot create file \"" + FileName + "\". " + File.errorString().toLocal8Bit().toStdString(),
                            EIO);
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
    ui->Nodescope1->SchemaNode = nullptr;
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
    ui->Nodescope1->SchemaNode = Declaration;
    if (!Declaration)
        throw Exception("No declaration named \"LegalCustomer\" in \"" + SchemaFile + "\"");
    try {
        FObject.reset(TXMLNode::CreateFromFile(ObjectFile, nullptr));
        ui->Nodescope1->SetNode(FObject.get());
    } catch (const std::exception&) {
        // A missing or broken object silently gives way to the default instance.
        FObjectUnreadable = QFileInfo::exists(QString::fromLocal8Bit(ObjectFile.c_str()));
        ui->Nodescope1->SetNode(nullptr);
        FObject.reset(CreateSkeleton(Declaration, true, true));
        ui->Nodescope1->SetNode(FObject.get());
    }
}

void TForm1::FormDestroy()
{
    // Without a declaration nothing was shown or edited: the file stays as it is.
    TXMLNode* Object = ui->Nodescope1->Node();
    if (!Object || !ui->Nodescope1->SchemaNode)
        return;
    // Pending typing in the edit is committed as leaving the edit would.
    ui->Nodescope1->PostEdit(false);
    const std::string ObjectFile = DataFolder() + "object.xml";
    if (FObjectUnreadable) {
        // The unreadable file is kept for the user instead of vanishing unseen.
        const QString Name = QString::fromLocal8Bit(ObjectFile.c_str());
        QFile::remove(Name + ".bak");
        QFile::copy(Name, Name + ".bak");
        FObjectUnreadable = false;
    }
    SaveFileAtomically(Object->GetIndentedXml(" "), ObjectFile);
}
