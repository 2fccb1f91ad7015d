// A second program for the engine's tests: holds a table exclusively, or applies a large
// cache so that the test can kill it half-way (variant 1: while writing the rows;
// variant 3, local data: in the middle of the commit itself).
#include "platform/data/alias.h"
#include "platform/data/database.h"
#include "platform/data/table.h"
#include "testsupport/holdtable.h"
#include "testsupport/testserver.h"

#include <QCoreApplication>
#include <QThread>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

namespace {

// A VFS laid over SQLite's default one (Qt's driver uses the system library, so it
// opens its files through this) that stops the process at the worst moment of a commit
// over several table files: the super-journal exists, the first table file holds its
// new rows and is synced, the others are not written yet. Only the super-journal then
// tells that the first table's journal must still be rolled back.
sqlite3_vfs* gBase = nullptr;
sqlite3_vfs gPausing;
bool gSuperJournalOpened = false;

struct PausingFile {
    sqlite3_file Base; // pMethods: the methods below
    int Flags;
    sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

PausingFile* P(sqlite3_file* f) { return reinterpret_cast<PausingFile*>(f); }

int Close(sqlite3_file* f) { return P(f)->Real()->pMethods->xClose(P(f)->Real()); }
int Read(sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return P(f)->Real()->pMethods->xRead(P(f)->Real(), b, n, o); }
int Write(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) { return P(f)->Real()->pMethods->xWrite(P(f)->Real(), b, n, o); }
int Truncate(sqlite3_file* f, sqlite3_int64 s) { return P(f)->Real()->pMethods->xTruncate(P(f)->Real(), s); }
int Sync(sqlite3_file* f, int flags)
{
    int rc = P(f)->Real()->pMethods->xSync(P(f)->Real(), flags);
    if (gSuperJournalOpened && (P(f)->Flags & SQLITE_OPEN_MAIN_DB)) {
        std::printf("MIDCOMMIT\n");
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
    return rc;
}
int FileSize(sqlite3_file* f, sqlite3_int64* s) { return P(f)->Real()->pMethods->xFileSize(P(f)->Real(), s); }
int Lock(sqlite3_file* f, int l) { return P(f)->Real()->pMethods->xLock(P(f)->Real(), l); }
int Unlock(sqlite3_file* f, int l) { return P(f)->Real()->pMethods->xUnlock(P(f)->Real(), l); }
int CheckReservedLock(sqlite3_file* f, int* r) { return P(f)->Real()->pMethods->xCheckReservedLock(P(f)->Real(), r); }
int FileControl(sqlite3_file* f, int op, void* a) { return P(f)->Real()->pMethods->xFileControl(P(f)->Real(), op, a); }
int SectorSize(sqlite3_file* f) { return P(f)->Real()->pMethods->xSectorSize(P(f)->Real()); }
int DeviceCharacteristics(sqlite3_file* f) { return P(f)->Real()->pMethods->xDeviceCharacteristics(P(f)->Real()); }

// Version 1: rollback journals only, which is what the engine uses.
const sqlite3_io_methods kPausingMethods = {1, Close, Read, Write, Truncate, Sync, FileSize, Lock, Unlock,
                                            CheckReservedLock, FileControl, SectorSize, DeviceCharacteristics,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags)
{
    PausingFile* p = P(f);
    std::memset(p, 0, sizeof(PausingFile));
    int rc = gBase->xOpen(gBase, name, p->Real(), flags, outFlags);
    if (rc != SQLITE_OK || !p->Real()->pMethods)
        return rc;
    p->Flags = flags;
    p->Base.pMethods = &kPausingMethods;
    if (flags & SQLITE_OPEN_SUPER_JOURNAL)
        gSuperJournalOpened = true;
    return rc;
}

void RegisterPausingVfs()
{
    gBase = sqlite3_vfs_find(nullptr);
    gPausing = *gBase;
    gPausing.iVersion = 1;
    gPausing.zName = "quorvale-pausing";
    gPausing.szOsFile = int(sizeof(PausingFile)) + gBase->szOsFile;
    gPausing.xOpen = Open;
    gPausing.pAppData = nullptr;
    sqlite3_vfs_register(&gPausing, 1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return 2;
    const QString mode = argv[1];
    qputenv("VORN_ENGINE_CONFIG", argv[2]);
    if (mode == "apply" && argc >= 5 && QString(argv[4]).toInt() == 3)
        RegisterPausingVfs();
    try {
        if (mode == "hold") {
            HoldTable("TESTDATA", argv[3]);
            return 0;
        }
        TDatabase db;
        db.DatabaseName = "HELPER";
        db.AliasName = "TESTDATA";
        db.Params = QStringList{"USER NAME=" + TestServerUser(), "PASSWORD=" + TestServerPassword()};
        db.Open();
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
