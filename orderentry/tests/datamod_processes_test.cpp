// Several programs entering orders on one database at the same moment, on local data
// or (built with DATAMOD_TEST_FIREBIRD) on the Firebird server: numbers are taken
// one program at a time through the exclusive NEXTORD, so no number is handed out
// twice, none is lost, and a program that finds NEXTORD held is told at once.
#include "datamod_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSet>

#include <memory>
#include <vector>

#ifdef DATAMOD_TEST_FIREBIRD
constexpr bool kFirebird = true;
#else
constexpr bool kFirebird = false;
#endif

class DataModProcessesTest : public QObject {
    Q_OBJECT

private slots:
    void fourProgramsEnterFiftyOrdersEachAtOnce()
    {
        if (kFirebird)
            REQUIRE_TEST_SERVER();
        constexpr int programs = 4, perProgram = 50;
        DataModStore store(kFirebird, 5);
        const double before = store.Number("SELECT NewKey FROM NEXTORD");
        const double ordersBefore = store.Number("SELECT COUNT(*) FROM ORDERS");
        // Each program orders its own part, so every part's OnOrder is one program's sum.
        auto partRows = store.Rows("SELECT PartNo, OnOrder FROM PARTS ORDER BY PartNo");
        QVERIFY(partRows.size() >= programs);

        std::vector<std::unique_ptr<QProcess>> running;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < programs; ++i) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::SeparateChannels);
            p->start(DATAMOD_ORDERER, {store.ConfigFile, QString::number(perProgram),
                                       QString::number(partRows[i][0].toDouble(), 'f', 0),
                                       QString::number(kCustBare, 'f', 0)});
            QVERIFY(p->waitForStarted());
            running.push_back(std::move(p));
        }
        QList<double> taken;
        int totalRetries = 0;
        QStringList figures;
        for (int i = 0; i < programs; ++i) {
            QProcess& p = *running[i];
            QVERIFY2(p.waitForFinished(600000), "an ordering program did not finish");
            const QString err = QString::fromLocal8Bit(p.readAllStandardError());
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, qPrintable(err));
            int orders = 0, retries = -1;
            QString slowest;
            bool done = false;
            for (const QString& line : QString::fromLocal8Bit(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
                const QStringList w = line.split(' ');
                if (w[0] == "ORDER") {
                    taken << w.value(1).toDouble();
                    ++orders;
                } else if (w[0] == "RETRIES") {
                    retries = w.value(1).toInt();
                } else if (w[0] == "SLOWEST_REFUSAL_MS") {
                    slowest = w.value(1);
                } else if (w[0] == "DONE") {
                    done = true;
                }
            }
            QVERIFY(done);
            QCOMPARE(orders, perProgram);
            QVERIFY(retries >= 0);
            totalRetries += retries;
            figures << QString("program %1: %2 orders, %3 retries, slowest refusal %4 ms")
                           .arg(i + 1).arg(orders).arg(retries).arg(slowest);
        }
        const qint64 ms = clock.elapsed();

        QSet<double> distinct(taken.begin(), taken.end());
        QCOMPARE(taken.size(), programs * perProgram);
        QCOMPARE(distinct.size(), programs * perProgram);
        for (double no : taken)
            QVERIFY(no >= before && no < before + programs * perProgram);
        const double after = store.Number("SELECT NewKey FROM NEXTORD");
        QCOMPARE(after, before + programs * perProgram);
        QCOMPARE(store.Number("SELECT COUNT(*) FROM ORDERS"), ordersBefore + programs * perProgram);
        QCOMPARE(store.Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo >= ?", {before}), double(programs * perProgram));
        QCOMPARE(store.Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo >= ?", {before}), double(programs * perProgram));
        QCOMPARE(store.Number("SELECT SUM(ItemsTotal) FROM ORDERS WHERE OrderNo >= ? AND ItemsTotal > 0", {before}),
                 store.Number("SELECT SUM(i.Qty * p.ListPrice) FROM ITEMS i JOIN PARTS p ON p.PartNo = i.PartNo "
                              "WHERE i.OrderNo >= ? AND i.Discount = 0", {before}));
        for (int i = 0; i < programs; ++i)
            QCOMPARE(store.Number("SELECT OnOrder FROM PARTS WHERE PartNo = ?", {partRows[i][0]}),
                     partRows[i][1].toDouble() + 2 * perProgram);

        qInfo().noquote() << (kFirebird ? "Firebird:" : "local data:") << programs * perProgram << "orders in" << ms
                          << "ms; NEXTORD" << before << "->" << after << ";" << totalRetries << "retries";
        for (const QString& f : figures)
            qInfo().noquote() << f;
    }
};

QTEST_MAIN(DataModProcessesTest)
#include "datamod_processes_test.moc"
