// String routines: comparisons through the 1251 case table, ReplaceAll against a
// naive reference, tokens on two threads, dates, whole-file I/O and the atomic save
// (its failures forced by a file size limit, which stands in for a full disk).
#include "xmllib/strs.h"

#include "platform/core/exceptions.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <random>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>
#include "testsupport/ordinaryuser.h"

#include <unistd.h>

namespace {

std::string B(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

std::string NaiveReplace(const std::string& s, const std::string& pattern, const std::string& replacement)
{
    if (pattern.empty())
        return s;
    std::string out;
    size_t from = 0, at;
    while ((at = s.find(pattern, from)) != std::string::npos) {
        out += s.substr(from, at - from) + replacement;
        from = at + pattern.size();
    }
    return out + s.substr(from);
}

// The class matters as much as the text: "base:", "convert:" or the date itself.
std::string DateOutcome(const std::string& text, const std::string& format)
{
    try {
        return "ok:" + std::to_string(ParseDateTime(text, format));
    } catch (const EConvertError& e) {
        return "convert:" + e.Message;
    } catch (const Exception& e) {
        return "base:" + e.Message;
    }
}

// Everything in Folder, hidden files included: a temporary file left behind shows.
QStringList Entries(const QString& Folder)
{
    return QDir(Folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct stat Stat(const std::string& Name)
{
    struct stat Info {};
    ::lstat(Name.c_str(), &Info);
    return Info;
}

// Writes past Bytes fail with EFBIG while one of these lives, as on a full disk.
struct FileSizeLimit {
    rlimit Saved {};
    void (*SavedSignal)(int);
    explicit FileSizeLimit(rlim_t Bytes)
    {
        SavedSignal = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &Saved);
        rlimit Limit = Saved;
        Limit.rlim_cur = Bytes;
        ::setrlimit(RLIMIT_FSIZE, &Limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &Saved);
        std::signal(SIGXFSZ, SavedSignal);
    }
};

// The message of the EFCreateError a save raises, or "saved".
std::string SaveOutcome(const std::string& S, const std::string& Name)
{
    try {
        SaveFileAtomically(S, Name);
        return "saved";
    } catch (const EFCreateError& e) {
        return e.Message;
    }
}

} // namespace

class TestStrs : public QObject {
    Q_OBJECT

private slots:
    void comparisons();
    void replaceAll();
    void extractToken();
    void bufferPrimitives();
    void parseDateTime();
    void files();
    void atomicSaveReplacesTheFileWhole();
    void atomicSaveKeepsTheOldFileOnFailure();
    void readOnlyFolderTakesTheSaveInPlace();
};

void TestStrs::comparisons()
{
    QVERIFY(!EqualStr(std::string("a\0b", 3), std::string("a\0c", 3)));
    QVERIFY(EqualText("Order", "ORDER"));
    QVERIFY(!EqualText("ORDER", "orders"));
    QVERIFY(!EqualText("", "a"));
    // "заказ" / "ЗАКАЗ" in Windows-1251, and the letters outside the two contiguous blocks.
    QVERIFY(EqualText(B({0xE7, 0xE0, 0xEA, 0xE0, 0xE7}), B({0xC7, 0xC0, 0xCA, 0xC0, 0xC7})));
    const int pairs[][2] = {{0xB8, 0xA8}, {0xBC, 0xA3}, {0x83, 0x81}, {0x90, 0x80}, {0x9A, 0x8A}, {0x9F, 0x8F},
                            {0xA2, 0xA1}, {0xB3, 0xB2}, {0xB4, 0xA5}, {0xBA, 0xAA}, {0xBE, 0xBD}, {0xBF, 0xAF}};
    for (const auto& pair : pairs)
        QVERIFY2(EqualText(B({'x', pair[0]}), B({'X', pair[1]})), qPrintable(QString::number(pair[0], 16)));
    QVERIFY(!EqualText(B({0xB8}), B({0xA3})));
    int changed = 0;
    for (int c = 0; c < 256; ++c)
        changed += UpperCaseTable[c] != c;
    QCOMPARE(changed, 26 + 32 + 15);

    QVERIFY(!StartsWith("order", ""));
    QVERIFY(StartsWith("", ""));

    QVERIFY(CompareOrdinal("", "a") < 0);
    QCOMPARE(CompareOrdinal("abd", "abb"), 2);
    QVERIFY(CompareOrdinal(B({0xE0}), "z") > 0);
    QCOMPARE(CompareOrdinal(std::string("ab\0x", 4), std::string("ab\0y", 4)), 0);

    QCOMPARE(TextBefore("a=b", "="), std::string("a"));
    QCOMPARE(TextBefore("ab", "="), std::string());
    std::string list;
    AddDelimited(list, "one", ", ");
    QCOMPARE(list, std::string("one"));
    QCOMPARE(AppFolder, QCoreApplication::applicationDirPath().toStdString() + "/");
}

void TestStrs::replaceAll()
{
    QCOMPARE(ReplaceAll("a.b.c", ".", "/"), std::string("a/b/c"));
    QCOMPARE(ReplaceAll("aaa", "aa", "b"), std::string("ba"));
    QCOMPARE(ReplaceAll("abc", "", "x"), std::string("abc"));
    QCOMPARE(ReplaceAll("abc", "abc", ""), std::string());
    // First byte matches, the tail does not.
    QCOMPARE(ReplaceAll("abxabyab", "aby", "Q"), std::string("abxQab"));

    // Either side of the small-copy limit, at the start, middle and end.
    for (int length : {0, 1, 2, 3, 7, 8, 15, 16, 17, 31, 32, 33, 34, 200}) {
        std::string replacement;
        for (int k = 0; k < length; ++k)
            replacement += static_cast<char>('A' + k % 26);
        const std::string source = "#x#yy##z#";
        const std::string got = ReplaceAll(source, "#", replacement);
        QCOMPARE(got, NaiveReplace(source, "#", replacement));
        QCOMPARE(ReplaceAll(std::string(source), "#", replacement), got);
    }

    // Growing and shrinking, zero bytes included.
    std::mt19937 random(20040305);
    auto text = [&](int maxLength) {
        std::string s(random() % (maxLength + 1), ' ');
        for (char& c : s)
            c = "ab\0&"[random() % 4];
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string source = text(80), pattern = text(4), replacement = text(round % 3 ? 6 : 50);
        QCOMPARE(ReplaceAll(source, pattern, replacement), NaiveReplace(source, pattern, replacement));
    }
    // More occurrences than the offsets kept on the stack.
    const std::string many(5000, 'a');
    QCOMPARE(ReplaceAll(many, "a", "bc"), NaiveReplace(many, "a", "bc"));
    QCOMPARE(ReplaceAll(many, "aa", "c"), std::string(2500, 'c'));
}

void TestStrs::extractToken()
{
    std::string s = ".a..b", token = "old";
    ExtractToken(s, ".", token);
    QCOMPARE(token + "|" + s, std::string("a|..b"));
    ExtractToken(s, ".", token);
    QCOMPARE(token + "|" + s, std::string("b|"));
    // The table is rebuilt per call: "." from the call before must not linger.
    s = "Columns.Title Caption";
    ExtractToken(s, ".", token);
    ExtractToken(s, " ", token);
    QCOMPARE(token + "|" + s, std::string(".Title| Caption"));

    std::atomic<int> wrong{0};
    auto worker = [&](char delimiter, char other) {
        const std::string text = std::string("x") + other + "y" + delimiter + "z";
        for (int k = 0; k < 20000; ++k) {
            std::string rest = text, piece;
            ExtractToken(rest, std::string(1, delimiter), piece);
            if (piece != text.substr(0, 3) || rest != text.substr(3))
                ++wrong;
        }
    };
    std::thread first(worker, '.', ',');
    std::thread second(worker, ',', '.');
    first.join();
    second.join();
    QCOMPARE(wrong.load(), 0);
}

void TestStrs::bufferPrimitives()
{
    const std::string text = "<a><!-- c --></a>";
    QCOMPARE(FindFrom(text, 3, text.size(), "-->"), size_t(8));
    // The occurrence must end within the limit.
    QCOMPARE(FindFrom(text, 0, text.size(), "</a>"), size_t(14));
    QCOMPARE(FindFrom(text, 0, text.size() - 1, "</a>"), size_t(0));
    QCOMPARE(FindFrom(text, text.size(), text.size(), "<"), size_t(0));
    QCOMPARE(CopyFrom(text, 13, 100, 15), std::string("</"));
    QCOMPARE(CopyFrom(text, 0, -1, text.size()), std::string());
}

void TestStrs::parseDateTime()
{
    auto ok = [](TDateTime value) { return "ok:" + std::to_string(value); };
    const TDateTime march5 = EncodeDate(2004, 3, 5);
    QCOMPARE(DateOutcome("05.03.2004", "dd.mm.yyyy"), ok(march5));
    QCOMPARE(DateOutcome("05.03.49", "dd.mm.yy"), ok(EncodeDate(2049, 3, 5)));
    QCOMPARE(DateOutcome("05.03.50", "dd.mm.yy"), ok(EncodeDate(1950, 3, 5)));
    // A single "d" reads one digit when a non-digit follows.
    QCOMPARE(DateOutcome("5/03/2004", "d/mm/yyyy"), ok(march5));
    QCOMPARE(DateOutcome("15/03/2004", "d/mm/yyyy"), ok(EncodeDate(2004, 3, 15)));
    const char* months[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    for (int m = 1; m <= 12; ++m)
        QCOMPARE(DateOutcome(std::string("01 ") + months[m - 1] + " 2004", "dd mmm yyyy"), ok(EncodeDate(2004, m, 1)));
    const TDateTime afternoon = march5 + (13 * 3600 + 7 * 60 + 9) / 86400.0;
    QCOMPARE(DateOutcome("05.03.2004 13:07:09", "dd.mm.yyyy hh:nn:ss"), ok(afternoon));
    QCOMPARE(DateOutcome("05.03.2004 01:07:09 PM", "dd.mm.yyyy hh:nn:ss p"), ok(afternoon));
    QCOMPARE(DateOutcome("05.03.2004 01:07:09 am", "dd.mm.yyyy hh:nn:ss p"), ok(afternoon - 0.5));

    // The clock reads "hh:nn:ss" from the front and the date from the last 11 characters.
    const std::string clock = ok(EncodeDate(2004, 3, 1) + (10 * 3600 + 15 * 60 + 32) / 86400.0);
    QCOMPARE(DateOutcome("*10:15:32.123 UTC Mon Mar 1 2004", "cisco"), clock);
    QCOMPARE(DateOutcome("clock=*10:15:32.123 UTC Mon mar 1 2004", "cisco"), clock);
    QCOMPARE(DateOutcome("x=*23:59:01.000 PST Fri Dec 24 2004", "cisco"),
             ok(EncodeDate(2004, 12, 24) + (23 * 3600 + 59 * 60 + 1) / 86400.0));
    QCOMPARE(DateOutcome("a=b=*23:59:01.000 PST Fri Dec 24 2004", "cisco"), std::string("convert:'b=' is not a valid integer value"));
    QCOMPARE(DateOutcome("*10:15:32.123 UTC Mon Xyz 1 2004", "cisco"), std::string("base:Invalid date/time"));

    QCOMPARE(DateOutcome("5.3.2004", "dd.mm.yyyy"), std::string("convert:'5.' is not a valid integer value"));
    QCOMPARE(DateOutcome("31.04.2004", "dd.mm.yyyy"), std::string("convert:Invalid argument to date encode"));
    // The 400-year rule: 2000 has a 29th of February, 1900 and 2100 do not.
    QCOMPARE(DateOutcome("29.02.2000", "dd.mm.yyyy"), ok(EncodeDate(2000, 3, 1) - 1));
    QCOMPARE(DateOutcome("29.02.2000", "dd.mm.yyyy"), ok(36585.0));
    QCOMPARE(DateOutcome("29.02.1900", "dd.mm.yyyy"), std::string("convert:Invalid argument to date encode"));
    QCOMPARE(DateOutcome("29.02.2100", "dd.mm.yyyy"), std::string("convert:Invalid argument to date encode"));
    QCOMPARE(DateOutcome("28.02.1900", "dd.mm.yyyy"), ok(60.0));
    QCOMPARE(DateOutcome("01.03.1900", "dd.mm.yyyy"), ok(61.0));
    for (const char* bad : {"05.13.2004", "00.03.2004", "32.03.2004", "05.03.04", "05", ""})
        QCOMPARE(DateOutcome(bad, "dd.mm.yyyy"), std::string("base:Invalid date/time"));
    for (const char* bad : {"05.03.2004 24:00:00", "05.03.2004 23:60:00", "05.03.2004 23:59:60", "05.03.2004 -1:00:00"})
        QCOMPARE(DateOutcome(bad, "dd.mm.yyyy hh:nn:ss"), std::string("base:Invalid date/time"));
}

void TestStrs::files()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string name = dir.filePath("data.bin").toStdString();
    std::string bytes;
    for (int k = 0; k < 3 * 256 + 7; ++k)
        bytes += static_cast<char>(k * 37);
    bytes += std::string("\0\0\r\n\0", 5);
    SaveStringToFile(bytes, name);
    QCOMPARE(LoadStringFromFile(name), bytes);
    // Saving again truncates.
    SaveStringToFile("short", name);
    QCOMPARE(LoadStringFromFile(name), std::string("short"));

    const std::string missing = dir.filePath("missing.xml").toStdString();
    try {
        LoadStringFromFile(missing);
        QFAIL("a missing file was read");
    } catch (const EFOpenError& e) {
        QVERIFY(StartsWith(e.Message, "Cannot open file \"" + missing + "\". "));
        QCOMPARE(e.Message.substr(e.Message.size() - missing.size() - 1), " " + missing);
    }
    const std::string folder = dir.path().toStdString();
    try {
        LoadStringFromFile(folder);
        QFAIL("a folder was read as a file");
    } catch (const EInOutError& e) {
        QCOMPARE(e.Message.substr(e.Message.size() - folder.size() - 1), " " + folder);
    }
    QVERIFY_THROWS_EXCEPTION(EFCreateError, SaveStringToFile("x", dir.filePath("no/such.xml").toStdString()));
}

void TestStrs::atomicSaveReplacesTheFileWhole()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string name = dir.filePath("object.xml").toStdString();
    std::string bytes;
    for (int k = 0; k < 70000; ++k)
        bytes += static_cast<char>(k * 31);
    SaveFileAtomically(bytes, name);
    QCOMPARE(LoadStringFromFile(name), bytes);
    // A new file gets the permissions any new file gets.
    const std::string plain = dir.filePath("plain").toStdString();
    SaveStringToFile("", plain);
    QCOMPARE(Stat(name).st_mode, Stat(plain).st_mode);

    // A save replaces the file by another one: the old one is never written into.
    QVERIFY(::chmod(name.c_str(), 0640) == 0);
    const ino_t before = Stat(name).st_ino;
    SaveFileAtomically("<a/>", name);
    QCOMPARE(LoadStringFromFile(name), std::string("<a/>"));
    QVERIFY(Stat(name).st_ino != before);
    QCOMPARE(Stat(name).st_mode & 07777, mode_t(0640));

    // A link stays a link; the file it names, in another folder, takes the save.
    QVERIFY(QDir().mkpath(dir.filePath("real")));
    const std::string real = dir.filePath("real/object.xml").toStdString();
    SaveStringToFile("old", real);
    const std::string link = dir.filePath("link.xml").toStdString();
    QVERIFY(::symlink("real/object.xml", link.c_str()) == 0);
    SaveFileAtomically("<b/>", link);
    QVERIFY(S_ISLNK(Stat(link).st_mode));
    QCOMPARE(LoadStringFromFile(real), std::string("<b/>"));

    // A bare name is a file of the current folder.
    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const std::string bare = SaveOutcome("<c/>", "bare.xml");
    QDir::setCurrent(current);
    QCOMPARE(bare, std::string("saved"));
    QCOMPARE(LoadStringFromFile(dir.filePath("bare.xml").toStdString()), std::string("<c/>"));

    // Nothing but the files saved is left in either folder.
    QCOMPARE(Entries(dir.path()), QStringList({"bare.xml", "link.xml", "object.xml", "plain", "real"}));
    QCOMPARE(Entries(dir.filePath("real")), QStringList({"object.xml"}));
}

void TestStrs::atomicSaveKeepsTheOldFileOnFailure()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A folder in the file's place is neither replaced nor written into.
    const std::string blocked = dir.filePath("blocked/object.xml").toStdString();
    QVERIFY(QDir().mkpath(QString::fromStdString(blocked)));
    QCOMPARE(SaveOutcome("new", blocked), "Cannot create file \"" + blocked + "\". " + std::strerror(EISDIR));
    QCOMPARE(Entries(dir.filePath("blocked")), QStringList({"object.xml"}));
    // A folder that is not there.
    const std::string gone = dir.filePath("gone/object.xml").toStdString();
    try {
        SaveFileAtomically("new", gone);
        QFAIL("saved into a missing folder");
    } catch (const EFCreateError& e) {
        QCOMPARE(e.ErrorCode, ENOENT);
        QCOMPARE(e.Message, "Cannot create file \"" + gone + "\". " + std::strerror(ENOENT));
    }

