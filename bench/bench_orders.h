// The benchmarks' order database: ORDERS orders built by the order-database builder in
// FOLDER (a temporary one by default) unless it holds them already, reached through
// the engine alias BENCH (and DBDEMOS, as the order-entry program names its data).
#pragma once

#include "platform/data/localstore.h"
#include "tools/orderdata/builder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

struct TBenchOrders {
    QTemporaryDir Dir;
    QString Folder;
    int Orders = 1000000;

    // Reads [ORDERS [FOLDER]], builds what is missing and points the engine at it;
    // false after printing the usage line when the arguments are wrong.
    bool Prepare(int argc, char** argv, const char* program)
    {
        bool number = true;
        if (argc > 1)
            Orders = QString(argv[1]).toInt(&number);
        if (!number || Orders < 1) {
            std::fprintf(stderr, "usage: %s [ORDERS [FOLDER]]: ORDERS is a number of orders, 1 or more\n", program);
            return false;
        }
        Folder = argc > 2 ? QDir(argv[2]).absolutePath() : Dir.filePath("data");
        if (!QFileInfo::exists(LocalTableFile(Folder, "ORDERS"))) {
            QElapsedTimer t;
            t.start();
            vorndata::BuildOptions options;
            options.orders = Orders;
            const vorndata::BuildResult built = vorndata::BuildLocal(Folder, options);
            std::printf("built %lld orders and %lld lines in %.1f s\n", (long long)built.orders,
                        (long long)built.items, t.nsecsElapsed() / 1e9);
        }
        QFile cfg(Dir.filePath("engine.ini"));
        cfg.open(QIODevice::WriteOnly);
        // DBDEMOS too, the alias the order-entry program's data module connects under.
        for (const char* alias : {"BENCH", "DBDEMOS"})
            QTextStream(&cfg) << "[" << alias << "]\nDRIVER=PARADOX\nPATH=" << Folder << "\n";
        cfg.close();
        qputenv("VORN_ENGINE_CONFIG", Dir.filePath("engine.ini").toUtf8());
        return true;
    }
};
