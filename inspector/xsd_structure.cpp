// Adding and removing elements within what a schema allows. The walk over an
// element's content is the rows' own (inspector/xsd_rules.cpp): elements are matched
// at the same positions, so an element is added where the rows will show it and only
// elements that have rows can be removed. Nothing here changes the tree except
// AddSchemaElement and the new element NewSchemaElement builds.
#include "inspector/xsd_structure.h"

#include "inspector/xsd_rules.h"

#include <memory>
#include <utility>

namespace {

// The same bound as the rows' walk: self-naming groups end there.
const int MaxGroupDepth = 64;
// Levels of a new element that get their required content; recursive types end here.
const int MaxNewElementLevel = 10;
// Required elements added to one element at most (minOccurs can be any number).
const int MaxRequiredAdded = 100;

bool IsOptionalGroup(TXMLNode* Group)
{
    return Group->GetAttribute("minOccurs") == "0";
}

void WalkSlots(TXMLNode* D, TXMLNode* E, int& Position, bool Optional, int Depth, std::vector<TElementSlot>& Slots);

void WalkAll(TXMLNode* All, TXMLNode* E, int& Position, bool Optional, std::vector<TElementSlot>& Slots)
{
    const int Start = Position;
    const int End = AllGroupEnd(All, E, Start);
    Optional = Optional || IsOptionalGroup(All);
    for (TXMLNode* A : AllMembers(All)) {
        TElementSlot Slot;
        Slot.Declaration = A;
        Slot.Name = ElementNameOf(A);
        Slot.MinOccurs = MinOccursOf(A);
        Slot.MaxOccurs = MaxOccursOf(A);
        Slot.Occurrences = AllOccurrences(A, E, Start, End);
        if (static_cast<int>(Slot.Occurrences.size()) > Slot.MaxOccurs)
            Slot.Occurrences.resize(Slot.MaxOccurs);
        Slot.Required = Slot.MinOccurs > 0 && !Optional;
        Slot.Open = static_cast<int>(Slot.Occurrences.size()) < Slot.MaxOccurs;
        Slot.InsertIndex = AllGroupInsertIndex(All, A, E, Start, End);
        Slots.push_back(std::move(Slot));
    }
    Position = End;
}

void WalkSlots(TXMLNode* D, TXMLNode* E, int& Position, bool Optional, int Depth, std::vector<TElementSlot>& Slots)
{
    if (Depth > MaxGroupDepth)
        return;
    const std::string Prefix = RootPrefix(D);
    TXMLNode* N = RowsNode(D);
    if (!N || !N->Children)
        return;
    const bool Choice = N->Name == Prefix + "choice";
    // The slots of each alternative of a choice, as [first, last) ranges.
    std::vector<std::pair<size_t, size_t>> Alternatives;
    for (int I = 0; I < N->ChildCount(); ++I) {
        TXMLNode* C = N->Child(I);
        const size_t First = Slots.size();
        if (C->Name == Prefix + "element") {
            TElementSlot Slot;
            Slot.Declaration = C;
            Slot.Name = ElementNameOf(C);
            Slot.MinOccurs = MinOccursOf(C);
            Slot.MaxOccurs = MaxOccursOf(C);
            while (static_cast<int>(Slot.Occurrences.size()) < Slot.MaxOccurs && Position < E->ChildCount() &&
                   E->Child(Position)->Name == Slot.Name)
                Slot.Occurrences.push_back(Position++);
            Slot.Required = Slot.MinOccurs > 0 && !Optional;
            Slot.Open = static_cast<int>(Slot.Occurrences.size()) < Slot.MaxOccurs;
            Slot.InsertIndex = Position;
            Slots.push_back(std::move(Slot));
        } else if (C->Name == Prefix + "complexType") {
            // A named type stands for the element itself (a row on it), not for content.
            if (C->GetAttribute("name").empty())
                WalkSlots(C, E, Position, Optional, Depth + 1, Slots);
        } else if (C->Name == Prefix + "all") {
            WalkAll(C, E, Position, Optional, Slots);
        } else if (IsContentGroup(C->Name, Prefix)) {
            WalkSlots(C, E, Position, Optional || IsOptionalGroup(C), Depth + 1, Slots);
        }
        if (Choice && Slots.size() > First)
            Alternatives.emplace_back(First, Slots.size());
    }
    if (!Choice)
        return;
    // Once one alternative is there, the others are closed.
    const auto Present = [&Slots](const std::pair<size_t, size_t>& Range) {
        for (size_t S = Range.first; S < Range.second; ++S)
            if (!Slots[S].Occurrences.empty())
                return true;
        return false;
    };
    bool Taken = false;
    for (const auto& Range : Alternatives)
        Taken = Taken || Present(Range);
    if (!Taken)
        return;
    for (const auto& Range : Alternatives)
        if (!Present(Range))
            for (size_t S = Range.first; S < Range.second; ++S)
                Slots[S].Open = false;
}

const TElementSlot* SlotFor(const std::vector<TElementSlot>& Slots, TXMLNode* ElementDeclaration)
{
    for (const TElementSlot& Slot : Slots)
        if (Slot.Declaration == ElementDeclaration)
            return &Slot;
    return nullptr;
}

// The default instance of a declaration without optional content, named Name. A
// reference is built from the declaration it refers to (it has no name of its own
// to build from); a dangling one gives an empty element.
TXMLNode* Skeleton(TXMLNode* ElementDeclaration, const std::string& Name)
{
    TXMLNode* Source = ElementDeclaration;
    const std::string Ref = ElementDeclaration->GetAttribute("ref");
    if (!Ref.empty())
        Source = FindGlobal(ElementDeclaration, Ref);
    std::unique_ptr<TXMLNode> New(Source ? CreateSkeleton(Source, false, true)
                                         : TXMLNode::CreateNode(Name, nkElement, nullptr, std::string()));
    New->Name = Name;
    return New.release();
}

void InsertChild(TXMLNode* Element, TXMLNode* Child, int Index)
{
    Element->Children->Insert(Index, Child);
    Child->Parent = Element;
}

// Gives Element (shown under Declaration) the required elements it lacks, and the
// elements it holds theirs, Level levels down from the new element.
void AddRequiredContent(TXMLNode* Declaration, TXMLNode* Element, int Level)
{
    if (Level > MaxNewElementLevel)
        return;
    for (int Added = 0; Added < MaxRequiredAdded; ++Added) {
        const std::vector<TElementSlot> Slots = ElementSlots(Declaration, Element);
        const TElementSlot* Missing = nullptr;
        for (const TElementSlot& Slot : Slots)
            if (Slot.Required && Slot.Open && static_cast<int>(Slot.Occurrences.size()) < Slot.MinOccurs) {
                Missing = &Slot;
                break;
            }
        if (!Missing)
            break;
        InsertChild(Element, Skeleton(Missing->Declaration, Missing->Name), Missing->InsertIndex);
    }
    for (const TElementSlot& Slot : ElementSlots(Declaration, Element))
        for (int Index : Slot.Occurrences)
            AddRequiredContent(Slot.Declaration, Element->Child(Index), Level + 1);
}

} // namespace

