// The object editor's one window: an XML object edited in the inspector against an
// element declaration of a schema. Without options these are "object.xml" and the
// declaration "LegalCustomer" of "scheme.xsd", both beside the program; the command
// line can name others (objecteditor/quillpad_options.h). Elements can be added and
// removed within what the schema allows, and a status line counts the required
// values still empty. The object is written back, indented, when the window is
// destroyed; a save never leaves a truncated file behind. Only an object that cannot
// be read or parsed gives way to the default instance (kept aside in "<object>.bak"
// first); a schema the inspector cannot use is reported and leaves the object alone.
#pragma once

#include "objecteditor/quillpad_options.h"
#include "xmllib/xmls.h"

#include <QWidget>

#include <memory>
#include <string>

namespace Ui {
class TForm1;
}
class QLabel;
class TNodescope;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(const TQuillpadOptions& Options = TQuillpadOptions(), QWidget* Parent = nullptr);
    ~TForm1() override;

    TNodescope* Nodescope1() const;

    // Reads schema and object and hands them to the inspector.
    void FormCreate();
    // Writes the edited object back.
    void FormDestroy();

    // The folder of "scheme.xsd" and "object.xml" when the command line names no
    // others: the program's folder, with a trailing separator. Tests point it
    // elsewhere before creating the form.
    static std::string DataFolder();
    static void SetDataFolder(const std::string& Folder);

    // The files this window reads and writes.
    std::string SchemaFileName() const;
    std::string ObjectFileName() const;

    // The status line's text: how many rows are empty but required.
    QString RequiredStatus() const;

    std::unique_ptr<TXMLNode> FSchema;

private:
    std::unique_ptr<Ui::TForm1> ui;
    TQuillpadOptions FOptions;
    std::unique_ptr<TXMLNode> FObject;
    QLabel* FRequiredLabel = nullptr;
    // The object file existed but could not be read: it is kept aside in "<object>.bak"
    // before the default object takes its place.
    bool FObjectUnreadable = false;
    // The schema could not be used (rows or default instance): nothing is shown, and
    // the object file is neither backed up nor written.
    bool FSchemaFault = false;
    // The declaration the object is edited against; raises naming the schema's
    // elements when it has none of that name.
    TXMLNode* RootDeclaration(const std::string& SchemaFile) const;
    void UpdateStatus();
    // Copies the unreadable object to "<object>.bak"; raises when it cannot.
    static void KeepAside(const std::string& ObjectFile);
};

extern TForm1* Form1;
