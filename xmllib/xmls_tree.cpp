// The XML node tree: construction, ownership and the accessors the rest of the
// library and the programs use. Must stay true: every node in a list has the list's
// owner as Parent, lists own their nodes, and freeing a node of any depth never
// recurses (trees can be built by code far deeper than the parser allows).

#include "xmllib/xmls.h"

#include "platform/core/exceptions.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define XMLS_POISONING 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define XMLS_POISONING 1
#endif
#endif
#ifdef XMLS_POISONING
#include <sanitizer/asan_interface.h>
#define XMLS_POISON(Address, Size) ASAN_POISON_MEMORY_REGION(Address, Size)
#define XMLS_UNPOISON(Address, Size) ASAN_UNPOISON_MEMORY_REGION(Address, Size)
#else
#define XMLS_POISON(Address, Size) ((void)(Address), (void)(Size))
#define XMLS_UNPOISON(Address, Size) ((void)(Address), (void)(Size))
#endif

namespace {

bool IsBlankChar(char C)
{
    return static_cast<unsigned char>(C) <= 32;
}

std::string TrimBlanks(const std::string& S)
{
    size_t First = 0;
    size_t Last = S.size();
    while (First < Last && IsBlankChar(S[First]))
        ++First;
    while (Last > First && IsBlankChar(S[Last - 1]))
        --Last;
    if (First == 0 && Last == S.size())
        return S;
    return S.substr(First, Last - First);
}

// Nodes waiting to be freed while a release is under way. A destructor that meets
// this non-null hands its nodes here instead of deleting them, so the release of a
// chain of any depth runs in the one loop of the outermost ReleaseNodes.
thread_local std::vector<TXMLNode*>* PendingRelease = nullptr;

// Frees the nodes of the given arrays, arrays in order and each in index order,
// without recursion. Lists[I]/Counts[I] may be empty.
void ReleaseNodes(TXMLNode* const* const* Lists, const uint32_t* Counts, int ListCount)
{
    std::vector<TXMLNode*> Local;
    std::vector<TXMLNode*>* Pending = PendingRelease;
    bool Driver = Pending == nullptr;
    if (Driver)
        Pending = &Local;
    // LIFO: pushed backwards so that they come out in order.
    for (int L = ListCount; L-- > 0;)
        for (uint32_t I = Counts[L]; I-- > 0;)
            Pending->push_back(Lists[L][I]);
    if (!Driver || Local.empty())
        return;
    PendingRelease = &Local;
    while (!Local.empty()) {
        TXMLNode* Node = Local.back();
        Local.pop_back();
        delete Node;
    }
    PendingRelease = nullptr;
}

bool AttributeMatches(const TXMLNode* Candidate, const std::string& AttrName, const std::string& AttrValue)
{
    const TXMLNode* Attr = Candidate->Attributes ? Candidate->Attributes->FindByName(AttrName) : nullptr;
    if (Attr)
        return Attr->Value == AttrValue;
    return AttrValue.empty();
}

// ---------------------------------------------------------------- node pool
//
// Nodes of exactly sizeof(TXMLNode) are carved from 64 KB slabs owned by the thread
// that allocated them, with no per-node malloc header and no lock on the common path.
// Each block is a slab pointer followed by the node, so a node freed on any thread
// finds its slab. A slab goes back to malloc when its last node is freed (the one
// being allocated from and a few spares are kept), so freeing a document returns its
// memory. Nodes
// freed on another thread are queued for the owner under a lock; when a thread ends,
// its pool is left to the lock and freed with its last node, and any node that thread
// still allocates comes from a pool shared under the lock.

struct TSlab;
struct TNodePool;

struct TBlockHead {
    union {
        TSlab* Slab;          // while the node is in use
        TBlockHead* NextFree;  // while the block is free
    };
};

constexpr size_t NodeBytes = sizeof(TXMLNode);
constexpr size_t BlockBytes = sizeof(TBlockHead) + NodeBytes;
static_assert(NodeBytes % alignof(TXMLNode) == 0 && alignof(TXMLNode) <= alignof(TBlockHead));

struct TSlab {
    TNodePool* Pool;
    TSlab* Prev;  // in the pool's list of slabs with free blocks
    TSlab* Next;
    TBlockHead* Free;
    char* Bump;  // blocks from here to End were never used
    char* End;
    uint32_t Live;
    bool Listed;
};

// Below glibc's mmap threshold, so slabs come from the heap.
constexpr size_t SlabBytes = 64 * 1024 - 64;
constexpr size_t SlabHeadBytes = (sizeof(TSlab) + 15) & ~size_t(15);
constexpr size_t BlocksPerSlab = (SlabBytes - SlabHeadBytes) / BlockBytes;

struct TNodePool {
    TSlab* Current = nullptr;  // allocated from
    TSlab* Partial = nullptr;  // others with free blocks
    TSlab* Spare = nullptr;    // empty ones kept for reuse, linked by Next
    int SpareCount = 0;
    size_t Slabs = 0;
    bool Orphaned = false;       // its thread has ended; used under the lock only
    TBlockHead* Remote = nullptr;  // freed by other threads, under the lock
    std::atomic<bool> HasRemote{false};
};

// Taken only off the common path: remote frees, ended threads, the shared pool.
// A spin lock needs no destructor, so it works during process exit.
std::atomic_flag PoolLock = ATOMIC_FLAG_INIT;

struct TPoolLockGuard {
    TPoolLockGuard()
    {
        while (PoolLock.test_and_set(std::memory_order_acquire))
            std::this_thread::yield();
    }
    ~TPoolLockGuard() { PoolLock.clear(std::memory_order_release); }
};

TNodePool SharedPool;

thread_local TNodePool* ThreadPool = nullptr;
thread_local bool ThreadPoolEnded = false;

// Hands the thread's pool over to the lock when the thread ends.
struct TPoolHolder {
    TNodePool* Pool = nullptr;
    ~TPoolHolder();
};
thread_local TPoolHolder PoolHolder;

// The node part of a block as the caller will hand it out or back.
inline void* NodeOf(TBlockHead* Block)
{
    return Block + 1;
}

// The second pointer of a free node's bytes links the remote queue: the first is
// the block head, which keeps the slab.
inline TBlockHead*& RemoteLink(TBlockHead* Block)
{
    return *static_cast<TBlockHead**>(NodeOf(Block));
}

void LinkSlab(TNodePool* Pool, TSlab* Slab)
{
    Slab->Prev = nullptr;
    Slab->Next = Pool->Partial;
    if (Pool->Partial)
        Pool->Partial->Prev = Slab;
    Pool->Partial = Slab;
    Slab->Listed = true;
}

void UnlinkSlab(TNodePool* Pool, TSlab* Slab)
{
    if (Slab->Prev)
        Slab->Prev->Next = Slab->Next;
    else
        Pool->Partial = Slab->Next;
    if (Slab->Next)
        Slab->Next->Prev = Slab->Prev;
    Slab->Listed = false;
}

TSlab* NewSlab(TNodePool* Pool)
{
    auto* Slab = static_cast<TSlab*>(std::malloc(SlabBytes));
    if (!Slab)
        throw std::bad_alloc();
    Slab->Pool = Pool;
    Slab->Prev = Slab->Next = nullptr;
    Slab->Free = nullptr;
    Slab->Bump = reinterpret_cast<char*>(Slab) + SlabHeadBytes;
    Slab->End = Slab->Bump + BlocksPerSlab * BlockBytes;
    Slab->Live = 0;
    Slab->Listed = false;
    XMLS_POISON(Slab->Bump, Slab->End - Slab->Bump);
    ++Pool->Slabs;
    return Slab;
}

void DropSlab(TNodePool* Pool, TSlab* Slab)
{
    XMLS_UNPOISON(Slab, SlabBytes);
    std::free(Slab);
    --Pool->Slabs;
}

// A few empty slabs are kept, so that building and freeing small documents in turn
// does not hand 64 KB blocks to malloc and back (freeing one makes glibc consolidate).
constexpr int MaxSpareSlabs = 4;

void RetireSlab(TNodePool* Pool, TSlab* Slab)
{
    if (Pool->Orphaned || Pool->SpareCount >= MaxSpareSlabs) {
        DropSlab(Pool, Slab);
        return;
    }
    Slab->Free = nullptr;
    Slab->Bump = reinterpret_cast<char*>(Slab) + SlabHeadBytes;
    XMLS_POISON(Slab->Bump, Slab->End - Slab->Bump);
    Slab->Next = Pool->Spare;
    Pool->Spare = Slab;
    ++Pool->SpareCount;
}

inline bool HasRoom(const TSlab* Slab)
{
    return Slab->Free || Slab->Bump != Slab->End;
}

inline void* TakeFrom(TSlab* Slab)
{
    TBlockHead* Block = Slab->Free;
    if (Block) {
        Slab->Free = Block->NextFree;
        XMLS_UNPOISON(NodeOf(Block), NodeBytes);
    } else {
        Block = reinterpret_cast<TBlockHead*>(Slab->Bump);
        Slab->Bump += BlockBytes;
        XMLS_UNPOISON(Block, BlockBytes);
    }
    Block->Slab = Slab;
    ++Slab->Live;
    return NodeOf(Block);
}

// Puts a block back into its slab; the caller owns Pool (its thread, or the lock).
void GiveBack(TNodePool* Pool, TSlab* Slab, TBlockHead* Block)
{
    Block->NextFree = Slab->Free;
    Slab->Free = Block;
    XMLS_POISON(NodeOf(Block), NodeBytes);
    --Slab->Live;
    if (Slab == Pool->Current)
        return;
    if (Slab->Live == 0) {
        if (Slab->Listed)
            UnlinkSlab(Pool, Slab);
        RetireSlab(Pool, Slab);
    } else if (!Slab->Listed) {
        LinkSlab(Pool, Slab);
    }
}

// Takes the blocks other threads freed back into the pool; the caller owns Pool.
void DrainRemote(TNodePool* Pool, bool Locked)
{
    TBlockHead* Queue;
    if (Locked) {
        Queue = Pool->Remote;
    } else {
        TPoolLockGuard Lock;
        Queue = Pool->Remote;
        Pool->Remote = nullptr;
        Pool->HasRemote.store(false, std::memory_order_relaxed);
    }
    Pool->Remote = nullptr;
    while (Queue) {
        TBlockHead* Next = RemoteLink(Queue);
        GiveBack(Pool, Queue->Slab, Queue);
        Queue = Next;
    }
}

void* Take(TNodePool* Pool, bool Locked)
{
    for (;;) {
        TSlab* Slab = Pool->Current;
        if (Slab && HasRoom(Slab))
            return TakeFrom(Slab);
        if (!Locked && Pool->HasRemote.load(std::memory_order_relaxed)) {
            DrainRemote(Pool, false);
            continue;
        }
        // A full current slab stays off the list until one of its blocks is freed.
        Slab = Pool->Partial;
        if (Slab) {
            UnlinkSlab(Pool, Slab);
        } else if ((Slab = Pool->Spare) != nullptr) {
            Pool->Spare = Slab->Next;
            --Pool->SpareCount;
        } else {
            Slab = NewSlab(Pool);
        }
        Pool->Current = Slab;
    }
}

void OrphanPool(TNodePool* Pool)
{
    bool Empty;
    {
        TPoolLockGuard Lock;
        DrainRemote(Pool, true);
        while (TSlab* Slab = Pool->Spare) {
            Pool->Spare = Slab->Next;
            DropSlab(Pool, Slab);
        }
        Pool->SpareCount = 0;
        if (TSlab* Slab = Pool->Current) {
            Pool->Current = nullptr;
            if (Slab->Live == 0)
                DropSlab(Pool, Slab);
            else if (HasRoom(Slab) && !Slab->Listed)
                LinkSlab(Pool, Slab);
        }
        Pool->Orphaned = true;
        Empty = Pool->Slabs == 0;
    }
    if (Empty)
        delete Pool;
}

TPoolHolder::~TPoolHolder()
{
    ThreadPool = nullptr;
    ThreadPoolEnded = true;
    if (Pool)
        OrphanPool(Pool);
    Pool = nullptr;
}

void* AllocateNodeSlow()
{
    if (ThreadPoolEnded) {
        TPoolLockGuard Lock;
        return Take(&SharedPool, true);
    }
    auto* Pool = new TNodePool;
    // First use of the holder registers its destructor for this thread.
    PoolHolder.Pool = Pool;
    ThreadPool = Pool;
    return Take(Pool, false);
}

inline void* AllocateNode()
{
    if (TNodePool* Pool = ThreadPool) {
        TSlab* Slab = Pool->Current;
        if (Slab && HasRoom(Slab))
            return TakeFrom(Slab);
        return Take(Pool, false);
    }
    return AllocateNodeSlow();
}

inline void FreeNode(void* Node)
{
    TBlockHead* Block = static_cast<TBlockHead*>(Node) - 1;
    TSlab* Slab = Block->Slab;
    TNodePool* Pool = Slab->Pool;
    if (Pool == ThreadPool) {
        GiveBack(Pool, Slab, Block);
        return;
    }
    bool Gone = false;
    {
        TPoolLockGuard Lock;
        if (Pool->Orphaned || Pool == &SharedPool) {
            GiveBack(Pool, Slab, Block);
            Gone = Pool->Orphaned && Pool->Slabs == 0;
        } else {
            RemoteLink(Block) = Pool->Remote;
            Pool->Remote = Block;
            Pool->HasRemote.store(true, std::memory_order_relaxed);
        }
    }
    if (Gone)
        delete Pool;
}

} // namespace

