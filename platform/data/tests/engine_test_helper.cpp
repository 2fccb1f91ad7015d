// A second program for the engine's tests: holds a table exclusively, or applies a large
// cache so that the test can kill it half-way.
#include "alias.h"
#include "database.h"
#include "table.h"
#include "teststore.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return 2;
    const QString mode = argv[1];
    qputenv("VORN_ENGINE_CONFIG", argv[2]);
    try {
        TDatabase db;
        db.DatabaseName = "HELPER";
        db.AliasName = "TESTDATA";
        db.Params = QStringList{"USER NAME=" + TestServerUser(), "PASSWORD=" + TestServerPassword()};
        db.Open();
        if (mode == "hold") {
            TTable t;
            t.SetDatabase(&db);
            t.TableName = argv[3];
            t.Exclusive = true;
            t.Open();
            std::printf("HELD\n");
            std::fflush(stdout);
            std::string line;
            while (std::getline(std::cin, line)) {
            }
            t.Close();
            return 0;
        }
        if (mode == "apply" && argc >= 5) {
            const int n = QString(argv[3]).toInt();
            const int variant = QString(argv[4]).toInt();
            const double base = variant == 1 ? 200000 : 100000;
            TTable orders, items;
            for (TTable* t : {&orders, &items}) {
                t->SetDatabase(&db);
                t->SetCachedUpdates(true);
            }
            orders.TableName = "ORDERS";
            items.TableName = "ITEMS";
            orders.Open();
            items.Open();
            for (int i = 0; i < n; ++i) {
                if (variant == 1 && i == n / 2) {
                    // A stored order number: the apply stops here until the test kills us.
                    orders.Append();
                    orders.FieldByName("OrderNo")->SetAsFloat(1001);
                    orders.Post();
                }
                orders.Append();
                orders.FieldByName("OrderNo")->SetAsFloat(base + i);
                orders.FieldByName("CustNo")->SetAsFloat(1);
                orders.Post();
                for (int j = 1; j <= 3; ++j) {
                    items.Append();
                    items.FieldByName("OrderNo")->SetAsFloat(base + i);
                    items.FieldByName("ItemNo")->SetAsFloat(j);
                    items.FieldByName("Qty")->SetAsInteger(j);
                    items.Post();
                }
            }
            orders.OnUpdateError = [](TDataSet*, EDatabaseError&, TUpdateKind, TUpdateAction&) {
                std::printf("MIDAPPLY\n");
                std::fflush(stdout);
                for (;;)
                    QThread::sleep(1);
            };
            std::printf("APPLYING\n");
            std::fflush(stdout);
            db.ApplyUpdates({&orders, &items});
            std::printf("DONE\n");
            std::fflush(stdout);
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 2;
}
