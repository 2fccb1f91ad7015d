// String routines of the XML library. ReplaceAll sits on the parser's and writers'
// hot path (every value is escaped or unescaped through it), so it counts once,
// allocates once and never re-allocates; everything else is plain and stateless
// apart from ExtractToken's per-thread delimiter table.
#include "xmllib/strs.h"

#include "platform/core/convert.h"
#include "platform/core/exceptions.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ExecutableFolder()
{
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return std::string();
    std::string path(buffer, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trim(const std::string& s)
{
    size_t first = 0, last = s.size();
    while (first < last && IsBlank(s[first]))
        ++first;
    while (last > first && IsBlank(s[last - 1]))
        --last;
    return s.substr(first, last - first);
}

// First occurrence of Pattern (PatternLength >= 1) starting in [From, LastStart]:
// memchr finds the first byte, the rest is compared from the pattern's end, where
// escaped entities of the same family usually differ.
inline const char* FindPattern(const char* From, const char* LastStart, const char* Pattern, size_t PatternLength)
{
    const char first = Pattern[0];
    while (From <= LastStart) {
        const char* p = static_cast<const char*>(std::memchr(From, first, static_cast<size_t>(LastStart - From) + 1));
        if (!p)
            return nullptr;
        size_t k = PatternLength - 1;
        while (k > 0 && p[k] == Pattern[k])
            --k;
        if (k == 0)
            return p;
        From = p + 1;
    }
    return nullptr;
}

// Overlapping fixed-size copies: no call and no loop for the short replacements
// ("&amp;", "&lt;", ...) that make up nearly all of the traffic.
inline void CopySmall(char* d, const char* s, size_t n)
{
    if (n >= 16) {
        std::memcpy(d, s, 16);
        std::memcpy(d + n - 16, s + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(d, s, 8);
        std::memcpy(d + n - 8, s + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(d, s, 4);
        std::memcpy(d + n - 4, s + n - 4, 4);
    } else if (n >= 2) {
        std::memcpy(d, s, 2);
        std::memcpy(d + n - 2, s + n - 2, 2);
    } else if (n == 1) {
        *d = *s;
    }
}

constexpr size_t kSmallCopyLimit = 32;

// Offsets of the occurrences; the first ones stay on the stack.
class TOffsets {
public:
    void Add(size_t Offset)
    {
        if (FCount < kInline)
            FInline[FCount] = Offset;
        else
            FMore.push_back(Offset);
        ++FCount;
    }
    size_t operator[](size_t Index) const { return Index < kInline ? FInline[Index] : FMore[Index - kInline]; }
    size_t Count() const { return FCount; }

private:
    static constexpr size_t kInline = 64;
    size_t FInline[kInline];
    size_t FCount = 0;
    std::vector<size_t> FMore;
};

// False when Source has nothing to replace, so that the caller can hand Source back.
bool ReplaceInto(const std::string& Source, const std::string& Pattern, const std::string& Replacement, std::string& Result)
{
    const size_t sourceLength = Source.size(), patternLength = Pattern.size();
    if (patternLength == 0 || sourceLength < patternLength)
        return false;
    const char* base = Source.data();
    const char* lastStart = base + (sourceLength - patternLength);
    const char* hit = FindPattern(base, lastStart, Pattern.data(), patternLength);
    if (!hit)
        return false;

    TOffsets offsets;
    do {
        offsets.Add(static_cast<size_t>(hit - base));
        hit = FindPattern(hit + patternLength, lastStart, Pattern.data(), patternLength);
    } while (hit);

    const size_t count = offsets.Count(), replacementLength = Replacement.size();
    const size_t resultLength = sourceLength - count * patternLength + count * replacementLength;
    Result.clear();
    if (resultLength == 0)
        return true;
    Result.resize(resultLength);

    char* out = Result.data() + resultLength;
    const char* rep = Replacement.data();
    const bool small = replacementLength <= kSmallCopyLimit;
    size_t pieceEnd = sourceLength;
    for (size_t k = count; k-- > 0;) {
        const size_t after = offsets[k] + patternLength;
        const size_t pieceLength = pieceEnd - after;
        out -= pieceLength;
        std::memcpy(out, base + after, pieceLength);
        out -= replacementLength;
        if (small)
            CopySmall(out, rep, replacementLength);
        else
            std::memmove(out, rep, replacementLength);
        pieceEnd = offsets[k];
    }
    std::memcpy(Result.data(), base, pieceEnd);
    return true;
}

int MonthFromAbbreviation(const char* m)
{
    // Clock texts write months capitalised ("Mar"), so letters are folded to lower case.
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; };
    const char c0 = lower(m[0]), c1 = lower(m[1]), c2 = lower(m[2]);
    switch (c0) {
    case 'a':
        if (c1 == 'p') return 4;
        if (c1 == 'u') return 8;
        break;
    case 'd':
        if (c1 == 'e') return 12;
        break;
    case 'f':
        if (c1 == 'e') return 2;
        break;
    case 'j':
        if (c1 == 'a') return 1;
        if (c2 == 'n') return 6;
        if (c2 == 'l') return 7;
        break;
    case 'm':
        if (c2 == 'r') return 3;
        if (c2 == 'y') return 5;
        break;
    case 'n':
        if (c1 == 'o') return 11;
        break;
    case 'o':
        if (c1 == 'c') return 10;
        break;
    case 's':
        if (c1 == 'e') return 9;
        break;
    }
    return 0;
}

[[noreturn]] void InvalidDateTime()
{
    throw Exception("Invalid date/time");
}

} // namespace

std::string AppFolder = ExecutableFolder();

const unsigned char UpperCaseTable[256] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
    0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    0x60, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F,
    0x80, 0x81, 0x82, 0x81, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x80, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x8A, 0x9B, 0x8C, 0x8D, 0x8E, 0x8F,
    0xA0, 0xA1, 0xA1, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
    0xB0, 0xB1, 0xB2, 0xB2, 0xA5, 0xB5, 0xB6, 0xB7, 0xA8, 0xB9, 0xAA, 0xBB, 0xA3, 0xBD, 0xBD, 0xAF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
};

bool EqualStr(const std::string& A, const std::string& B)
{
    return A.size() == B.size() && std::memcmp(A.data(), B.data(), A.size()) == 0;
}

bool EqualText(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    const auto* a = reinterpret_cast<const unsigned char*>(A.data());
    const auto* b = reinterpret_cast<const unsigned char*>(B.data());
    for (size_t k = 0, n = A.size(); k < n; ++k)
        if (a[k] != b[k] && UpperCaseTable[a[k]] != UpperCaseTable[b[k]])
            return false;
    return true;
}

bool StartsWith(const std::string& S, const std::string& Prefix)
{
    if (Prefix.empty())
        return S.empty();
    return S.size() >= Prefix.size() && std::memcmp(S.data(), Prefix.data(), Prefix.size()) == 0;
}

int CompareOrdinal(const std::string& A, const std::string& B)
{
    const auto* a = reinterpret_cast<const unsigned char*>(A.data());
    const auto* b = reinterpret_cast<const unsigned char*>(B.data());
    const size_t n = A.size() < B.size() ? A.size() : B.size();
    for (size_t k = 0; k < n; ++k) {
        if (a[k] != b[k])
            return static_cast<int>(a[k]) - static_cast<int>(b[k]);
        if (a[k] == 0)
            return 0;
    }
    // The shorter string has ended; the longer one's next byte decides (a zero there ends it too).
    if (A.size() > n)
        return a[n];
    if (B.size() > n)
        return -static_cast<int>(b[n]);
    return 0;
}

bool StrInArray(const std::string& S, std::initializer_list<std::string_view> Items)
{
    for (std::string_view item : Items)
        if (item.size() == S.size() && std::memcmp(item.data(), S.data(), S.size()) == 0)
            return true;
    return false;
}

bool StrInArray(const std::string& S, const std::vector<std::string>& Items)
{
    for (const std::string& item : Items)
        if (EqualStr(item, S))
            return true;
    return false;
}

std::string ReplaceAll(const std::string& Source, const std::string& Pattern, const std::string& Replacement)
{
    std::string result;
    if (!ReplaceInto(Source, Pattern, Replacement, result))
        return Source;
    return result;
}

std::string ReplaceAll(std::string&& Source, const std::string& Pattern, const std::string& Replacement)
{
    std::string result;
    if (!ReplaceInto(Source, Pattern, Replacement, result))
        return std::move(Source);
    return result;
}

std::string TextBefore(const std::string& S, const std::string& Sub)
{
    size_t at = S.find(Sub);
    return at == std::string::npos ? std::string() : S.substr(0, at);
}

void ExtractToken(std::string& S, const std::string& Delimiters, std::string& Token)
{
    thread_local bool delimiter[256];
    std::memset(delimiter, 0, sizeof delimiter);
    for (char c : Delimiters)
        delimiter[static_cast<unsigned char>(c)] = true;

    const size_t n = S.size();
    size_t start = 0;
    while (start < n && delimiter[static_cast<unsigned char>(S[start])])
        ++start;
    if (start == n) {
        S.clear();
        Token.clear();
        return;
    }
    size_t end = start;
    while (end < n && !delimiter[static_cast<unsigned char>(S[end])])
        ++end;
    Token.assign(S, start, end - start);
    S.erase(0, end);
}

size_t FindFrom(const std::string& Text, size_t Position, size_t Limit, const char* Pattern)
{
    if (Limit > Text.size())
        Limit = Text.size();
    const size_t patternLength = Pattern ? std::strlen(Pattern) : 0;
    if (patternLength == 0 || Position >= Limit || Limit - Position < patternLength)
        return 0;
    const char* base = Text.data() + Position;
    const char* hit = FindPattern(base, Text.data() + (Limit - patternLength), Pattern, patternLength);
    return hit ? static_cast<size_t>(hit - base) + 1 : 0;
}

std::string CopyFrom(const std::string& Text, size_t Position, long long Count, size_t Limit)
{
    if (Limit > Text.size())
        Limit = Text.size();
    if (Count <= 0 || Position >= Limit)
        return std::string();
    size_t available = Limit - Position;
    size_t n = static_cast<unsigned long long>(Count) < available ? static_cast<size_t>(Count) : available;
    return std::string(Text.data() + Position, n);
}

void AddDelimited(std::string& S, const std::string& Value, const std::string& Separator)
{
    if (S.empty()) {
        S = Value;
        return;
    }
    S.reserve(S.size() + Separator.size() + Value.size());
    S += Separator;
    S += Value;
}

int32_t IntMin(int32_t A, int32_t B)
{
    return A < B ? A : B;
}

int32_t IntMax(int32_t A, int32_t B)
{
    return A > B ? A : B;
}

void SaveStringToFile(const std::string& S, const std::string& FileName)
{
    int fd;
    do
        fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        int error = errno;
        throw EFCreateError("Cannot create file \"" + FileName + "\". " + std::strerror(error), error);
    }
    const char* p = S.data();
    size_t left = S.size();
    while (left > 0) {
        ssize_t written = ::write(fd, p, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            throw EInOutError(std::strerror(error), error);
        }
        p += written;
        left -= static_cast<size_t>(written);
    }
    // A full disk may only show up when the data is flushed at close.
    if (::close(fd) != 0 && errno != EINTR) {
        int error = errno;
        throw EInOutError(std::strerror(error), error);
    }
}