    // A disk that fills up half-way through the new text.
    const std::string name = dir.filePath("object.xml").toStdString();
    SaveFileAtomically("old text", name);
    {
        FileSizeLimit full(4096);
        QCOMPARE(SaveOutcome(std::string(10000, 'x'), name),
                 "Cannot create file \"" + name + "\". " + std::strerror(EFBIG));
    }
    QCOMPARE(LoadStringFromFile(name), std::string("old text"));
    QCOMPARE(Entries(dir.path()), QStringList({"blocked", "object.xml"}));

    // A file its owner made read-only is not replaced, though its folder takes new files.
    const QString open = dir.filePath("open");
    QVERIFY(QDir().mkpath(open));
    QVERIFY(::chmod(dir.path().toLocal8Bit().constData(), 0755) == 0);
    QVERIFY(::chmod(open.toLocal8Bit().constData(), 0777) == 0);
    const std::string kept = (open + "/object.xml").toStdString();
    SaveStringToFile("kept", kept);
    QVERIFY(::chmod(kept.c_str(), 0444) == 0);
    {
        AsOrdinaryUser user;
        if (!user.Ok())
            QSKIP("no other user to act as");
        QCOMPARE(SaveOutcome("new", kept), "Cannot create file \"" + kept + "\". " + std::strerror(EACCES));
    }
    QCOMPARE(LoadStringFromFile(kept), std::string("kept"));
    QCOMPARE(Entries(open), QStringList({"object.xml"}));
}

