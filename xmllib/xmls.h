// The XML document model: one node class for every kind, lists that own their
// nodes, a small-dialect parser, compact and indented writers, path queries, default
// instances built from schema declarations, and id-to-node dictionaries.
// A document is the tree under its root element; freeing the root frees the tree.
#pragma once

#include "platform/core/object.h"
#include "xmllib/strs.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum TXMLNodeKind : uint8_t { nkElement = 0, nkAttribute = 1, nkText = 2, nkCData = 3, nkComment = 4 };

// Documents nested deeper than this are refused by the parser, so that no recursive
// walk over a parsed tree can exhaust the stack.
constexpr int MaxXmlDepth = 2000;

class TXMLNode;
class TXMLNodeList;
class TXMLNodeListAccess;

// What a node's Attributes, Children and Prolog hold. It is used like a
// TXMLNodeList* (->, *, tests against null, conversion to TXMLNodeList*), but an
// element's lists are made only when first needed: until then an empty list, or the
// single item a parsed element has, is held in these 8 bytes. Reading through ->
// never makes the list; changing it, taking its address (conversion to a pointer,
// or *) and copying this value do. Null for the lists an attribute node lacks.
class TXMLNodeListPtr {
public:
    TXMLNodeListPtr() = default;
    TXMLNodeListPtr(std::nullptr_t) {}
    TXMLNodeListPtr(TXMLNodeList* List) : FBits(reinterpret_cast<uintptr_t>(List)) {}
    // A copy points at the node's real list, which is made now if need be.
    TXMLNodeListPtr(const TXMLNodeListPtr& Other) : FBits(reinterpret_cast<uintptr_t>(Other.Get())) {}
    // Like a raw pointer: the previous list is neither freed nor kept.
    TXMLNodeListPtr& operator=(const TXMLNodeListPtr& Other)
    {
        FBits = reinterpret_cast<uintptr_t>(Other.Get());
        return *this;
    }
    TXMLNodeListPtr& operator=(TXMLNodeList* List)
    {
        FBits = reinterpret_cast<uintptr_t>(List);
        return *this;
    }

    // The list itself, made now if it does not exist yet.
    TXMLNodeList* Get() const { return IsDeferred() ? Make() : reinterpret_cast<TXMLNodeList*>(FBits); }
    operator TXMLNodeList*() const { return Get(); }
    TXMLNodeList& operator*() const { return *Get(); }
    TXMLNodeListAccess operator->() const;
    explicit operator bool() const { return FBits != 0; }
    friend bool operator==(const TXMLNodeListPtr& A, std::nullptr_t) { return A.FBits == 0; }
    friend bool operator==(const TXMLNodeListPtr& A, const TXMLNodeList* B)
    {
        return A.FBits == reinterpret_cast<uintptr_t>(B);
    }
    friend bool operator==(const TXMLNodeListPtr& A, TXMLNodeList* B)
    {
        return A.FBits == reinterpret_cast<uintptr_t>(B);
    }
    // A list not made yet is its node's own: equal only to itself.
    friend bool operator==(const TXMLNodeListPtr& A, const TXMLNodeListPtr& B)
    {
        return A.IsDeferred() || B.IsDeferred() ? &A == &B : A.FBits == B.FBits;
    }

    // Reading without making the list: the count, and item Index in 0..ItemCount()-1.
    int ItemCount() const;
    TXMLNode* ItemAt(int Index) const;

private:
    // Bit 0: not made yet; then bit 1 tells Children from Attributes, bit 2 holds the
    // IgnoreCase the list will get, and the rest is the single item or zero. Nodes
    // are at least 8-aligned, so a list or node address never has these bits.
    enum : uintptr_t { Deferred = 1, OfChildren = 2, CaseFlag = 4, FlagBits = 7 };
    mutable uintptr_t FBits = 0;

    bool IsDeferred() const { return (FBits & Deferred) != 0; }
    TXMLNode* Single() const { return reinterpret_cast<TXMLNode*>(FBits & ~uintptr_t(FlagBits)); }
    TXMLNode* OwnerNode() const;
    TXMLNodeList* Make() const;
    // Appends a node whose Parent is already set, keeping a lone item in place.
    void Append(TXMLNode* Node);
    // Hands the items over as Detach does, leaving an empty list that is not made.
    TXMLNode** Take(uint32_t& Count, TXMLNode*& Single, TXMLNodeList*& Made);

