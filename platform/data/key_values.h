// How the engine compares the values of an order key and writes the values of a
// record's identity, the same way for rows read from storage and for cached records.
#pragma once

#include <QDataStream>
#include <QVariant>

// Null sorts before everything; numbers of any width compare as numbers; anything
// else compares as text, case-sensitively.
int CompareValues(const QVariant& a, const QVariant& b);

// One key value as identities and lookup keys write it: numbers of any width are one
// value, and null is apart from every text.
void WriteKeyValue(QDataStream& s, const QVariant& v);