void TestStrs::readOnlyFolderTakesTheSaveInPlace()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString locked = dir.filePath("locked");
    QVERIFY(QDir().mkpath(locked));
    const std::string name = (locked + "/object.xml").toStdString();
    SaveStringToFile("<LegalCustomer><Name>Old</Name></LegalCustomer>", name);
    // Everyone may enter the folders and write the file; nobody may make a file there.
    QVERIFY(::chmod(dir.path().toLocal8Bit().constData(), 0755) == 0);
    QVERIFY(::chmod(name.c_str(), 0666) == 0);
    QVERIFY(::chmod(locked.toLocal8Bit().constData(), 0555) == 0);
    const auto unlock = qScopeGuard([&] { ::chmod(locked.toLocal8Bit().constData(), 0755); });
    const std::string refused = "Cannot create file \"" + name +
                                "\". The folder does not allow a temporary file, and writing the file in place "
                                "failed too: ";
    {
        AsOrdinaryUser user;
        if (!user.Ok())
            QSKIP("no other user to act as");
        if (QFile probe(locked + "/probe"); probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QSKIP("the folder still takes new files");
        }
        const ino_t inode = Stat(name).st_ino;
        const std::string longer = "<LegalCustomer><Name>Saved in place, and longer</Name></LegalCustomer>";
        SaveFileAtomically(longer, name);
        QCOMPARE(LoadStringFromFile(name), longer);
        // Shorter text leaves nothing of the longer old one behind.
        SaveFileAtomically("<a/>", name);
        QCOMPARE(LoadStringFromFile(name), std::string("<a/>"));
        QCOMPARE(Stat(name).st_ino, inode);

        // A write that fails half-way puts the old text back, and says both ways failed.
        {
            FileSizeLimit full(16);
            QCOMPARE(SaveOutcome(std::string(100, 'x'), name), refused + std::strerror(EFBIG));
        }
        QCOMPARE(LoadStringFromFile(name), std::string("<a/>"));

        // A new file cannot be made in such a folder at all, and no in-place write is
        // claimed for a file that is not there.
        const std::string fresh = (locked + "/new.xml").toStdString();
        QCOMPARE(SaveOutcome("<c/>", fresh), "Cannot create file \"" + fresh + "\". " + std::strerror(EACCES));
        QVERIFY(!QFile::exists(QString::fromStdString(fresh)));
    }
    // A read-only file there cannot be saved either way.
    QVERIFY(::chmod(name.c_str(), 0444) == 0);
    {
        AsOrdinaryUser user;
        QVERIFY(user.Ok());
        QCOMPARE(SaveOutcome("<b/>", name), refused + std::strerror(EACCES));
    }
    QCOMPARE(LoadStringFromFile(name), std::string("<a/>"));
    QCOMPARE(Entries(locked), QStringList({"object.xml"}));
}

QTEST_GUILESS_MAIN(TestStrs)
#include "strs_test.moc"
