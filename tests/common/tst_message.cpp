#include "message.h"

#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class tst_Message : public QObject
{
    Q_OBJECT

private slots:
    void refreshRequest();
    void packLayout();
    void largePayload();
    void unpackStatus_data();
    void unpackStatus();
    void trailingBytesIgnored();
    void everySplitPoint();
    void loginCredentials();
    void loginCredentialsTruncated();
    void attemptsLeft();
    void answerBatch();
    void answerBatchShort_data();
    void answerBatchShort();
};

void tst_Message::refreshRequest()
{
    QCOMPARE(packMessage(Message()).value(), hex("0000"));
    QCOMPARE(emptyMessageBytes(), hex("0000"));
    const UnpackResult r = unpackMessage(hex("0000"));
    QCOMPARE(r.status, UnpackResult::Complete);
    QVERIFY(r.message.sections.isEmpty());
}

void tst_Message::packLayout()
{
    Message m;
    m.sections << Section{0, BlockListSection, hex("0000")} << Section{0, AnswerListSection, QByteArray()};
    const QByteArray expected = hex("0200"
                                    "00000000" "03000000" "02000000" "0000"
                                    "00000000" "04000000" "00000000");
    QCOMPARE(packMessage(m).value(), expected);
    const UnpackResult r = unpackMessage(expected);
    QCOMPARE(r.status, UnpackResult::Complete);
    QCOMPARE(r.message, m);
}

void tst_Message::largePayload()
{
    QByteArray payload(65536 + 17, 'x');
    payload[0] = 'a';
    payload[payload.size() - 1] = 'z';
    const QByteArray packed = packMessage(Message::single(AnswerListSection, payload)).value();
    QCOMPARE(packed.size(), 2 + 12 + payload.size());
    QCOMPARE(packed.mid(10, 4), hex("11000100"));
    const UnpackResult r = unpackMessage(packed);
    QCOMPARE(r.status, UnpackResult::Complete);
    QCOMPARE(r.message.sections.at(0).data, payload);
}

void tst_Message::unpackStatus_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("knownSize");

    QTest::newRow("nothing") << QByteArray() << int(UnpackResult::Incomplete) << qint64(2);
    QTest::newRow("half a count") << hex("01") << int(UnpackResult::Incomplete) << qint64(2);
    QTest::newRow("count without sections") << hex("0100") << int(UnpackResult::Incomplete) << qint64(2);
    QTest::newRow("header cut") << hex("0100" "00000000" "0500") << int(UnpackResult::Incomplete) << qint64(2);
    QTest::newRow("data cut") << hex("0100" "00000000" "05000000" "04000000" "aabb")
                              << int(UnpackResult::Incomplete) << qint64(18);
    QTest::newRow("second head, no data") << hex("0200" "00000000" "03000000" "01000000" "aa"
                                                 "00000000" "04000000" "00000001")
                                          << int(UnpackResult::Incomplete) << qint64(2 + 13 + 12 + 0x1000000);
    QTest::newRow("negative size") << hex("0100" "00000000" "05000000" "ffffffff") << int(UnpackResult::Invalid)
                                   << qint64(2);
    QTest::newRow("empty section") << hex("0100" "00000000" "07000000" "00000000") << int(UnpackResult::Complete)
                                   << qint64(14);
}

void tst_Message::unpackStatus()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(qint64, knownSize);
    QCOMPARE(int(unpackMessage(bytes).status), status);
    QCOMPARE(knownMessageSize(bytes), knownSize);
}

void tst_Message::trailingBytesIgnored()
{
    const QByteArray two = hex("0000") + hex("0000");
    const UnpackResult r = unpackMessage(two);
    QCOMPARE(r.status, UnpackResult::Complete);
    QVERIFY(r.message.sections.isEmpty());
}

void tst_Message::everySplitPoint()
{
    Message m;
    m.sections << Section{0, BlockListSection, QByteArray(40, 'b')}
               << Section{0, AnswerListSection, QByteArray(3, 'a')};
    const QByteArray packed = packMessage(m).value();
    for (int i = 0; i < packed.size(); ++i)
        QCOMPARE(unpackMessage(packed.left(i)).status, UnpackResult::Incomplete);
    QCOMPARE(unpackMessage(packed).message, m);
}

void tst_Message::loginCredentials()
{
    const LoginCredentials c{QStringLiteral("Антон"), QByteArray("0a1b2c")};
    const QByteArray expected = hex("0500" "1004" "3d04" "4204" "3e04" "3d04" "0600") + QByteArray("0a1b2c");
    QCOMPARE(encodeLoginCredentials(c).value(), expected);
    QCOMPARE(decodeLoginCredentials(expected).value(), c);
}

void tst_Message::loginCredentialsTruncated()
{
    const QByteArray bytes = encodeLoginCredentials({QStringLiteral("user"), "secret"}).value();
    for (int i = 0; i < bytes.size(); ++i)
        QVERIFY(!decodeLoginCredentials(bytes.left(i)));
}

void tst_Message::attemptsLeft()
{
    QCOMPARE(encodeAttemptsLeft(2), hex("02000000"));
    QCOMPARE(decodeAttemptsLeft(hex("01000000")).value(), 1);
    QVERIFY(!decodeAttemptsLeft(hex("010000")));
}

void tst_Message::answerBatch()
{
    AnswerBatch batch;
    batch.subject = 4;
    batch.items << AnswerItem{10, 2, 5} << AnswerItem{11, 2, -3};
    const QByteArray expected = hex("04000000" "ffffffff" "0200"
                                    "0a000000" "02000000" "05000000"
                                    "0b000000" "02000000" "fdffffff");
    QCOMPARE(encodeAnswerBatch(batch).value(), expected);
    QCOMPARE(decodeAnswerBatch(expected).value(), batch);
}

void tst_Message::answerBatchShort_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("items");

    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("9-byte head") << hex("ffffffff" "ffffffff" "01") << false << 0;
    QTest::newRow("head only, count 0") << hex("ffffffff" "ffffffff" "0000") << true << 0;
    QTest::newRow("count 3, one whole item and a half")
        << hex("ffffffff" "ffffffff" "0300" "010000000200000003000000" "010000") << true << 1;
}

void tst_Message::answerBatchShort()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, valid);
    QFETCH(int, items);
    const auto batch = decodeAnswerBatch(payload);
    QCOMPARE(bool(batch), valid);
    if (batch)
        QCOMPARE(batch->items.size(), items);
}

QTEST_APPLESS_MAIN(tst_Message)
#include "tst_message.moc"
