// quillpad's command line: quillpad [--schema FILE] [--root ELEMENT] [OBJECT].
// Without arguments it edits "object.xml" against the declaration "LegalCustomer"
// of "scheme.xsd", both beside the program.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

struct TQuillpadOptions {
    // Absolute paths; empty: "scheme.xsd" and "object.xml" in the program's folder.
    std::string SchemaFile;
    std::string ObjectFile;
    // Empty: "LegalCustomer", or the schema's only element when a schema was named.
    std::string RootElement;
    bool Help = false;
};

// The usage text that --help prints.
QString QuillpadUsage();

// Reads the arguments that follow the program's name; relative paths are taken from
// the current folder. A mistake raises Exception naming it.
TQuillpadOptions ParseQuillpadArguments(const QStringList& Arguments);
