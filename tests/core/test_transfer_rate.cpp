// Guards: transfer speed over its sliding window, time left, report pacing and the status text.
#include "core/transfer/TransferRate.h"

#include "support/TableRows.h"

#include <QtTest>

using namespace pw;
using namespace std::chrono_literals;

namespace {
// Steps are "ms:done/total" progress reports in order; `reports` counts the steps that asked
// for a report. Window 5 s, reports at most every 500 ms.
// clang-format off
const struct { const char* name; const char* steps; double speed; qint64 left; int reports; } kRates[] = {
    {"no bytes yet", "0:0/1000", 0, -1, 0},
    {"no time passed", "0:0/1000 0:500/1000", 0, -1, 0},
    {"steady", "0:0/1000000 1000:100000/1000000 2000:200000/1000000", 100000, 8, 2},
    {"left rounded up", "0:0/1000 1000:300/1000", 300, 3, 1},
    {"due exactly at the interval", "0:0/1000 500:100/1000", 200, 5, 1},
    {"total unknown", "0:0/0 1000:5000/0", 5000, -1, 1},
    {"resumed part is no speed", "0:400000/1000000 1000:500000/1000000", 100000, 5, 1},
    {"stall longer than the window", "0:0/1000000 1000:100000/1000000 7000:100000/1000000", 0, -1, 2},
    {"old speed leaves the window", "0:0/9000000 1000:1000000/9000000 2000:1100000/9000000 "
     "3000:1200000/9000000 4000:1300000/9000000 5000:1400000/9000000 6000:1500000/9000000 "
     "7000:1600000/9000000 8000:1700000/9000000", 100000, 73, 8},
    {"complete", "0:0/1000 1000:1000/1000", 1000, 0, 1},
    {"count goes back: a new transfer",
     "0:0/1000000 1000:500000/1000000 2000:100000/1000000 3000:200000/1000000", 100000, 8, 2},
    {"another total: a new transfer", "0:0/1000 1000:900/1000 1100:950/2000", 0, -1, 1},
    {"at most twice a second", "0:0/100000 100:10/100000 200:20/100000 300:30/100000 "
     "400:40/100000 500:50/100000 600:60/100000 700:70/100000 800:80/100000 900:90/100000 "
     "1000:100/100000 1400:140/100000", 100, 999, 2},
    {"dense reports keep the window exact", "0:0/100000 1:1/100000 2:2/100000 3:3/100000 "
     "1000:1000/100000 5999:5999/100000 6000:6000/100000", 1000, 94, 2}};
const struct { const char* name; double speed; qint64 left; const char* text; } kTexts[] = {
    {"nothing runs", -1, 5, ""}, {"no speed yet", 0, -1, "0 B/s"}, {"bytes", 999.4, -1, "999 B/s"},
    {"rounds up to kB", 999.5, 42, "1.0 kB/s, 0:42 left"},
    {"rounds up to MB", 999960, 0, "1.0 MB/s, 0:00 left"},
    {"hours", 3000, 3723, "3.0 kB/s, 1:02:03 left"},
    {"many hours", 100, 360000, "100 B/s, 100:00:00 left"}, {"GB", 5e9, 59, "5.0 GB/s, 0:59 left"}};
// clang-format on
} // namespace

class TestTransferRate : public QObject {
    Q_OBJECT
private slots:
    void rate_data() { addRows(kRates); }
    void rate() {
        const auto& r = kRates[fetchedRow()];
        TransferRate::TimePoint now{};
        TransferRate rate([&] { return now; }, 5000ms, 500ms);
        int due = 0;
        for (const QString& step : QString(r.steps).split(' ')) {
            now =
                TransferRate::TimePoint(std::chrono::milliseconds(step.section(':', 0, 0).toInt()));
            const QString counts = step.section(':', 1);
            due += rate.Update(counts.section('/', 0, 0).toLongLong(),
                               counts.section('/', 1).toLongLong());
        }
        QCOMPARE(rate.BytesPerSecond(), r.speed);
        QCOMPARE(rate.SecondsLeft(), r.left);
        QCOMPARE(due, r.reports);
        rate.Reset();
        QCOMPARE(rate.SecondsLeft(), -1ll);
    }
    void text_data() { addRows(kTexts); }
    void text() {
        const auto& r = kTexts[fetchedRow()];
        QCOMPARE(TransferRateText(r.speed, r.left), std::string(r.text));
    }
};

QTEST_GUILESS_MAIN(TestTransferRate)
#include "test_transfer_rate.moc"
