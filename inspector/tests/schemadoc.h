// Documents for the inspector tests: schemas written once with "@" for the prefix,
// so each case can run under "xsd:", "xs:" or no prefix.
#pragma once

#include "xmllib/xmls.h"

#include <memory>
#include <string>

using Doc = std::unique_ptr<TXMLNode>;

inline Doc Schema(const std::string& Prefix, const std::string& Body)
{
    std::string Text = "<@schema>" + Body + "</@schema>";
    std::string Out;
    for (char C : Text)
        Out += C == '@' ? Prefix : std::string(1, C);
    return Doc(new TXMLNode(Out, false, nullptr));
}

inline Doc Xml(const std::string& Text)
{
    return Doc(new TXMLNode(Text, false, nullptr));
}