    friend class TXMLNode;
    friend class TXMLNodeList;
    friend class TXMLNodeListAccess;
    friend struct TXMLParser;
};

// An ordered list that owns its nodes; every node in it has the list's Owner as Parent.
// One item is held in place; more sit in one realloc'd array whose capacity is implied
// by the count (the next power of two).
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

private:
    // Non-zero in the stand-in that -> shows for a list not made yet: it reads like
    // that list and passes every change on to the real one. Bit 0 Attributes, bit 1
    // Children, bit 2 the IgnoreCase it started with.
    uint8_t FStandIn = 0;

public:
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
    TXMLNodeList(TXMLNode* AOwner, TXMLNode* Single, uint8_t StandIn);
    // The real list a stand-in speaks for, made now.
    TXMLNodeList* Real() const;
    // Hands the items to the caller and leaves the list empty, freeing no node.
    // Single receives a lone item; the caller frees the returned array otherwise.
    TXMLNode** Detach(uint32_t& ACount, TXMLNode*& Single);
    friend class TXMLNode;
    friend class TXMLNodeListPtr;
    friend class TXMLNodeListAccess;
};

// What TXMLNodeListPtr::operator-> gives: the list, or a stand-in for one not made yet
// that lives to the end of the expression.
class TXMLNodeListAccess {
public:
    TXMLNodeList* operator->() const { return FList; }
    ~TXMLNodeListAccess()
    {
        if (FList == &FStandIn)
            Settle();
    }
    TXMLNodeListAccess(const TXMLNodeListAccess&) = delete;
    TXMLNodeListAccess& operator=(const TXMLNodeListAccess&) = delete;

private:
    friend class TXMLNodeListPtr;
    explicit TXMLNodeListAccess(TXMLNodeList* List) : FList(List) {}
    explicit TXMLNodeListAccess(const TXMLNodeListPtr& Slot);
    // Carries a changed IgnoreCase over to the real slot.
    void Settle();

    TXMLNodeList* FList;
    union {
        TXMLNodeList FStandIn;
    };
};

inline TXMLNodeListAccess TXMLNodeListPtr::operator->() const
{
    if (IsDeferred())
        return TXMLNodeListAccess(*this);
    return TXMLNodeListAccess(reinterpret_cast<TXMLNodeList*>(FBits));
}

inline int TXMLNodeListPtr::ItemCount() const
{
    if (IsDeferred())
        return FBits > FlagBits ? 1 : 0;
    return FBits ? reinterpret_cast<const TXMLNodeList*>(FBits)->Count() : 0;
}

inline TXMLNode* TXMLNodeListPtr::ItemAt(int Index) const
{
    if (IsDeferred())
        return Single();
    return reinterpret_cast<const TXMLNodeList*>(FBits)->begin()[Index];
}

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

    // Nodes of exactly this size come from a per-thread pool: a parsed document holds
    // one per element, text and attribute. Subclasses of another size use the heap.
    static void* operator new(size_t Size);
    static void operator delete(void* Block, size_t Size) noexcept;

    // Ordered for size.
    std::string Value;
    std::string Name;
    TXMLNode* Parent = nullptr;
    TXMLNodeListPtr Attributes;  // nil for attribute nodes
    TXMLNodeListPtr Children;    // nil for attribute nodes
    TXMLNodeListPtr Prolog;      // made by the parser only
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
    friend class TXMLNodeListPtr;
    friend void ParseNode(TXMLNode* Node, const std::string& Text, size_t& Position, size_t Limit);
    friend TXMLNode* CreateNodeOfClass(const TXMLNode* ClassOf, const std::string& AName, TXMLNodeKind AKind,
                                       TXMLNode* AParent, const std::string& AValue);
    friend struct TXMLParser;

private:
    // Gives a bare node its (not yet made) lists and the flags of AParent, as Create does.
    void InitElement(TXMLNode* AParent);
    // Frees the lists and every node in them without recursion.
    void ReleaseLists();
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
