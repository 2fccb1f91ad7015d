// quillpad's command line, read with Qt's parser: long options with a value given
// as "--schema FILE" or "--schema=FILE", and at most one object file.
#include "objecteditor/quillpad_options.h"

#include "platform/core/exceptions.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

std::string AbsolutePath(const QString& Path)
{
    return QFileInfo(Path).absoluteFilePath().toLocal8Bit().toStdString();
}

} // namespace

QString QuillpadUsage()
{
    return "Usage: quillpad [--schema FILE] [--root ELEMENT] [OBJECT]\n"
           "Edits the XML object OBJECT against the declaration of ELEMENT in the schema FILE,\n"
           "and saves it when the window closes.\n"
           "\n"
           "  --schema FILE    the XML Schema (default: scheme.xsd beside the program)\n"
           "  --root ELEMENT   the schema's element the object is (default: LegalCustomer,\n"
           "                   or the only element a schema given with --schema declares)\n"
           "  OBJECT           the object file (default: object.xml beside the program);\n"
           "                   a missing one is started from the schema's default\n"
           "  -h, --help       shows this text\n";
}

TQuillpadOptions ParseQuillpadArguments(const QStringList& Arguments)
{
    QCommandLineParser Parser;
    const QCommandLineOption Schema("schema", "The XML Schema.", "FILE");
    const QCommandLineOption Root("root", "The schema's element.", "ELEMENT");
    const QCommandLineOption Help(QStringList{"h", "help"}, "Shows the usage.");
    Parser.addOption(Schema);
    Parser.addOption(Root);
    Parser.addOption(Help);
    Parser.addPositionalArgument("object", "The object file.", "[OBJECT]");
    if (!Parser.parse(QStringList{"quillpad"} + Arguments))
        throw Exception(Parser.errorText().toLocal8Bit().toStdString());
    TQuillpadOptions Result;
    Result.Help = Parser.isSet(Help);
    const QStringList Objects = Parser.positionalArguments();
    if (Objects.size() > 1)
        throw Exception("Only one object file can be edited at a time; given: \"" +
                        Objects.join("\", \"").toLocal8Bit().toStdString() + "\".");
    if (Parser.values(Schema).size() > 1 || Parser.values(Root).size() > 1)
        throw Exception("--schema and --root can each be given once.");
    if (Parser.isSet(Schema)) {
        if (Parser.value(Schema).isEmpty())
            throw Exception("--schema needs a file name.");
        Result.SchemaFile = AbsolutePath(Parser.value(Schema));
    }
    if (Parser.isSet(Root)) {
        if (Parser.value(Root).isEmpty())
            throw Exception("--root needs an element name.");
        Result.RootElement = Parser.value(Root).toLocal8Bit().toStdString();
    }
    if (!Objects.isEmpty()) {
        if (Objects[0].isEmpty())
            throw Exception("The object file name is empty.");
        Result.ObjectFile = AbsolutePath(Objects[0]);
    }
    return Result;
}