std::vector<TElementSlot> ElementSlots(TXMLNode* Declaration, TXMLNode* Element)
{
    std::vector<TElementSlot> Slots;
    int Position = 0;
    if (Declaration && Element)
        WalkSlots(Declaration, Element, Position, false, 0, Slots);
    return Slots;
}

TXMLNode* NewSchemaElement(TXMLNode* ElementDeclaration, const std::string& Name)
{
    std::unique_ptr<TXMLNode> New(Skeleton(ElementDeclaration, Name));
    AddRequiredContent(ElementDeclaration, New.get(), 1);
    return New.release();
}

TXMLNode* AddSchemaElement(TXMLNode* Declaration, TXMLNode* Element, TXMLNode* ElementDeclaration)
{
    const std::vector<TElementSlot> Slots = ElementSlots(Declaration, Element);
    const TElementSlot* Slot = SlotFor(Slots, ElementDeclaration);
    if (!Slot || !Slot->Open)
        return nullptr;
    std::unique_ptr<TXMLNode> New(NewSchemaElement(ElementDeclaration, Slot->Name));
    InsertChild(Element, New.get(), Slot->InsertIndex);
    return New.release();
}

const TElementSlot* SlotOf(const std::vector<TElementSlot>& Slots, TXMLNode* Element, TXMLNode* Child)
{
    const int Index = Element->Children->IndexOf(Child);
    if (Index < 0)
        return nullptr;
    for (const TElementSlot& Slot : Slots)
        for (int Occurrence : Slot.Occurrences)
            if (Occurrence == Index)
                return &Slot;
    return nullptr;
}

bool CanRemoveElement(TXMLNode* Declaration, TXMLNode* Element, TXMLNode* Child)
{
    const std::vector<TElementSlot> Slots = ElementSlots(Declaration, Element);
    const TElementSlot* Slot = SlotOf(Slots, Element, Child);
    return !Slot || !Slot->Required || static_cast<int>(Slot->Occurrences.size()) > Slot->MinOccurs;
}