void* TXMLNode::operator new(size_t Size)
{
    if (Size != sizeof(TXMLNode))
        return ::operator new(Size);
    return AllocateNode();
}

void TXMLNode::operator delete(void* Block, size_t Size) noexcept
{
    if (!Block)
        return;
    if (Size != sizeof(TXMLNode)) {
        ::operator delete(Block);
        return;
    }
    FreeNode(Block);
}

// ---------------------------------------------------------------- TXMLNodeListPtr

TXMLNode* TXMLNodeListPtr::OwnerNode() const
{
    // Only a node's own member is ever deferred (copies make the list), so the owner
    // is found from this member's place in it.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
    size_t Offset = (FBits & OfChildren) ? offsetof(TXMLNode, Children) : offsetof(TXMLNode, Attributes);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return reinterpret_cast<TXMLNode*>(reinterpret_cast<char*>(const_cast<TXMLNodeListPtr*>(this)) - Offset);
}

TXMLNodeList* TXMLNodeListPtr::Make() const
{
    auto* List = new TXMLNodeList(OwnerNode());
    List->IgnoreCase = (FBits & CaseFlag) != 0;
    if (TXMLNode* One = Single()) {
        List->FSingle = One;
        List->FCount = 1;
    }
    FBits = reinterpret_cast<uintptr_t>(List);
    return List;
}

