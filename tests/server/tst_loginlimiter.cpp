#include "loginlimiter.h"

#include <QtTest>

namespace {

const QDateTime Start(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
const QString Guesser = QStringLiteral("192.168.1.20");
const QString Neighbour = QStringLiteral("192.168.1.21");

// A refusal from `from`, `secs` seconds after the start.
struct Failure
{
    qint64 secs;
    QString from;
};

} // namespace

Q_DECLARE_METATYPE(QVector<Failure>)

class tst_LoginLimiter : public QObject
{
    Q_OBJECT

private slots:
    void blocking_data();
    void blocking();

private:
    QDateTime m_now;
};

void tst_LoginLimiter::blocking_data()
{
    QTest::addColumn<QVector<Failure>>("failures");
    QTest::addColumn<qint64>("checkedAt");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<bool>("blocked");
    QTest::addColumn<int>("blocks");

    const auto burst = [](int count, qint64 from, qint64 step, const QString &address = Guesser) {
        QVector<Failure> failures;
        for (int i = 0; i < count; ++i)
            failures.append({from + i * step, address});
        return failures;
    };
    const int limit = LoginLimiter::MaxFailures;
    const qint64 window = LoginLimiter::FailureWindowSecs;
    const qint64 block = LoginLimiter::BlockSecs;

    QTest::newRow("one short of the limit") << burst(limit - 1, 0, 1) << qint64(limit) << Guesser << false << 0;
    QTest::newRow("at the limit") << burst(limit, 0, 1) << qint64(limit) << Guesser << true << 1;
    QTest::newRow("other address unaffected") << burst(limit, 0, 1) << qint64(limit) << Neighbour << false << 1;
    QTest::newRow("same address in IPv6 form")
        << burst(limit, 0, 1) << qint64(limit) << QStringLiteral("::ffff:192.168.1.20") << true << 1;
    QTest::newRow("refusals spread wider than the window")
        << burst(limit, 0, window / (limit - 1) + 1) << window + 100 << Guesser << false << 0;
    QTest::newRow("still blocked just before the end")
        << burst(limit, 0, 1) << qint64(limit - 1) + block - 1 << Guesser << true << 1;
    QTest::newRow("free again when the block ends")
        << burst(limit, 0, 1) << qint64(limit - 1) + block << Guesser << false << 1;
    QTest::newRow("refusals during a block neither count nor lengthen it")
        << burst(limit * 3, 0, 1) << qint64(limit - 1) + block << Guesser << false << 1;
    QTest::newRow("counting starts afresh after a block")
        << burst(limit, 0, 1) + burst(limit - 1, block + limit, 1) << block + 2 * limit << Guesser << false << 1;
    QTest::newRow("blocked again after a block")
        << burst(limit, 0, 1) + burst(limit, block + limit, 1) << block + 2 * limit << Guesser << true << 2;
    QTest::newRow("addresses counted apart")
        << burst(limit - 1, 0, 1) + burst(limit - 1, 0, 1, Neighbour) << qint64(limit) << Guesser << false << 0;
}

void tst_LoginLimiter::blocking()
{
    QFETCH(QVector<Failure>, failures);
    QFETCH(qint64, checkedAt);
    QFETCH(QString, checked);
    QFETCH(bool, blocked);
    QFETCH(int, blocks);

    LoginLimiter limiter([this] { return m_now; });
    QSignalSpy spy(&limiter, &LoginLimiter::blocked);
    for (const Failure &failure : failures) {
        m_now = Start.addSecs(failure.secs);
        limiter.recordFailure(QHostAddress(failure.from));
    }
    m_now = Start.addSecs(checkedAt);
    QCOMPARE(limiter.isBlocked(QHostAddress(checked)), blocked);

    QCOMPARE(spy.count(), blocks);
    if (blocks > 0) {
        // The first block: the address and its end, limit - 1 seconds after
        // the start when the refusals come a second apart.
        QCOMPARE(spy.first().at(0).toString(), Guesser);
        QCOMPARE(spy.first().at(1).toDateTime(), Start.addSecs(LoginLimiter::MaxFailures - 1 + LoginLimiter::BlockSecs));
    }
}

QTEST_GUILESS_MAIN(tst_LoginLimiter)
#include "tst_loginlimiter.moc"
