// Guards: transfer speed over its sliding window, time left, report pacing and the status text.
#include "core/transfer/TransferRate.h"

#include <QtTest>

using namespace pw;
using namespace std::chrono_literals;

class TestTransferRate : public QObject {
    Q_OBJECT

private slots:
    void rate_data() {
        QTest::addColumn<QString>("steps"); // "ms:done/total" progress reports, in order
        QTest::addColumn<double>("speed");
        QTest::addColumn<qint64>("left");
        QTest::addColumn<int>("reports"); // how many of the steps asked for a report
        QTest::newRow("no bytes yet") << "0:0/1000" << 0.0 << -1ll << 0;
        QTest::newRow("no time passed") << "0:0/1000 0:500/1000" << 0.0 << -1ll << 0;
        QTest::newRow("steady") << "0:0/1000000 1000:100000/1000000 2000:200000/1000000" << 100000.0
                                << 8ll << 2;
        QTest::newRow("left rounded up") << "0:0/1000 1000:300/1000" << 300.0 << 3ll << 1;
        QTest::newRow("due exactly at the interval")
            << "0:0/1000 500:100/1000" << 200.0 << 5ll << 1;
        QTest::newRow("total unknown") << "0:0/0 1000:5000/0" << 5000.0 << -1ll << 1;
        QTest::newRow("resumed part is no speed")
            << "0:400000/1000000 1000:500000/1000000" << 100000.0 << 5ll << 1;
        QTest::newRow("stall longer than the window")
            << "0:0/1000000 1000:100000/1000000 7000:100000/1000000" << 0.0 << -1ll << 2;
        QTest::newRow("old speed leaves the window")
            << "0:0/9000000 1000:1000000/9000000 2000:1100000/9000000 3000:1200000/9000000 "
               "4000:1300000/9000000 5000:1400000/9000000 6000:1500000/9000000 "
               "7000:1600000/9000000 8000:1700000/9000000"
            << 100000.0 << 73ll << 8;
        QTest::newRow("complete") << "0:0/1000 1000:1000/1000" << 1000.0 << 0ll << 1;
        QTest::newRow("count goes back: a new transfer")
            << "0:0/1000000 1000:500000/1000000 2000:100000/1000000 3000:200000/1000000" << 100000.0
            << 8ll << 2;
        QTest::newRow("another total: a new transfer")
            << "0:0/1000 1000:900/1000 1100:950/2000" << 0.0 << -1ll << 1;
        QTest::newRow("at most twice a second")
            << "0:0/100000 100:10/100000 200:20/100000 300:30/100000 400:40/100000 "
               "500:50/100000 600:60/100000 700:70/100000 800:80/100000 900:90/100000 "
               "1000:100/100000 1400:140/100000"
            << 100.0 << 999ll << 2;
        QTest::newRow("dense reports keep the window exact")
            << "0:0/100000 1:1/100000 2:2/100000 3:3/100000 1000:1000/100000 5999:5999/100000 "
               "6000:6000/100000"
            << 1000.0 << 94ll << 2;
    }

    void rate() {
        QFETCH(QString, steps);
        QFETCH(double, speed);
        QFETCH(qint64, left);
        QFETCH(int, reports);
        TransferRate::TimePoint now{};
        TransferRate rate([&] { return now; }, 5000ms, 500ms);
        int due = 0;
        for (const QString& step : steps.split(' ')) {
            now =
                TransferRate::TimePoint(std::chrono::milliseconds(step.section(':', 0, 0).toInt()));
            const QString counts = step.section(':', 1);
            due += rate.Update(counts.section('/', 0, 0).toLongLong(),
                               counts.section('/', 1).toLongLong());
        }
        QCOMPARE(rate.BytesPerSecond(), speed);
        QCOMPARE(rate.SecondsLeft(), left);
        QCOMPARE(due, reports);
        rate.Reset();
        QCOMPARE(rate.SecondsLeft(), -1ll);
    }

    void text_data() {
        QTest::addColumn<double>("speed");
        QTest::addColumn<qint64>("left");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing runs") << -1.0 << 5ll << "";
        QTest::newRow("no speed yet") << 0.0 << -1ll << "0 B/s";
        QTest::newRow("bytes") << 999.4 << -1ll << "999 B/s";
        QTest::newRow("rounds up to kB") << 999.5 << 42ll << "1.0 kB/s, 0:42 left";
        QTest::newRow("MB") << 1234567.0 << 42ll << "1.2 MB/s, 0:42 left";
        QTest::newRow("rounds up to MB") << 999960.0 << 0ll << "1.0 MB/s, 0:00 left";
        QTest::newRow("hours") << 3000.0 << 3723ll << "3.0 kB/s, 1:02:03 left";
        QTest::newRow("many hours") << 100.0 << 360000ll << "100 B/s, 100:00:00 left";
        QTest::newRow("GB") << 5e9 << 59ll << "5.0 GB/s, 0:59 left";
    }

    void text() {
        QFETCH(double, speed);
        QFETCH(qint64, left);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(TransferRateText(speed, left)), text);
    }
};

QTEST_GUILESS_MAIN(TestTransferRate)
#include "test_transfer_rate.moc"