void TXMLNodeListPtr::Append(TXMLNode* Node)
{
    if (IsDeferred() && FBits <= FlagBits) {
        FBits |= reinterpret_cast<uintptr_t>(Node);
        return;
    }
    Get()->Add(Node);
}

TXMLNode** TXMLNodeListPtr::Take(uint32_t& Count, TXMLNode*& One, TXMLNodeList*& Made)
{
    Made = nullptr;
    if (IsDeferred()) {
        One = Single();
        Count = One ? 1 : 0;
        FBits &= FlagBits;
        return nullptr;
    }
    Made = reinterpret_cast<TXMLNodeList*>(FBits);
    FBits = 0;
    if (!Made) {
        Count = 0;
        One = nullptr;
        return nullptr;
    }
    return Made->Detach(Count, One);
}

// ---------------------------------------------------------------- TXMLNodeListAccess

TXMLNodeListAccess::TXMLNodeListAccess(const TXMLNodeListPtr& Slot) : FList(&FStandIn)
{
    uint8_t Which = (Slot.FBits & TXMLNodeListPtr::OfChildren) ? 2 : 1;
    if (Slot.FBits & TXMLNodeListPtr::CaseFlag)
        Which |= 4;
    new (&FStandIn) TXMLNodeList(Slot.OwnerNode(), Slot.Single(), Which);
}

