// A profile (initialisation) file held as its bytes: "[Section]" lines, "Key=Value"
// lines below them, and whatever else people or other programs put there. Both the
// engine's aliases and the report writer's connection file are read through it, and
// the connection file is written back through it.
//
// What must stay true:
//  - Text() of a profile nobody wrote to is, byte for byte, the text it was made from:
//    comments, blank lines, lines it cannot read, the order and case of keys, each
//    line's ending (LF or CR LF), a missing last line end and a UTF-8 byte order mark.
//  - A write changes only the value of the line it names, or adds lines; nothing else.
//  - Sections and keys compare without regard to ASCII case. The first section of a
//    name is the one read and written, and the first entry of a key within it.
//  - A value is everything after the first '=' of its line, blanks around it dropped:
//    commas, '=' and bytes of any code page are part of it.
//  - A line whose first non-blank character is ';' or '#' is a comment, never an entry.
#pragma once

#include <string>
#include <vector>

struct TProfileEntry {
    std::string Key;
    std::string Value;
};

struct TProfileSection {
    std::string Name;
    std::vector<TProfileEntry> Entries;
};

class TProfile {
public:
    TProfile() = default;
    explicit TProfile(const std::string& Text);

    std::string Text() const;

    bool SectionExists(const std::string& Section) const;
    bool ValueExists(const std::string& Section, const std::string& Key) const;
    std::string ReadString(const std::string& Section, const std::string& Key,
                           const std::string& Default = std::string()) const;
    // Replaces the value of an existing entry in its own line (the key keeps its case
    // and layout); a new key goes after the last entry of its section, a new section
    // to the end of the file after a blank line. A line break in any of the three, a
    // '=' in the key or an empty key would make another file than the one meant, and
    // raises Exception with nothing changed.
    void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);

    // Every section in file order, repeated names included, each with its entries in
    // order. Entries before the first section belong to none and are not listed.
    std::vector<TProfileSection> Sections() const;

private:
    struct TLine {
        std::string Text;
        std::string Ending; // "\n", "\r\n", or "" for a last line without one
    };

    int FindSection(const std::string& Section) const;
    int SectionEnd(int Header) const;
    int FindKey(const std::string& Section, const std::string& Key) const;
    std::string NewLineEnding() const;
    void Insert(int Index, std::string Text);

    std::string FPreamble; // a byte order mark, kept as it came
    std::vector<TLine> FLines;
};
