// String routines and the sorted string list at the bottom of the XML library.
// Strings are 8-bit bytes in the platform's code page; an empty string and a missing
// one are the same. Positions are 1-based unless a routine says otherwise.
#pragma once

#include "platform/core/datetime.h"
#include "platform/core/object.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// The folder of the running executable with its trailing separator.
extern std::string AppFolder;

// Upper-case images under Windows-1251, fixed whatever the locale.
extern const unsigned char UpperCaseTable[256];

bool EqualStr(const std::string& A, const std::string& B);
bool EqualText(const std::string& A, const std::string& B);
bool StartsWith(const std::string& S, const std::string& Prefix);
int CompareOrdinal(const std::string& A, const std::string& B);
bool StrInArray(const std::string& S, std::initializer_list<std::string_view> Items);
bool StrInArray(const std::string& S, const std::vector<std::string>& Items);

std::string ReplaceAll(const std::string& Source, const std::string& Pattern, const std::string& Replacement);
// A temporary Source with nothing to replace is handed back without a copy.
std::string ReplaceAll(std::string&& Source, const std::string& Pattern, const std::string& Replacement);
std::string TextBefore(const std::string& S, const std::string& Sub);
void ExtractToken(std::string& S, const std::string& Delimiters, std::string& Token);

// Parser buffer primitives on 0-based positions, bounded by Limit (<= Text.size()).
// FindFrom: 1-based distance from Position to the first occurrence of Pattern that
// ends before Limit, 0 when none. CopyFrom: up to Count bytes from Position, cut at
// Limit; a negative Count gives the empty string.
size_t FindFrom(const std::string& Text, size_t Position, size_t Limit, const char* Pattern);
std::string CopyFrom(const std::string& Text, size_t Position, long long Count, size_t Limit);

void AddDelimited(std::string& S, const std::string& Value, const std::string& Separator);
int32_t IntMin(int32_t A, int32_t B);
int32_t IntMax(int32_t A, int32_t B);

// File errors are EFCreateError/EInOutError; loading appends " " + FileName to the message.
void SaveStringToFile(const std::string& S, const std::string& FileName);
std::string LoadStringFromFile(const std::string& FileName);

// The save of every file the programs write: S goes to a temporary file beside
// FileName, is flushed to disk and then renamed over it, so a reader sees the old file
// or the new one, never a part. On any failure the old file stays whole, the
// temporary file is gone and EFCreateError says "Cannot create file "FileName". Why".
// A link is followed and stays a link; a file keeps its permissions; a read-only file
// is not replaced. When the folder refuses a temporary file but FileName exists, the
// file is written in place instead (its old text put back if that fails); when that
// fails too, the message says so.
void SaveFileAtomically(const std::string& S, const std::string& FileName);

// "Invalid date/time" (Exception), EConvertError for pieces that are not numbers or
// days a month lacks.
TDateTime ParseDateTime(const std::string& Text, const std::string& Format);

// The abstract string list: strings with an object each, indexed from 0.
class TStrings : public TObject {
public:
    virtual std::string Get(int Index) const = 0;
    virtual int GetCapacity() const = 0;
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int Index) const = 0;
    virtual void Put(int Index, const std::string& S) = 0;
    virtual void PutObject(int Index, TObject* Obj) = 0;
    virtual void SetCapacity(int NewCapacity) = 0;
    virtual int Add(const std::string& S) = 0;
    virtual void Clear() = 0;
    virtual void Delete(int Index) = 0;
    virtual void Exchange(int Index1, int Index2) = 0;
    virtual int IndexOf(const std::string& S) const = 0;
    virtual void Insert(int Index, const std::string& S) = 0;

    int AddObject(const std::string& S, TObject* Obj);
    int Count() const { return GetCount(); }
    std::string operator[](int Index) const { return Get(Index); }
};

enum TDuplicateMode : uint8_t { dmIgnore = 0, dmAccept = 1, dmError = 2 };

struct TStringItem {
    std::string FString;
    TObject* FObject = nullptr;
};

// Sorted by byte order (CompareOrdinal) with binary search, no notifications.
class TFastList : public TStrings {
public:
    ~TFastList() override;

    std::string Get(int Index) const override;
    int GetCapacity() const override;
    int GetCount() const override;
    TObject* GetObject(int Index) const override;
    void Put(int Index, const std::string& S) override;
    void PutObject(int Index, TObject* Obj) override;
    void SetCapacity(int NewCapacity) override;
    int Add(const std::string& S) override;
    void Clear() override;
    void Delete(int Index) override;
    void Exchange(int Index1, int Index2) override;
    int IndexOf(const std::string& S) const override;
    void Insert(int Index, const std::string& S) override;
    virtual bool Find(const std::string& S, int& Index) const;
    virtual void Sort();

    void SetSorted(bool Value);
    bool Sorted() const { return FSorted; }

    TStringItem* FItems = nullptr;
    int32_t FCount = 0;
    int32_t FCapacity = 0;
    bool FSorted = false;
    TDuplicateMode FDuplicates = dmIgnore;
    bool FOwnsObjects = false;
    bool FNumericKeys = false;

private:
    void Grow();
    void InsertItem(int Index, const std::string& S);
    void QuickSort(int L, int R);
    int CompareStrings(const std::string& A, const std::string& B) const;
    void CheckIndex(int Index, int Limit) const;
};
