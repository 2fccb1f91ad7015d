// The XML document model: one node class for every kind, lists that own their
// nodes, a small-dialect parser, compact and indented writers, path queries, default
// instances built from schema declarations, and id-to-node dictionaries.
// A document is the tree under its root element; freeing the root frees the tree.
#pragma once

#include "object.h"
#include "strs.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum TXMLNodeKind : uint8_t { nkElement = 0, nkAttribute = 1, nkText = 2, nkCData = 3, nkComment = 4 };

// Documents nested deeper than this are refused by the parser, so that no recursive
// walk over a parsed tree can exhaust the stack.
constexpr int MaxXmlDepth = 2000;

class TXMLNode;

// An ordered list that owns its nodes; every node in it has the list's Owner as Parent.
// One item is held in place; more sit in one realloc'd array whose capacity is implied
// by the count (the next power of two). So the lists of a leaf cost no allocation and
// a node can embed its lists.
class TXMLNodeList {
public:
    explicit TXMLNodeList(TXMLNode* AOwner);
    ~TXMLNodeList();
    TXMLNodeList(const TXMLNodeList&) = delete;
    TXMLNodeList& operator=(const TXMLNodeList&) = delete;

    TXMLNode* Owner;

private:
    union {
        TXMLNode** FItems;           // when FCount >= 2
        TXMLNode* FSingle = nullptr;  // when FCount <= 1
    };
    uint32_t FCount = 0;

public:
    bool IgnoreCase;

    int Count() const { return static_cast<int>(FCount); }
    // EListError "List index out of bounds (%d)" outside 0..Count-1.
    TXMLNode* Items(int Index) const;
    void FreeAll();
    TXMLNode* FindByName(const std::string& Name) const;
    TXMLNode* AddNode(const std::string& Name, const std::string& Value, TXMLNodeKind Kind);
    TXMLNode* FindOrAdd(const std::string& Name);

    // Plain pointer-list operations: they neither create nor free nodes, and a caller
    // that puts a node in with them sets its Parent itself.
    int Add(TXMLNode* Node);
    void Insert(int Index, TXMLNode* Node);
    void Delete(int Index);
    int Remove(TXMLNode* Node);
    int IndexOf(const TXMLNode* Node) const;
    void Move(int CurIndex, int NewIndex);

    TXMLNode* const* begin() const { return FCount <= 1 ? &FSingle : FItems; }
    TXMLNode* const* end() const { return begin() + FCount; }

private:
    // Hands the items to the caller and leaves the list empty, freeing no node.
    // Single receives a lone item; the caller frees the returned array otherwise.
    TXMLNode** Detach(uint32_t& ACount, TXMLNode*& Single);
    friend class TXMLNode;
};

class TXMLNode : public TObject {
public:
    // Create: with Text, parses its first element into this node. Inside this
    // constructor the node is still a TXMLNode, so a subclass that wants its class in
    // every parsed node passes empty Text here and calls ParseNode in its own body.
    TXMLNode(const std::string& Text, bool AIgnoreCase, TXMLNode* AParent);
    // CreateFromFile: LoadStringFromFile, then as Create with IgnoreCase false.
    static TXMLNode* CreateFromFile(const std::string& FileName, TXMLNode* AParent);
    // CreateNode: trims Name; "Attribute/Node name cannot be empty" for an unnamed
    // attribute. Not appended to any list.
    static TXMLNode* CreateNode(const std::string& AName, TXMLNodeKind AKind, TXMLNode* AParent,
                                const std::string& AValue);
    ~TXMLNode() override;
    TXMLNode(const TXMLNode&) = delete;
    TXMLNode& operator=(const TXMLNode&) = delete;

    // Ordered for size: a parsed document holds one of these per element and text.
    std::string Value;
    std::string Name;
    TXMLNode* Parent = nullptr;
    TXMLNodeList* Attributes = nullptr;  // nil for attribute nodes
    TXMLNodeList* Children = nullptr;    // nil for attribute nodes
    TXMLNodeList* Prolog = nullptr;      // made by the parser only
    TXMLNodeKind Kind = nkElement;
    bool AllowUnquoted = false;
    bool IgnoreCase = false;