namespace {

[[noreturn]] void FailToCreate(const std::string& FileName, const std::string& Why, int Error)
{
    throw EFCreateError("Cannot create file \"" + FileName + "\". " + Why, Error);
}

bool WriteAt(int Fd, const std::string& S, off_t Offset)
{
    size_t Done = 0;
    while (Done < S.size()) {
        const ssize_t N = ::pwrite(Fd, S.data() + Done, S.size() - Done, Offset + off_t(Done));
        if (N < 0 && errno == EINTR)
            continue;
        if (N <= 0)
            return false;
        Done += size_t(N);
    }
    return true;
}

bool ReadWhole(int Fd, std::string& S)
{
    char Buffer[65536];
    for (off_t Offset = 0;;) {
        const ssize_t N = ::pread(Fd, Buffer, sizeof Buffer, Offset);
        if (N < 0 && errno == EINTR)
            continue;
        if (N < 0)
            return false;
        if (N == 0)
            return true;
        S.append(Buffer, size_t(N));
        Offset += N;
    }
}

// The file a save replaces: a symbolic link is followed to the file it names, so the
// link stays a link.
std::string LinkTarget(const std::string& FileName)
{
    std::string Name = FileName;
    for (int Hops = 0; Hops < 40; ++Hops) {
        char Buffer[PATH_MAX];
        const ssize_t N = ::readlink(Name.c_str(), Buffer, sizeof Buffer - 1);
        if (N <= 0)
            return Name;
        std::string Target(Buffer, size_t(N));
        const size_t Slash = Name.rfind('/');
        if (Target[0] != '/' && Slash != std::string::npos)
            Target = Name.substr(0, Slash + 1) + Target;
        Name = Target;
    }
    return Name;
}

std::string FolderOf(const std::string& Name)
{
    const size_t Slash = Name.rfind('/');
    if (Slash == std::string::npos)
        return ".";
    return Slash == 0 ? "/" : Name.substr(0, Slash);
}

// A new file beside Name, hidden, opened for writing; -1 with errno when the folder
// refuses it.
int CreateBeside(const std::string& Name, mode_t Mode, std::string& Temporary)
{
    static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const size_t Slash = Name.rfind('/');
    const size_t Base = Slash == std::string::npos ? 0 : Slash + 1;
    const std::string Prefix = Name.substr(0, Base) + "." + Name.substr(Base) + ".";
    std::random_device Seed;
    std::mt19937 Random(Seed());
    for (int Tries = 0; Tries < 100; ++Tries) {
        Temporary = Prefix;
        for (int I = 0; I < 6; ++I)
            Temporary += Letters[Random() % (sizeof Letters - 1)];
        int Fd;
        do
            Fd = ::open(Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Mode);
        while (Fd < 0 && errno == EINTR);
        if (Fd >= 0 || errno != EEXIST)
            return Fd;
    }
    return -1;
}

// The rename is only lasting once the folder's entry is on disk too.
void SyncFolder(const std::string& Name)
{
    const int Fd = ::open(FolderOf(Name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Fd >= 0) {
        ::fsync(Fd);
        ::close(Fd);
    }
}

// Writes S over the existing file Target itself. The old text is read first and put
// back if the new one cannot be written whole, so a failure leaves the old file as it
// was as far as the file system lets it.
void WriteInPlace(const std::string& S, const std::string& Target, const std::string& FileName)
{
    const std::string Refused = "The folder does not allow a temporary file, and writing the file in place failed "
                                "too: ";
    int Fd;
    do
        Fd = ::open(Target.c_str(), O_RDWR | O_CLOEXEC);
    while (Fd < 0 && errno == EINTR);
    if (Fd < 0) {
        const int Error = errno;
        FailToCreate(FileName, Refused + std::strerror(Error), Error);
    }
    std::string Old;
    if (!ReadWhole(Fd, Old)) {
        const int Error = errno;
        ::close(Fd);
        FailToCreate(FileName, Refused + std::strerror(Error), Error);
    }
    if (!WriteAt(Fd, S, 0) || ::ftruncate(Fd, off_t(S.size())) != 0 || ::fsync(Fd) != 0) {
        const int Error = errno ? errno : EIO;
        if (WriteAt(Fd, Old, 0) && ::ftruncate(Fd, off_t(Old.size())) == 0)
            ::fsync(Fd);
        ::close(Fd);
        FailToCreate(FileName, Refused + std::strerror(Error), Error);
    }
    if (::close(Fd) != 0 && errno != EINTR) {
        const int Error = errno;
        FailToCreate(FileName, Refused + std::strerror(Error), Error);
    }
}

} // namespace

void SaveFileAtomically(const std::string& S, const std::string& FileName)
{
    const std::string Target = LinkTarget(FileName);
    struct stat Old {};
    const bool Exists = ::stat(Target.c_str(), &Old) == 0;
    if (!Exists && errno != ENOENT) {
        const int Error = errno;
        FailToCreate(FileName, std::strerror(Error), Error);
    }

    // Until it holds the new text, the copy of an existing file is the owner's alone.
    std::string Temporary;
    const int Fd = CreateBeside(Target, Exists ? 0600 : 0666, Temporary);
    if (Fd < 0) {
        const int Error = errno ? errno : EEXIST;
        // The fallback lives here, in the one save routine, so that every file written
        // through it gets it: a folder that refuses new files (read-only, or a share
        // without create rights) still holds a writable file the user expects to be
        // saved. Without a temporary file the save cannot be atomic; the file itself
        // is written then, and its old text put back if that write fails.
        if (Exists && S_ISREG(Old.st_mode))
            return WriteInPlace(S, Target, FileName);
        FailToCreate(FileName, std::strerror(Error), Error);
    }
    const auto Fail = [&](int Error) {
        ::close(Fd);
        ::unlink(Temporary.c_str());
        FailToCreate(FileName, std::strerror(Error), Error);
    };
    // A file made read-only is not replaced behind its owner's back.
    if (Exists && ::faccessat(AT_FDCWD, Target.c_str(), W_OK, AT_EACCESS) != 0)
        Fail(errno);
    if (!WriteAt(Fd, S, 0))
        Fail(errno ? errno : EIO);
    if (Exists) {
        if (::fchmod(Fd, Old.st_mode & 07777) != 0)
            Fail(errno);
        // Only the superuser may give the file back to its owner; anyone else saves
        // their own file, or one of their group.
        if (::fchown(Fd, Old.st_uid, Old.st_gid) != 0)
            (void)!::fchown(Fd, uid_t(-1), Old.st_gid);
    }
    if (::fsync(Fd) != 0)
        Fail(errno);
    if (::close(Fd) != 0 && errno != EINTR) {
        const int Error = errno;
        ::unlink(Temporary.c_str());
        FailToCreate(FileName, std::strerror(Error), Error);
    }
    if (::rename(Temporary.c_str(), Target.c_str()) != 0) {
        const int Error = errno;
        ::unlink(Temporary.c_str());
        FailToCreate(FileName, std::strerror(Error), Error);
    }
    SyncFolder(Target);
}

std::string LoadStringFromFile(const std::string& FileName)
{
    int fd = -1;
    try {
        do
            fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            int error = errno;
            throw EFOpenError("Cannot open file \"" + FileName + "\". " + std::strerror(error), error);
        }
        struct stat info;
        if (::fstat(fd, &info) != 0) {
            int error = errno;
            throw EInOutError(std::strerror(error), error);
        }
        if (S_ISDIR(info.st_mode))
            throw EInOutError(std::strerror(EISDIR), EISDIR);
        std::string result(static_cast<size_t>(info.st_size), '\0');
        size_t got = 0;
        while (got < result.size()) {
            ssize_t n = ::read(fd, result.data() + got, result.size() - got);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                int error = errno;
                throw EInOutError(std::strerror(error), error);
            }
            if (n == 0)
                break; // shrunk since fstat: keep what is there
            got += static_cast<size_t>(n);
        }
        result.resize(got);
        ::close(fd);
        return result;
    } catch (Exception& e) {
        if (fd >= 0)
            ::close(fd);
        e.Message += " " + FileName;
        throw;
    }
}