void TXMLNodeListAccess::Settle()
{
    // The stand-in holds no memory of its own: nothing to destroy.
    bool Was = (FStandIn.FStandIn & 4) != 0;
    if (FStandIn.IgnoreCase == Was)
        return;
    TXMLNodeListPtr& Slot = (FStandIn.FStandIn & 2) ? FStandIn.Owner->Children : FStandIn.Owner->Attributes;
    if (Slot.IsDeferred())
        Slot.FBits = FStandIn.IgnoreCase ? (Slot.FBits | TXMLNodeListPtr::CaseFlag)
                                         : (Slot.FBits & ~uintptr_t(TXMLNodeListPtr::CaseFlag));
    else if (TXMLNodeList* List = Slot.Get())
        List->IgnoreCase = FStandIn.IgnoreCase;
}

// ---------------------------------------------------------------- TXMLNodeList

TXMLNodeList::TXMLNodeList(TXMLNode* AOwner)
    : Owner(AOwner), IgnoreCase(AOwner ? AOwner->IgnoreCase : false)
{
}

TXMLNodeList::TXMLNodeList(TXMLNode* AOwner, TXMLNode* Single, uint8_t StandIn)
    : Owner(AOwner), FSingle(Single), FCount(Single ? 1 : 0), IgnoreCase((StandIn & 4) != 0), FStandIn(StandIn)
{
}

