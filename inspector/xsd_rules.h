// XML Schema declarations read as row rules: finding global declarations, the
// effective type of a declaration, the flags, value lists and limits of the row it
// describes, the check of a committed value, the rows an element gets and where a
// new element goes. Plain C++ on the node tree: no Qt, so the rules can be used and
// tested without any widget. The schema stays a plain node tree and every rule is
// evaluated on it each time it is asked.
#pragma once

#include "xmllib/xmls.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Editor flags: a 16-bit set; bits 3 and 8 to 15 stay clear.
using TEditorFlags = uint16_t;
enum TEditorFlag : TEditorFlags {
    efValueList = 1 << 0,
    efSubItems = 1 << 1,
    efButton = 1 << 2,
    efAutoCommit = 1 << 4,
    efSortList = 1 << 5,
    efReadOnly = 1 << 6,
    efRevertable = 1 << 7,
};

struct TEffectiveType {
    std::string TypeName;  // at most 50 characters
    bool IsExtension = false;
};

// The global declaration named Name: the first child of the schema root whose "name"
// is Name exactly; nil for an empty Name.
TXMLNode* FindGlobal(TXMLNode* Declaration, const std::string& Name);
// "Error in XSD Schema: referenced type %s not found" for a dangling ref.
TXMLNode* ResolveRef(TXMLNode* Declaration);
TEffectiveType EffectiveType(TXMLNode* Declaration);

// The row rules of one declaration; the prefix is the one of its schema's root.
std::string SchemaCaption(TXMLNode* Declaration);
TEditorFlags SchemaFlags(TXMLNode* Declaration);
bool IsBooleanDeclaration(TXMLNode* Declaration);
// The dictionary named by an "id" of the form "@Name"; empty when there is none.
std::string DictionaryName(TXMLNode* Declaration);
// "true" and "false" for a boolean, else the enumerated values in schema order.
std::vector<std::string> SchemaValueList(TXMLNode* Declaration);
std::string SchemaAllowedChars(TXMLNode* Declaration);
int SchemaMaxLength(TXMLNode* Declaration);
// Raises the conversion error of a value the declared type refuses; values of a
// value list are checked against the list by the row, not here.
void CheckSchemaValue(TXMLNode* Declaration, const std::string& Value);
// "nillable" false or "use" required: an empty value is shown as missing.
bool IsRequiredDeclaration(TXMLNode* Declaration);

// Receives each row: the node it edits and the declaration that describes it. For
// an attribute declaration Node is the element that holds (or will hold) it.
using TSchemaRowProc = std::function<void(TXMLNode* Node, TXMLNode* Declaration)>;

// Hands Proc the rows that describe Element under Declaration, in schema order.
// Position indexes Element's children and moves past every child that gets a row.
// A child outside FilterNode (when given) gets no row. Inserts missing required
// elements into Element unless InsertMissing is false, which leaves the tree as it is.
void EnumSchemaRows(TXMLNode* Declaration, TXMLNode* Element, int& Position, TXMLNode* FilterNode,
                    const TSchemaRowProc& Proc, bool InsertMissing = true);
// Puts NewElement among Element's children where the content under TypeNode places
// it. Returns false, and leaves NewElement to the caller, when no place accepts it.
bool InsertBySchema(TXMLNode* TypeNode, TXMLNode* Element, TXMLNode* NewElement);

// The content model as the rows read it.
// minOccurs (1 when absent) and maxOccurs (1 when absent, "unbounded" 10000).
int MinOccursOf(TXMLNode* ElementDeclaration);
int MaxOccursOf(TXMLNode* ElementDeclaration);
// The name an element declaration gives its elements: "name", else "ref" as written.
std::string ElementNameOf(TXMLNode* ElementDeclaration);
// The node whose children describe a declaration's content: its named type, else the
// declaration it refers to, else itself; nil when the name is not found.
TXMLNode* RowsNode(TXMLNode* Declaration);
// simpleContent, extension, restriction, sequence or choice: walked into in order.
bool IsContentGroup(const std::string& Name, const std::string& Prefix);
// An all group: its member declarations, and among Element's children from Start on
// the run that belongs to it (its members stand in any order): where the run ends,
// a member's occurrences in it, and where one more of a member goes so that members
// stay in declaration order.
std::vector<TXMLNode*> AllMembers(TXMLNode* All);
int AllGroupEnd(TXMLNode* All, TXMLNode* Element, int Start);
std::vector<int> AllOccurrences(TXMLNode* Member, TXMLNode* Element, int Start, int End);
int AllGroupInsertIndex(TXMLNode* All, TXMLNode* Member, TXMLNode* Element, int Start, int End);
