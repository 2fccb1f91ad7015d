// Adding and removing elements within what a schema allows. An element's content
// is read as the rows read it (same walk, same positions), so the elements it can
// take are exactly those the rows would show at the places the rows would show them.
// Plain C++ on the node tree, like the row rules.
#pragma once

#include "xmllib/xmls.h"

#include <string>
#include <vector>

// One element declaration of an element's content, as the element fills it.
struct TElementSlot {
    TXMLNode* Declaration = nullptr;  // the element declaration as written (a ref is not resolved)
    std::string Name;                 // the name of its elements
    std::vector<int> Occurrences;     // indexes of the element's children that it matches
    int MinOccurs = 1;
    int MaxOccurs = 1;
    // It must occur: MinOccurs above 0 and no optional group around it.
    bool Required = false;
    // One more may be added: below MaxOccurs, and not an alternative of a choice
    // that another alternative already fills.
    bool Open = false;
    // Where one more goes among the element's children.
    int InsertIndex = 0;
};

// The element declarations of Element's content under Declaration (the declaration
// whose rows Element shows), in schema order. Reads only.
std::vector<TElementSlot> ElementSlots(TXMLNode* Declaration, TXMLNode* Element);

// A new element for an element declaration: its default instance without optional
// content, named Name, with the required elements of every level it holds (members
// of all groups included). The caller owns it.
TXMLNode* NewSchemaElement(TXMLNode* ElementDeclaration, const std::string& Name);

// Adds one more element of ElementDeclaration to Element (shown under Declaration) at
// its schema place. Returns the new element, or nil when that slot is full or closed.
TXMLNode* AddSchemaElement(TXMLNode* Declaration, TXMLNode* Element, TXMLNode* ElementDeclaration);

// The slot that Child (an element child of Element) fills; nil when the schema gives
// it no place.
const TElementSlot* SlotOf(const std::vector<TElementSlot>& Slots, TXMLNode* Element, TXMLNode* Child);

// Child may go: it has no place in the schema, its slot is optional, or its slot
// holds more than its minimum.
bool CanRemoveElement(TXMLNode* Declaration, TXMLNode* Element, TXMLNode* Child);