TXMLNodeList::~TXMLNodeList()
{
    FreeAll();
}

TXMLNodeList* TXMLNodeList::Real() const
{
    TXMLNodeListPtr& Slot = (FStandIn & 2) ? Owner->Children : Owner->Attributes;
    TXMLNodeList* List = Slot.Get();
    List->IgnoreCase = IgnoreCase;
    return List;
}

TXMLNode* TXMLNodeList::Items(int Index) const
{
    if (Index < 0 || static_cast<uint32_t>(Index) >= FCount)
        throw EListError::IndexError(Index);
    return begin()[Index];
}

TXMLNode** TXMLNodeList::Detach(uint32_t& ACount, TXMLNode*& Single)
{
    ACount = FCount;
    TXMLNode** Result = nullptr;
    if (FCount <= 1)
        Single = FSingle;
    else
        Result = FItems;
    FSingle = nullptr;
    FCount = 0;
    return Result;
}

void TXMLNodeList::FreeAll()
{
    if (FStandIn) {
        Real()->FreeAll();
        return;
    }
    uint32_t N = 0;
    TXMLNode* Single = nullptr;
    TXMLNode** Items = Detach(N, Single);
    TXMLNode* const* From = Items ? Items : &Single;
    ReleaseNodes(&From, &N, 1);
    std::free(Items);
}

TXMLNode* TXMLNodeList::FindByName(const std::string& Name) const
{
    for (TXMLNode* Node : *this) {
        if (IgnoreCase ? EqualText(Node->Name, Name) : Node->Name == Name)
            return Node;
    }
    return nullptr;
}

TXMLNode* TXMLNodeList::AddNode(const std::string& Name, const std::string& Value, TXMLNodeKind Kind)
{
    TXMLNode* Node = CreateNodeOfClass(Owner, Name, Kind, Owner, Value);
    try {
        Add(Node);
    } catch (...) {
        delete Node;
        throw;
    }
    return Node;
}

TXMLNode* TXMLNodeList::FindOrAdd(const std::string& Name)
{
    if (TXMLNode* Found = FindByName(Name))
        return Found;
    return AddNode(Name, std::string(), nkElement);
}

int TXMLNodeList::Add(TXMLNode* Node)
{
    if (FStandIn)
        return Real()->Add(Node);
    Insert(static_cast<int>(FCount), Node);
    return static_cast<int>(FCount) - 1;
}

void TXMLNodeList::Insert(int Index, TXMLNode* Node)
{
    if (FStandIn) {
        Real()->Insert(Index, Node);
        return;
    }
    if (Index < 0 || static_cast<uint32_t>(Index) > FCount)
        throw EListError::IndexError(Index);
    if (FCount == 0) {
        FSingle = Node;
        FCount = 1;
        return;
    }
    if (FCount == 1) {
        auto* Pair = static_cast<TXMLNode**>(std::malloc(2 * sizeof(TXMLNode*)));
        if (!Pair)
            throw std::bad_alloc();
        TXMLNode* Old = FSingle;
        Pair[Index == 0 ? 1 : 0] = Old;
        Pair[Index] = Node;
        FItems = Pair;
        FCount = 2;
        return;
    }
    // The array is full exactly when the count is a power of two.
    if ((FCount & (FCount - 1)) == 0) {
        if (FCount >= (1u << 30))
            throw std::bad_alloc();
        void* Grown = std::realloc(FItems, size_t(FCount) * 2 * sizeof(TXMLNode*));
        if (!Grown)
            throw std::bad_alloc();
        FItems = static_cast<TXMLNode**>(Grown);
    }
    if (static_cast<uint32_t>(Index) < FCount)
        std::memmove(FItems + Index + 1, FItems + Index, (FCount - Index) * sizeof(TXMLNode*));
    FItems[Index] = Node;
    ++FCount;
}

