#include "testsupport/holdtable.h"

#include "platform/data/database.h"
#include "platform/data/table.h"
#include "testsupport/testserver.h"

#include <cstdio>
#include <iostream>
#include <string>

void HoldTable(const QString& alias, const QString& table)
{
    TDatabase db;
    db.DatabaseName = "HOLDER";
    db.AliasName = alias;
    db.Params = QStringList{"USER NAME=" + TestServerUser(), "PASSWORD=" + TestServerPassword()};
    db.Open();
    TTable t;
    t.SetDatabase(&db);
    t.TableName = table;
    t.Exclusive = true;
    t.Open();
    std::printf("HELD\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    t.Close();
}
