#include "message.h"
#include "messageassembler.h"

#include <QtTest>

namespace {

QByteArray sampleMessage(int payloadSize)
{
    return packMessage(Message::single(AnswerListSection, QByteArray(payloadSize, 'q'))).value();
}

} // namespace

class tst_MessageAssembler : public QObject
{
    Q_OBJECT

private slots:
    void chunksFormOneMessage();
    void pauseInsideMessageKeepsCollecting();
    void completeMessageAfterQuietPeriod();
    void incompleteGivenUpAfterIdle();
    void invalidDropped();
    void sizeLimit();
    void clearForgetsBytes();
};

void tst_MessageAssembler::chunksFormOneMessage()
{
    MessageAssembler assembler;
    QSignalSpy ready(&assembler, &MessageAssembler::messageReady);
    const QByteArray message = sampleMessage(1000);
    for (int i = 0; i < message.size(); i += 100)
        assembler.append(message.mid(i, 100));
    QVERIFY(ready.wait(1000));
    QCOMPARE(ready.count(), 1);
    QCOMPARE(ready.at(0).at(0).toByteArray(), message);
    QVERIFY(!assembler.isCollecting());
}

void tst_MessageAssembler::pauseInsideMessageKeepsCollecting()
{
    MessageAssembler assembler;
    QSignalSpy ready(&assembler, &MessageAssembler::messageReady);
    QSignalSpy dropped(&assembler, &MessageAssembler::messageDropped);
    const QByteArray message = sampleMessage(70000);
    assembler.append(message.left(30000));
    // Three quiet periods pass while only the beginning is here.
    QTest::qWait(3 * MessageAssembler::QuietPeriodMs);
    QCOMPARE(ready.count(), 0);
    QVERIFY(assembler.isCollecting());
    assembler.append(message.mid(30000));
    QVERIFY(ready.wait(1000));
    QCOMPARE(ready.at(0).at(0).toByteArray(), message);
    QCOMPARE(dropped.count(), 0);
}

void tst_MessageAssembler::completeMessageAfterQuietPeriod()
{
    MessageAssembler assembler;
    QSignalSpy ready(&assembler, &MessageAssembler::messageReady);
    // Two messages arriving together are one buffer; its first count word
    // decides what is read.
    const QByteArray twice = emptyMessageBytes() + emptyMessageBytes();
    assembler.append(twice);
    QVERIFY(ready.wait(1000));
    QCOMPARE(ready.at(0).at(0).toByteArray(), twice);
}

void tst_MessageAssembler::incompleteGivenUpAfterIdle()
{
    MessageAssembler assembler;
    QCOMPARE(assembler.giveUpInterval(), MessageAssembler::GiveUpMs);
    assembler.setGiveUpInterval(4 * MessageAssembler::QuietPeriodMs);
    QSignalSpy ready(&assembler, &MessageAssembler::messageReady);
    QSignalSpy dropped(&assembler, &MessageAssembler::messageDropped);
    assembler.append(sampleMessage(100).left(50));
    QVERIFY(dropped.wait(5000));
    QCOMPARE(dropped.at(0).at(0).toLongLong(), 50);
    QCOMPARE(ready.count(), 0);
    QVERIFY(!assembler.isCollecting());
}

void tst_MessageAssembler::invalidDropped()
{
    MessageAssembler assembler;
    QSignalSpy ready(&assembler, &MessageAssembler::messageReady);
    QSignalSpy dropped(&assembler, &MessageAssembler::messageDropped);
    assembler.append(QByteArray::fromHex("0100" "00000000" "05000000" "feffffff"));
    QVERIFY(dropped.wait(1000));
    QCOMPARE(ready.count(), 0);
}

void tst_MessageAssembler::sizeLimit()
{
    MessageAssembler assembler;
    assembler.setSizeLimit(1000);
    QSignalSpy dropped(&assembler, &MessageAssembler::messageDropped);
    const QByteArray message = sampleMessage(2000);
    assembler.append(message.left(900));
    QCOMPARE(dropped.count(), 0);
    assembler.append(message.mid(900, 200));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.at(0).at(0).toLongLong(), 1100);
    QVERIFY(!assembler.isCollecting());
}

void tst_MessageAssembler::clearForgetsBytes()
{
    MessageAssembler assembler;
    QSignalSpy ready(&assembler, &MessageAssembler::messageReady);
    assembler.append(emptyMessageBytes());
    assembler.clear();
    QTest::qWait(3 * MessageAssembler::QuietPeriodMs);
    QCOMPARE(ready.count(), 0);
}

QTEST_GUILESS_MAIN(tst_MessageAssembler)
#include "tst_messageassembler.moc"