void TXMLNodeList::Delete(int Index)
{
    if (FStandIn) {
        Real()->Delete(Index);
        return;
    }
    if (Index < 0 || static_cast<uint32_t>(Index) >= FCount)
        throw EListError::IndexError(Index);
    if (FCount == 1) {
        FSingle = nullptr;
        FCount = 0;
        return;
    }
    --FCount;
    if (static_cast<uint32_t>(Index) < FCount)
        std::memmove(FItems + Index, FItems + Index + 1, (FCount - Index) * sizeof(TXMLNode*));
    if (FCount == 1) {
        TXMLNode** Array = FItems;
        FSingle = Array[0];
        std::free(Array);
    }
}

int TXMLNodeList::Remove(TXMLNode* Node)
{
    int Index = IndexOf(Node);
    if (Index >= 0)
        Delete(Index);
    return Index;
}

int TXMLNodeList::IndexOf(const TXMLNode* Node) const
{
    TXMLNode* const* Items = begin();
    for (uint32_t I = 0; I < FCount; ++I)
        if (Items[I] == Node)
            return static_cast<int>(I);
    return -1;
}

void TXMLNodeList::Move(int CurIndex, int NewIndex)
{
    if (FStandIn) {
        Real()->Move(CurIndex, NewIndex);
        return;
    }
    if (CurIndex == NewIndex)
        return;
    if (NewIndex < 0 || static_cast<uint32_t>(NewIndex) >= FCount)
        throw EListError::IndexError(NewIndex);
    TXMLNode* Node = Items(CurIndex);
    Delete(CurIndex);
    Insert(NewIndex, Node);
}

// ---------------------------------------------------------------- TXMLNode

void TXMLNode::InitElement(TXMLNode* AParent)
{
    Parent = AParent;
    if (AParent) {
        AllowUnquoted = AParent->AllowUnquoted;
        IgnoreCase = AParent->IgnoreCase;
    }
    // Both lists take the flag as it is now, though they are made later.
    uintptr_t Case = IgnoreCase ? TXMLNodeListPtr::CaseFlag : 0;
    Children.FBits = TXMLNodeListPtr::Deferred | TXMLNodeListPtr::OfChildren | Case;
    Attributes.FBits = TXMLNodeListPtr::Deferred | Case;
}

TXMLNode::TXMLNode(const std::string& Text, bool AIgnoreCase, TXMLNode* AParent)
{
    IgnoreCase = AIgnoreCase;
    InitElement(AParent);
    if (Text.empty())
        return;
    try {
        size_t Position = 0;
        ParseNode(this, Text, Position, Text.size());
    } catch (...) {
        // The destructor will not run for a failed constructor: release what was built.
        ReleaseLists();
        throw;
    }
}

TXMLNode* TXMLNode::CreateFromFile(const std::string& FileName, TXMLNode* AParent)
{
    return new TXMLNode(LoadStringFromFile(FileName), false, AParent);
}

TXMLNode* TXMLNode::CreateNode(const std::string& AName, TXMLNodeKind AKind, TXMLNode* AParent,
                               const std::string& AValue)
{
    return CreateNodeOfClass(nullptr, AName, AKind, AParent, AValue);
}

TXMLNode* CreateNodeOfClass(const TXMLNode* ClassOf, const std::string& AName, TXMLNodeKind AKind,
                            TXMLNode* AParent, const std::string& AValue)
{
    std::string Trimmed = TrimBlanks(AName);
    if (AKind == nkAttribute && Trimmed.empty())
        throw Exception("Attribute/Node name cannot be empty");
    TXMLNode* Node = ClassOf ? ClassOf->NewInstance() : new TXMLNode(TXMLNode::RawTag{});
    Node->Name = std::move(Trimmed);
    Node->Kind = AKind;
    Node->Value = AValue;
    if (AKind == nkAttribute)
        Node->Parent = AParent;
    else
        Node->InitElement(AParent);
    return Node;
}

TXMLNode* TXMLNode::NewInstance() const
{
    return new TXMLNode(RawTag{});
}

TXMLNode::~TXMLNode()
{
    ReleaseLists();
}

