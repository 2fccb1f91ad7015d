// The order form's language file: loaded into LangDocument when the form is created,
// written back on every close the form allows. What must stay true: no state of the
// file stops the form. A missing file starts it untranslated with an empty document
// (the first close creates the file); a file that cannot be read or parsed is named
// in a message once, moved aside as "lang.xml.bak" for mending, and the form starts
// untranslated; when it cannot be moved aside it is never written over. Writing goes
// through a temporary file and a rename, so a crash or a full disk leaves the old
// file whole.
#include "orderentry/order_form.h"

#include "orderentry/DataMod.h"
#include "orderentry/Startup.h"

#include "platform/core/exceptions.h"
#include "platform/widgets/application.h"
#include "xmllib/strs.h"
#include "xmllib/xmls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace {

// The root of a language file that holds no entries yet.
TXMLNode* EmptyLanguageDocument()
{
    return new TXMLNode("<Language/>", false, nullptr);
}

QString Shown(const std::string& Path)
{
    return QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(Path)));
}

} // namespace

QString TEdOrderForm::LangFilePath()
{
    return QFile::decodeName(QByteArray::fromStdString(AppFolder + LangFileName));
}

void TEdOrderForm::FormCreate(TObject*)
{
    LangFileName = "lang.xml";
    LoadLanguageFile();
}

void TEdOrderForm::LoadLanguageFile()
{
    const std::string path = AppFolder + LangFileName;
    std::unique_ptr<TXMLNode> document;
    FKeepLanguageFile = false;
    if (QFileInfo::exists(Shown(path))) {
        QString failure;
        try {
            document.reset(TXMLNode::CreateFromFile(path, nullptr));
            // An empty file parses into a nameless node, which would be written back
            // as text no reader takes.
            if (document->Name.empty())
                failure = "it holds no element";
        } catch (const Exception& E) {
            failure = QString::fromStdString(E.Message);
        }
        if (!failure.isEmpty()) {
            document.reset();
            const std::string kept = path + ".bak";
            QString message;
            if (std::rename(path.c_str(), kept.c_str()) == 0) {
                message = QString("The language file \"%1\" could not be read (%2). It was kept as \"%3\"; "
                                  "the order form starts untranslated.")
                              .arg(Shown(path), failure, Shown(kept));
            } else {
                FKeepLanguageFile = true;
                message = QString("The language file \"%1\" could not be read (%2). The order form starts "
                                  "untranslated and leaves the file as it is.")
                              .arg(Shown(path), failure);
            }
            ReportAndGoOn(std::make_exception_ptr(Exception(message.toStdString())));
        }
    }
    if (!document)
        document.reset(EmptyLanguageDocument());
    delete LangDocument;
    LangDocument = document.release();
}

void TEdOrderForm::SaveLanguageFile()
{
    if (!LangDocument || FKeepLanguageFile)
        return;
    SaveFileAtomically(LangDocument->GetXml(), AppFolder + LangFileName);
}

void TEdOrderForm::FormCloseQuery(TObject*, bool& CanClose)
{
    bool mayClose = false;
    // An apply error keeps the form open with its changes; it is shown, not lost.
    Application->Guard([&] { mayClose = VornData->ResolvePendingEdits(VornData->Orders, ModalResult() == mrOk); });
    CanClose = mayClose;
    if (!CanClose)
        return;
    // The form closes whether or not the file could be written; the document stays in
    // memory, so the next close tries again.
    Application->Guard([this] { SaveLanguageFile(); });
}