    int ChildCount() const;
    TXMLNode* Child(int Index) const;
    std::string GetAttribute(const std::string& AName) const;
    void SetAttribute(const std::string& AName, const std::string& AValue);
    std::string GetText() const;
    void SetText(const std::string& AValue);
    TXMLNode* FindChildByAttribute(const std::string& AttrName, const std::string& AttrValue) const;
    TXMLNode* GetRoot();
    std::string GetPath() const;

    TXMLNode* SelectNode(const std::string& Path, bool SetMode, const std::string& AValue, bool Create);
    std::string GetPathText(const std::string& Path);
    TXMLNode* SetPathText(const std::string& Path, const std::string& AValue);

    std::string GetXml() const;
    std::string GetIndentedXml(const std::string& Indent) const;

protected:
    struct RawTag {};
    // A bare node: no lists, kind element, nothing parsed.
    explicit TXMLNode(RawTag) {}
    // Makes a bare node of this node's class; lists and the parser create every new
    // node through the node that will own it, so a subclass carries through a
    // document. Subclasses override it.
    virtual TXMLNode* NewInstance() const;

    friend class TXMLNodeList;
    friend void ParseNode(TXMLNode* Node, const std::string& Text, size_t& Position, size_t Limit);
    friend TXMLNode* CreateNodeOfClass(const TXMLNode* ClassOf, const std::string& AName, TXMLNodeKind AKind,
                                       TXMLNode* AParent, const std::string& AValue);
    friend struct TXMLParser;

private:
    // Gives a bare node its lists and the flags of AParent, as Create does.
    void InitElement(TXMLNode* AParent);

    // The lists that Attributes and Children point to; embedded so that a node
    // costs one allocation.
    TXMLNodeList FAttrList{this};
    TXMLNodeList FChildList{this};
};

// Builds a node of Owner's class the way CreateNode does (Owner may be null for TXMLNode).
TXMLNode* CreateNodeOfClass(const TXMLNode* ClassOf, const std::string& AName, TXMLNodeKind AKind,
                            TXMLNode* AParent, const std::string& AValue);

TXMLNode* FindElementByAttribute(const TXMLNodeList* List, const std::string& ElementName,
                                 const std::string& AttrName, const std::string& AttrValue);
void RemoveNode(TXMLNodeList* List, TXMLNode* Node);
std::string RootPrefix(TXMLNode* Node);

// Reading and writing XML text.
void ParseNode(TXMLNode* Node, const std::string& Text, size_t& Position, size_t Limit);
std::string EscapeText(const std::string& S);
std::string UnescapeText(const std::string& S);
std::string EscapeAttribute(const std::string& S);
std::string UnescapeAttribute(const std::string& S);

// Path queries.
TXMLNode* SelectDeep(TXMLNode* Start, const std::string& Path, bool SetMode, const std::string& Value,
                     bool Create);

// A new instance document for an element declaration; the caller owns it.
TXMLNode* CreateSkeleton(TXMLNode* Declaration, bool IncludeOptional, bool ApplyDefaults);

// Sorted, unique ids, each with an owned node whose "name" attribute is its display name.
class TXMLDictionary : public TObject {
public:
    TXMLDictionary();
    ~TXMLDictionary() override;
    TXMLDictionary(const TXMLDictionary&) = delete;
    TXMLDictionary& operator=(const TXMLDictionary&) = delete;

    virtual TXMLNode* GetEntryNode(int Index) const;
    virtual std::string GetEntryID(int Index) const;
    virtual std::string GetEntryName(int Index) const;
    virtual TXMLNode* FindEntry(const std::string& ID) const;
    virtual int IndexOfEntry(const std::string& ID) const;
    virtual int AddEntry(const std::string& ID, TXMLNode* Node);
    virtual void ReplaceEntry(const std::string& ID, TXMLNode* Node);
    virtual void DeleteEntry(const std::string& ID);
    int EntryCount() const;

    TFastList* FItems = nullptr;
};