void TXMLNode::ReleaseLists()
{
    // Attributes, Children, Prolog in that order, each list in index order; the
    // nodes go to the pending release, never into a nested destructor call.
    TXMLNodeListPtr* Lists[3] = {&Attributes, &Children, &Prolog};
    TXMLNode** Arrays[3] = {nullptr, nullptr, nullptr};
    TXMLNode* Singles[3] = {nullptr, nullptr, nullptr};
    TXMLNode* const* Items[3] = {nullptr, nullptr, nullptr};
    TXMLNodeList* Made[3] = {nullptr, nullptr, nullptr};
    uint32_t Counts[3] = {0, 0, 0};
    for (int I = 0; I < 3; ++I) {
        Arrays[I] = Lists[I]->Take(Counts[I], Singles[I], Made[I]);
        Items[I] = Arrays[I] ? Arrays[I] : &Singles[I];
    }
    if (Counts[0] + Counts[1] + Counts[2] > 0)
        ReleaseNodes(Items, Counts, 3);
    for (TXMLNode** A : Arrays)
        std::free(A);
    for (TXMLNodeList* List : Made)
        delete List;
}

int TXMLNode::ChildCount() const
{
    return Children.ItemCount();
}

TXMLNode* TXMLNode::Child(int Index) const
{
    if (Index < 0 || Index >= Children.ItemCount())
        throw EListError::IndexError(Index);
    return Children.ItemAt(Index);
}

std::string TXMLNode::GetAttribute(const std::string& AName) const
{
    const TXMLNode* Attr = Attributes ? Attributes->FindByName(AName) : nullptr;
    return Attr ? Attr->Value : std::string();
}

void TXMLNode::SetAttribute(const std::string& AName, const std::string& AValue)
{
    if (!Attributes)
        return;
    TXMLNode* Attr = Attributes->FindByName(AName);
    if (AValue.empty()) {
        if (Attr)
            RemoveNode(Attributes, Attr);
    } else if (Attr) {
        Attr->Value = AValue;
    } else {
        Attributes->AddNode(AName, AValue, nkAttribute);
    }
}

namespace {

TXMLNode* FirstTextChild(const TXMLNode* Node)
{
    for (int I = 0, N = Node->Children.ItemCount(); I < N; ++I) {
        TXMLNode* C = Node->Children.ItemAt(I);
        if (C->Kind == nkText || C->Kind == nkCData)
            return C;
    }
    return nullptr;
}

} // namespace

std::string TXMLNode::GetText() const
{
    if (Kind != nkElement)
        return Value;
    const TXMLNode* T = FirstTextChild(this);
    return T ? T->Value : std::string();
}

void TXMLNode::SetText(const std::string& AValue)
{
    switch (Kind) {
    case nkAttribute:
    case nkText:
    case nkCData:
        Value = AValue;
        break;
    case nkElement:
        if (TXMLNode* T = FirstTextChild(this))
            T->Value = AValue;
        else if (Children)
            Children->AddNode(std::string(), AValue, nkText);
        break;
    default:
        break;
    }
}

TXMLNode* TXMLNode::FindChildByAttribute(const std::string& AttrName, const std::string& AttrValue) const
{
    for (int I = 0, N = Children.ItemCount(); I < N; ++I) {
        TXMLNode* C = Children.ItemAt(I);
        if (AttributeMatches(C, AttrName, AttrValue))
            return C;
    }
    return nullptr;
}

TXMLNode* TXMLNode::GetRoot()
{
    TXMLNode* Node = this;
    while (Node->Parent)
        Node = Node->Parent;
    return Node;
}

std::string TXMLNode::GetPath() const
{
    std::string Result = Name;
    for (const TXMLNode* P = Parent; P && P->Parent; P = P->Parent)
        Result = P->Name + "/" + Result;
    return Result;
}

// ---------------------------------------------------------------- unit functions

TXMLNode* FindElementByAttribute(const TXMLNodeList* List, const std::string& ElementName,
                                 const std::string& AttrName, const std::string& AttrValue)
{
    if (!List)
        return nullptr;
    for (TXMLNode* N : *List)
        if (N->Name == ElementName && AttributeMatches(N, AttrName, AttrValue))
            return N;
    return nullptr;
}

void RemoveNode(TXMLNodeList* List, TXMLNode* Node)
{
    // A node that is not in the list belongs elsewhere (or nowhere we know of):
    // freeing it would leave a dangling entry in its real owner.
    if (!List || !Node || List->Remove(Node) < 0)
        return;
    delete Node;
}

std::string RootPrefix(TXMLNode* Node)
{
    if (!Node)
        return std::string();
    const std::string& RootName = Node->GetRoot()->Name;
    size_t Colon = RootName.find(':');
    return Colon == std::string::npos ? std::string() : RootName.substr(0, Colon + 1);
}
