// Enters orders through the data module, as a clerk's program would, for the tests
// that run several programs on one database at once.
//
//   datamod_orderer <engine config> <orders> <part number> <customer number> [retry]
//   datamod_orderer hold <engine config> <table>
//
// Each order gets one line of 2 of the part. Prints "ORDER <number>" per order stored,
// then "RETRIES <n>" (numbers refused because another program held NEXTORD) and
// "DONE". A refusal that is not the held counter table, or any other failure, ends
// the program with exit code 1. With "retry", a save that another program's change
// made fail (the question "...Discard the edits to PartNo ..." is answered Cancel, or
// the order could not be written) is dropped as a clerk would drop it, and the order
// is entered again; "QUESTIONS <n>" and "DROPPED <n>" count them.
//
// "hold" opens the table exclusively, prints "HELD", and lets go when its input ends.
#include "orderentry/DataMod.h"
#include "platform/widgets/messages.h"
#include "testsupport/holdtable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc >= 4 && QString(argv[1]) == "hold") {
        qputenv("VORN_ENGINE_CONFIG", argv[2]);
        try {
            HoldTable("DBDEMOS", argv[3]);
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "holding failed: %s\n", e.what());
            return 1;
        }
    }
    if (argc < 5) {
        std::fprintf(stderr, "usage: datamod_orderer <config> <orders> <part> <customer> [retry]\n");
        return 2;
    }
    qputenv("VORN_ENGINE_CONFIG", argv[1]);
    const int count = QString(argv[2]).toInt();
    const double partNo = QString(argv[3]).toDouble();
    const double custNo = QString(argv[4]).toDouble();
    const bool retry = argc >= 6 && QString(argv[5]) == "retry";
    int questions = 0;
    // No one is there to answer: any other question is a failure of the run.
    TMessageResponderScope noUser([&](const TMessageRequest& r) {
        if (retry && r.Text.contains("\r\nDiscard the edits to PartNo ")) {
            ++questions;
            return mrCancel;
        }
        std::fprintf(stderr, "unexpected message: %s\n", r.Text.toLocal8Bit().constData());
        std::exit(1);
        return mrCancel;
    });
    try {
        std::unique_ptr<TVornData> data(CreateVornData());
        int retries = 0, dropped = 0;
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
            try {
                data->Orders->Post();
            } catch (const Exception& e) {
                if (!retry)
                    throw;
                // The apply rolled back and its caches wait: drop the order, enter it again.
                ++dropped;
                data->OrdersAfterCancel(data->Orders);
                --i;
                continue;
            }
            std::printf("ORDER %.0f\n", orderNo);
            std::fflush(stdout);
        }
        std::printf("RETRIES %d\nSLOWEST_REFUSAL_MS %lld\nQUESTIONS %d\nDROPPED %d\nDONE\n", retries,
                    static_cast<long long>(slowestRefusalMs), questions, dropped);
        std::fflush(stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
