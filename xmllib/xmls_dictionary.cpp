// Id-to-node dictionaries over a sorted, owning TFastList: ids are unique, kept in
// byte order and compared case-sensitively; every stored node belongs to the
// dictionary and is freed when its entry is replaced, deleted or the dictionary goes.
#include "xmllib/xmls.h"

#include "platform/core/convert.h"
#include "platform/core/exceptions.h"

TXMLDictionary::TXMLDictionary()
{
    FItems = new TFastList;
    FItems->FDuplicates = dmIgnore;
    FItems->FOwnsObjects = true;
    FItems->SetSorted(true);
}

TXMLDictionary::~TXMLDictionary()
{
    delete FItems;
    FItems = nullptr;
}

TXMLNode* TXMLDictionary::GetEntryNode(int Index) const
{
    return static_cast<TXMLNode*>(FItems->GetObject(Index));
}

std::string TXMLDictionary::GetEntryID(int Index) const
{
    return FItems->Get(Index);
}

std::string TXMLDictionary::GetEntryName(int Index) const
{
    TXMLNode* Node = GetEntryNode(Index);
    return Node ? Node->GetAttribute("name") : std::string();
}

TXMLNode* TXMLDictionary::FindEntry(const std::string& ID) const
{
    int Index;
    return FItems->Find(ID, Index) ? GetEntryNode(Index) : nullptr;
}

int TXMLDictionary::IndexOfEntry(const std::string& ID) const
{
    int Index;
    return FItems->Find(ID, Index) ? Index : -1;
}

int TXMLDictionary::AddEntry(const std::string& ID, TXMLNode* Node)
{
    int Index;
    if (!FItems->Find(ID, Index))
        return FItems->AddObject(ID, Node);
    // The entry owns what it held: dropping that node without freeing it would leak it.
    TXMLNode* Old = GetEntryNode(Index);
    FItems->PutObject(Index, Node);
    if (Old != Node)
        delete Old;
    return Index;
}

void TXMLDictionary::ReplaceEntry(const std::string& ID, TXMLNode* Node)
{
    int Index;
    if (!FItems->Find(ID, Index))
        return;
    TXMLNode* Old = GetEntryNode(Index);
    if (Old == Node)
        return;
    FItems->PutObject(Index, Node);
    delete Old;
}

void TXMLDictionary::DeleteEntry(const std::string& ID)
{
    int Index;
    if (!FItems->Find(ID, Index))
        throw Exception(FormatStr("ID %s not found in dictionary", {ID}));
    TXMLNode* Old = GetEntryNode(Index);
    FItems->Delete(Index);
    delete Old;
}

int TXMLDictionary::EntryCount() const
{
    return FItems->GetCount();
}
