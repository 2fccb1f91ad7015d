// Enters orders through the data module, as a clerk's program would, for the tests
// that run several programs on one database at once.
//
//   datamod_orderer <engine config> <orders> <part number> <customer number>
//
// Each order gets one line of 2 of the part. Prints "ORDER <number>" per order taken,
// then "RETRIES <n>" (numbers refused because another program held NEXTORD) and
// "DONE". A refusal that is not the held counter table, or any other failure, ends
// the program with exit code 1.
#include "DataMod.h"
#include "messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: datamod_orderer <config> <orders> <part> <customer>\n");
        return 2;
    }
    qputenv("VORN_ENGINE_CONFIG", argv[1]);
    const int count = QString(argv[2]).toInt();
    const double partNo = QString(argv[3]).toDouble();
    const double custNo = QString(argv[4]).toDouble();
    // No one is there to answer: any question is a failure of the run.
    TMessageResponderScope noUser([](const TMessageRequest& r) {
        std::fprintf(stderr, "unexpected message: %s\n", r.Text.toLocal8Bit().constData());
        std::exit(1);
        return mrCancel;
    });
    try {
        std::unique_ptr<TVornData> data(CreateVornData());
        int retries = 0;
        qint64 slowestRefusalMs = 0;
        for (int i = 0; i < count; ++i) {
            for (;;) {
                QElapsedTimer t;
                t.start();
                try {
                    data->Orders->Insert();
                    break;
                } catch (const EDatabaseError& e) {
                    if (!QString::fromStdString(e.Message).contains("in use")) {
                        std::fprintf(stderr, "taking a number failed: %s\n", e.what());
                        return 1;
                    }
                    slowestRefusalMs = std::max(slowestRefusalMs, t.elapsed());
                    ++retries;
                    QThread::usleep(200);
                }
            }
            const double orderNo = data->OrdersOrderNo->AsFloat();
            data->OrdersCustNo->SetAsFloat(custNo);
            data->OrdersEmpNo->SetAsInteger(data->Emps->Fields(0)->AsInteger());
            data->Items->Insert();
            data->ItemsPartNo->SetAsFloat(partNo);
            data->ItemsQty->SetAsInteger(2);
            data->Items->Post();
            data->Orders->Post();
            std::printf("ORDER %.0f\n", orderNo);
            std::fflush(stdout);
        }
        std::printf("RETRIES %d\nSLOWEST_REFUSAL_MS %lld\nDONE\n", retries, static_cast<long long>(slowestRefusalMs));
        std::fflush(stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
