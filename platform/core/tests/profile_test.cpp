// Profile files: any file comes back byte for byte, reads find sections and keys
// without regard to case, a write changes one value in its own line or adds lines in
// the right place, and nothing a write is given can make another file than meant.
#include "platform/core/exceptions.h"
#include "platform/core/profile.h"

#include <QtTest>

#include <array>

namespace {

QString Show(const std::string& S)
{
    QString Shown = QString::fromLatin1(S.data(), qsizetype(S.size()));
    return Shown.replace("\r", "\\r").replace("\n", "\\n\n");
}

#define COMPARE_TEXT(actual, expected) QCOMPARE(Show(actual), Show(expected))

} // namespace

class ProfileTest : public QObject {
    Q_OBJECT

private slots:
    void unchangedFilesComeBackByteForByte_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("blank lines only") << QByteArray("\n\n \t\n");
        QTest::newRow("no last line end") << QByteArray("[A]\nKey=1");
        QTest::newRow("CR LF") << QByteArray("[A]\r\nKey=1\r\n\r\n[B]\r\nOther = x, y\r\n");
        QTest::newRow("mixed ends") << QByteArray("[A]\r\nKey=1\n; note\r\nodd line\n");
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[A]\nKey=1\n");
        QTest::newRow("comments and odd lines")
            << QByteArray("; top\n# also\nloose=before any section\n[A]\n  ; Type=5\nno equals here\n=no key\n"
                          "[ spaced ] \n\tKey =  a=b,c \n[A]\nKey=second\n");
        QTest::newRow("8-bit bytes and a lone CR")
            << QByteArray("[Caf\xe9]\nOwner=Andr\xe9\xa0\nCR=a\rb\n\xa0\xa0\n");
        QTest::newRow("header without its bracket") << QByteArray("[A\nKey=1\n]\n");
    }

    void unchangedFilesComeBackByteForByte()
    {
        QFETCH(QByteArray, text);
        const std::string Text = text.toStdString();
        COMPARE_TEXT(TProfile(Text).Text(), Text);
        // Reading leaves it as it was too.
        TProfile Profile(Text);
        Profile.ReadString("A", "Key");
        Profile.Sections();
        COMPARE_TEXT(Profile.Text(), Text);
    }

    void readsFindSectionsAndKeysWithoutCase()
    {
        const TProfile Profile("; Key=comment\n"
                               "Key=outside\n"
                               "[ConnectNamesSection]\n"
                               "  ; ConnectNames=commented\n"
                               "#ConnectNames=also commented\n"
                               "connectnames = A, B ,C \n"
                               "ConnectNames=second\n"
                               "[VORNAPP]\r\n"
                               "DataFilePath=/data/with = sign, comma\r\n"
                               "Empty=\n"
                               "Tabbed\t=\tx\t\n"
                               "Latin=\xa0x\xa0\n"
                               "[connectnamessection]\n"
                               "Later=not read\n");
        QCOMPARE(Profile.ReadString("CONNECTNAMESSECTION", "ConnectNames"), std::string("A, B ,C"));
        QCOMPARE(Profile.ReadString("vornapp", "DATAFILEPATH"), std::string("/data/with = sign, comma"));
        QCOMPARE(Profile.ReadString("VORNAPP", "Tabbed"), std::string("x"));
        // 0xA0 is a letter of an 8-bit code page, not a blank.
        QCOMPARE(Profile.ReadString("VORNAPP", "Latin"), std::string("\xa0x\xa0"));
        QCOMPARE(Profile.ReadString("VORNAPP", "Empty", "default"), std::string());
        QVERIFY(Profile.ValueExists("VORNAPP", "Empty"));
        QCOMPARE(Profile.ReadString("VORNAPP", "Missing", "default"), std::string("default"));
        QVERIFY(!Profile.ValueExists("VORNAPP", "Missing"));
        // A key belongs to its own section only; the first section of a name is the one.
        QCOMPARE(Profile.ReadString("VORNAPP", "ConnectNames", "none"), std::string("none"));
        QCOMPARE(Profile.ReadString("ConnectNamesSection", "Later", "none"), std::string("none"));
        QCOMPARE(Profile.ReadString("Missing", "Key", "none"), std::string("none"));
        QVERIFY(Profile.SectionExists("vornapp"));
        QVERIFY(!Profile.SectionExists("VORN"));
    }

    void sectionsListEveryEntryInFileOrder()
    {
        const TProfile Profile("Loose=1\n[DBDEMOS]\nDRIVER=PARADOX\n; PATH=old\n\t# PATH=older\nodd\nPATH = /a=b, c\n\n"
                               "[ DEZAZAV ]\nuser name=SYSDBA\n[DBDEMOS]\nPATH=/again\n[Empty]\n");
        const std::vector<TProfileSection> Sections = Profile.Sections();
        QStringList Seen;
        for (const TProfileSection& Section : Sections) {
            QStringList Entries;
            for (const TProfileEntry& Entry : Section.Entries)
                Entries << QString::fromStdString(Entry.Key + "|" + Entry.Value);
            Seen << QString::fromStdString(Section.Name) + ": " + Entries.join("; ");
        }
        QCOMPARE(Seen, QStringList({"DBDEMOS: DRIVER|PARADOX; PATH|/a=b, c", "DEZAZAV: user name|SYSDBA",
                                    "DBDEMOS: PATH|/again", "Empty: "}));
    }

    void writeChangesTheValueInItsOwnLine()
    {
        TProfile Profile("; keep\n[VORNAPP]\r\n  type =  1  \r\nDataFilePath=/old, path\r\nServer=X");
        Profile.WriteString("VORNAPP", "Type", "61");
        Profile.WriteString("vornapp", "DATAFILEPATH", "/new=path, with comma");
        Profile.WriteString("VORNAPP", "Server", "PARADOX");
        // Key case and layout, every line end and the missing last one stay.
        COMPARE_TEXT(Profile.Text(), std::string("; keep\n[VORNAPP]\r\n  type =  61\r\n"
                                                 "DataFilePath=/new=path, with comma\r\nServer=PARADOX"));
        QCOMPARE(Profile.ReadString("VORNAPP", "DataFilePath"), std::string("/new=path, with comma"));

        // The same value written again gives the same bytes.
        const std::string Before = Profile.Text();
        Profile.WriteString("VORNAPP", "Server", "PARADOX");
        COMPARE_TEXT(Profile.Text(), Before);

        // Only the first entry of a key in the first section of its name is written.
        TProfile Twice("[A]\nK=1\nK=2\n[a]\nK=3\n");
        Twice.WriteString("A", "k", "9");
        COMPARE_TEXT(Twice.Text(), std::string("[A]\nK=9\nK=2\n[a]\nK=3\n"));
        // A commented entry is not the key: the key is added, the comment stays.
        TProfile Commented("[A]\nX=0\n;K=1\n");
        Commented.WriteString("A", "K", "2");
        COMPARE_TEXT(Commented.Text(), std::string("[A]\nX=0\nK=2\n;K=1\n"));
    }

    void newKeyGoesAfterTheLastEntryOfItsSection_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("before the blank line and the next section's comment")
            << QByteArray("[A]\nX=1\n\n; about B\n[B]\nY=2\n")
            << QByteArray("[A]\nX=1\nNew=v\n\n; about B\n[B]\nY=2\n");
        QTest::newRow("after odd lines and comments inside the entries")
            << QByteArray("[A]\nX=1\n; note\nW=0\nodd\n[B]\n")
            << QByteArray("[A]\nX=1\n; note\nW=0\nNew=v\nodd\n[B]\n");
        QTest::newRow("section without entries") << QByteArray("[A]\n; only a comment\n[B]\n")
                                                  << QByteArray("[A]\nNew=v\n; only a comment\n[B]\n");
        QTest::newRow("last line without its end, CR LF file")
            << QByteArray("[Z]\r\n[A]\r\nX=1") << QByteArray("[Z]\r\n[A]\r\nX=1\r\nNew=v\r\n");
        QTest::newRow("section of another case") << QByteArray("[a]\nX=1\n") << QByteArray("[a]\nX=1\nNew=v\n");
    }

    void newKeyGoesAfterTheLastEntryOfItsSection()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        TProfile Profile(before.toStdString());
        Profile.WriteString("A", "New", "v");
        COMPARE_TEXT(Profile.Text(), after.toStdString());
    }

    void newSectionGoesToTheEnd_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no file") << QByteArray() << QByteArray("[S]\nK=v\n");
        QTest::newRow("after a blank line of its own") << QByteArray("[A]\nX=1\n")
                                                      << QByteArray("[A]\nX=1\n\n[S]\nK=v\n");
        QTest::newRow("a blank line is there") << QByteArray("[A]\nX=1\n\n") << QByteArray("[A]\nX=1\n\n[S]\nK=v\n");
        QTest::newRow("no last line end, CR LF")
            << QByteArray("[A]\r\nX=1") << QByteArray("[A]\r\nX=1\r\n\r\n[S]\r\nK=v\r\n");
        QTest::newRow("byte order mark stays first")
            << QByteArray("\xEF\xBB\xBF; c\n") << QByteArray("\xEF\xBB\xBF; c\n\n[S]\nK=v\n");
    }

    void newSectionGoesToTheEnd()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        TProfile Profile(before.toStdString());
        Profile.WriteString("S", "K", "v");
        COMPARE_TEXT(Profile.Text(), after.toStdString());
        QCOMPARE(TProfile(Profile.Text()).ReadString("s", "k"), std::string("v"));
    }

    void writesThatWouldMakeAnotherFileAreRefused()
    {
        const std::string Text = "[A]\nK=1\n";
        TProfile Profile(Text);
        const std::vector<std::array<std::string, 3>> Refused = {
            {"A", "K", "two\nlines"}, {"A", "K", "cr\ronly"}, {"A\n[B]", "K", "v"},
            {"A", "K\nX", "v"},       {"A", "K=X", "v"},      {"A", "", "v"}, {"A", " \t", "v"}};
        for (const auto& [Section, Key, Value] : Refused) {
            QVERIFY_THROWS_EXCEPTION(Exception, Profile.WriteString(Section, Key, Value));
            COMPARE_TEXT(Profile.Text(), Text);
        }
    }
};

QTEST_GUILESS_MAIN(ProfileTest)
#include "profile_test.moc"
