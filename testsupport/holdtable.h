// For the tests' helper programs, which stand for another user of the same data.
#pragma once

#include <QString>

// Opens the table exclusively through the alias with the tests' server login, prints
// "HELD", and lets go when standard input ends. Throws EDatabaseError when it cannot.
void HoldTable(const QString& alias, const QString& table);