TDateTime ParseDateTime(const std::string& Text, const std::string& Format)
{
    if (Format == "cisco") {
        std::string s = Text;
        size_t equals = s.find('=');
        if (equals != std::string::npos)
            s.erase(0, equals + 1);
        if (!s.empty() && s[0] == '*')
            s.erase(0, 1);
        std::string tail = s.size() > 11 ? s.substr(s.size() - 11) : s;
        return ParseDateTime(s.substr(0, 8) + " " + Trim(tail), "hh:nn:ss mmm d yyyy");
    }

    int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    bool timeSeen = false, afternoon = false;
    const size_t formatLength = Format.size(), textLength = Text.size();
    size_t f = 0, i = 0;
    auto number = [&](size_t count) { return StrToInt(Trim(Text.substr(i, count))); };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };

    while (f < formatLength && i < textLength) {
        switch (Format[f]) {
        case 'd': {
            const bool nextIsD = f + 1 < formatLength && Format[f + 1] == 'd';
            if (nextIsD || f + 1 >= formatLength || i + 1 >= textLength || isDigit(Text[i + 1])) {
                day = number(2);
                i += 2;
                f += nextIsD ? 2 : 1;
            } else {
                day = number(1);
                i += 1;
                f += 1;
            }
            break;
        }
        case 'm':
            if (f + 2 < formatLength && Format[f + 2] == 'm') {
                if (textLength - i >= 3)
                    month = MonthFromAbbreviation(Text.data() + i);
                i += 3;
                f += 3;
            } else {
                month = number(2);
                i += 2;
                f += 2;
            }
            break;
        case 'y':
            if (f + 2 < formatLength && Format[f + 2] == 'y') {
                if (textLength - i < 4)
                    InvalidDateTime();
                year = number(4);
                i += 4;
                f += 4;
            } else {
                int twoDigits = number(2);
                year = twoDigits + (twoDigits < 50 ? 2000 : 1900);
                i += 2;
                f += 2;
            }
            break;
        case 'h':
        case 'n':
        case 's': {
            int value = number(2);
            (Format[f] == 'h' ? hour : Format[f] == 'n' ? minute : second) = value;
            timeSeen = true;
            i += 2;
            f += 2;
            break;
        }
        case 'p':
            if ((Text[i] | 0x20) == 'p' && i + 1 < textLength && (Text[i + 1] | 0x20) == 'm')
                afternoon = true;
            i += 2;
            f += 2;
            break;
        default:
            i += 1;
            f += 1;
            break;
        }
    }

    if (month < 1 || month > 12 || day < 1 || day > 31 || year > 9999)
        InvalidDateTime();
    TDateTime result = EncodeDate(year, month, day);
    if (timeSeen) {
        if (afternoon && hour < 12)
            hour += 12;
        // Signed pieces ("-5") read as numbers too; a negative time of day is no time.
        if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
            InvalidDateTime();
        result += (hour * 3600 + minute * 60 + second) / 86400.0;
    }
    return result;
}
