// The object editor's one window: the object "object.xml" edited in the inspector
// against the declaration "LegalCustomer" of "scheme.xsd", both beside the program.
// The object is written back, indented, when the window is destroyed; a save never
// leaves a truncated file behind. Only an object that cannot be read or parsed gives
// way to the default instance (kept aside in "object.xml.bak" first); a schema the
// inspector cannot use is reported and leaves "object.xml" alone.
#pragma once

#include "xmllib/xmls.h"

#include <QWidget>

#include <memory>
#include <string>

namespace Ui {
class TForm1;
}
class TNodescope;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* Parent = nullptr);
    ~TForm1() override;

    TNodescope* Nodescope1() const;

    // Reads schema and object and hands them to the inspector.
    void FormCreate();
    // Writes the edited object back.
    void FormDestroy();

    // The folder of "scheme.xsd" and "object.xml": the program's folder, with a
    // trailing separator. Tests point it elsewhere before creating the form.
    static std::string DataFolder();
    static void SetDataFolder(const std::string& Folder);

    std::unique_ptr<TXMLNode> FSchema;

private:
    std::unique_ptr<Ui::TForm1> ui;
    std::unique_ptr<TXMLNode> FObject;
    // "object.xml" existed but could not be read: it is kept aside in "object.xml.bak"
    // before the default object takes its place.
    bool FObjectUnreadable = false;
    // The schema could not be used (rows or default instance): nothing is shown, and
    // "object.xml" is neither backed up nor written.
    bool FSchemaFault = false;
    // Copies the unreadable object to "object.xml.bak"; raises when it cannot.
    static void KeepAside(const std::string& ObjectFile);
};

extern TForm1* Form1;
