// TFastList: a string list with objects, kept in byte order and searched by binary
// search, with no notifications. Every failure is raised before anything changes,
// so a caller that catches it still holds the list it had.
#include "xmllib/strs.h"

#include "platform/core/convert.h"
#include "platform/core/exceptions.h"

#include <algorithm>
#include <utility>

int TStrings::AddObject(const std::string& S, TObject* Obj)
{
    int index = Add(S);
    PutObject(index, Obj);
    return index;
}

TFastList::~TFastList()
{
    if (FOwnsObjects)
        for (int k = 0; k < FCount; ++k)
            delete FItems[k].FObject;
    delete[] FItems;
    FItems = nullptr;
    FCount = 0;
    FCapacity = 0;
}

void TFastList::CheckIndex(int Index, int Limit) const
{
    if (Index < 0 || Index >= Limit)
        throw EStringListError("SListIndexError");
}

int TFastList::CompareStrings(const std::string& A, const std::string& B) const
{
    if (FNumericKeys) {
        // Compared, not subtracted: the difference of two 32-bit keys may not fit.
        int32_t a = StrToInt(A), b = StrToInt(B);
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    return CompareOrdinal(A, B);
}

// Numeric keys fail to convert in the middle of a sort; checking them first keeps
// the list as it was when one of them is not a number.
static void CheckNumericKeys(const TStringItem* Items, int Count)
{
    for (int k = 0; k < Count; ++k)
        StrToInt(Items[k].FString);
}

std::string TFastList::Get(int Index) const
{
    CheckIndex(Index, FCount);
    return FItems[Index].FString;
}

int TFastList::GetCapacity() const
{
    return FCapacity;
}

int TFastList::GetCount() const
{
    return FCount;
}

TObject* TFastList::GetObject(int Index) const
{
    CheckIndex(Index, FCount);
    return FItems[Index].FObject;
}

void TFastList::Put(int Index, const std::string& S)
{
    CheckIndex(Index, FCount);
    // Duplicates are a matter of the sorted list only; an unsorted list stores what it is given.
    if (FSorted && FDuplicates != dmAccept) {
        int present = IndexOf(S);
        if (present >= 0 && present != Index) {
            if (FDuplicates == dmError)
                throw EStringListError("SDuplicateString");
            return;
        }
    }
    if (FSorted && FNumericKeys) {
        StrToInt(S);
        CheckNumericKeys(FItems, FCount);
    }
    FItems[Index].FString = S;
    if (FSorted && FCount > 1)
        QuickSort(0, FCount - 1);
}

void TFastList::PutObject(int Index, TObject* Obj)
{
    CheckIndex(Index, FCount);
    FItems[Index].FObject = Obj;
}

void TFastList::SetCapacity(int NewCapacity)
{
    if (NewCapacity < 0)
        NewCapacity = 0;
    if (NewCapacity == FCapacity)
        return;
    TStringItem* items = NewCapacity > 0 ? new TStringItem[static_cast<size_t>(NewCapacity)] : nullptr;
    // Below the count the items past the new end are dropped; their objects are not freed.
    const int keep = std::min(FCount, NewCapacity);
    for (int k = 0; k < keep; ++k)
        items[k] = std::move(FItems[k]);
    delete[] FItems;
    FItems = items;
    FCapacity = NewCapacity;
    FCount = keep;
}

void TFastList::Grow()
{
    int delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
    SetCapacity(FCapacity + delta);
}

void TFastList::InsertItem(int Index, const std::string& S)
{
    // S may be one of our own strings, which growing or shifting would move away.
    if (FItems && &S >= &FItems[0].FString && &S <= &FItems[FCapacity - 1].FString) {
        std::string copy = S;
        InsertItem(Index, copy);
        return;
    }
    if (FCount == FCapacity)
        Grow();
    std::move_backward(FItems + Index, FItems + FCount, FItems + FCount + 1);
    FItems[Index].FString = S;
    FItems[Index].FObject = nullptr;
    ++FCount;
}

int TFastList::Add(const std::string& S)
{
    int index = FCount;
    if (FSorted) {
        // An empty list compares nothing, yet a key that is no number would break every later search.
        if (FNumericKeys)
            StrToInt(S);
        if (Find(S, index)) {
            if (FDuplicates == dmIgnore)
                return index;
            if (FDuplicates == dmError)
                throw EStringListError("SDuplicateString");
        }
    }
    InsertItem(index, S);
    return index;
}

void TFastList::Clear()
{
    if (FCount == 0)
        return;
    for (int k = 0; k < FCount; ++k)
        FItems[k].FString.clear();
    FCount = 0;
    SetCapacity(0);
}

void TFastList::Delete(int Index)
{
    CheckIndex(Index, FCount);
    std::move(FItems + Index + 1, FItems + FCount, FItems + Index);
    --FCount;
    FItems[FCount].FString = std::string();
    FItems[FCount].FObject = nullptr;
}

void TFastList::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1, FCount);
    CheckIndex(Index2, FCount);
    std::swap(FItems[Index1], FItems[Index2]);
}

int TFastList::IndexOf(const std::string& S) const
{
    if (FSorted) {
        int index;
        return Find(S, index) ? index : -1;
    }
    for (int k = 0; k < FCount; ++k)
        if (EqualText(FItems[k].FString, S))
            return k;
    return -1;
}

void TFastList::Insert(int Index, const std::string& S)
{
    if (FSorted)
        throw EStringListError("SSortedListError");
    CheckIndex(Index, FCount + 1);
    InsertItem(Index, S);
}

bool TFastList::Find(const std::string& S, int& Index) const
{
    bool found = false;
    int lo = 0, hi = FCount - 1;
    while (lo <= hi) {
        int mid = lo + (hi - lo) / 2;
        int c = CompareStrings(FItems[mid].FString, S);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                // dmAccept keeps searching leftwards so a new duplicate goes before its equals.
                if (FDuplicates != dmAccept)
                    lo = mid;
            }
        }
    }
    Index = lo;
    return found;
}

void TFastList::QuickSort(int L, int R)
{
    int I;
    do {
        I = L;
        int J = R;
        const std::string pivot = FItems[L + (R - L) / 2].FString;
        do {
            while (CompareStrings(FItems[I].FString, pivot) < 0)
                ++I;
            while (CompareStrings(FItems[J].FString, pivot) > 0)
                --J;
            if (I <= J) {
                if (I != J)
                    std::swap(FItems[I], FItems[J]);
                ++I;
                --J;
            }
        } while (I <= J);
        if (L < J)
            QuickSort(L, J);
        L = I;
    } while (I < R);
}

void TFastList::Sort()
{
    if (FSorted || FCount <= 1)
        return;
    if (FNumericKeys)
        CheckNumericKeys(FItems, FCount);
    QuickSort(0, FCount - 1);
}

void TFastList::SetSorted(bool Value)
{
    if (Value == FSorted)
        return;
    if (Value)
        Sort();
    FSorted = Value;
}
