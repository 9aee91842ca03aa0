#include "clientprotocol.h"
#include "encoding.h"

#include <QTest>

Q_DECLARE_METATYPE(AnswerBatch)

class TestClientProtocol : public QObject
{
    Q_OBJECT

private slots:
    void loginRequestBytes_data();
    void loginRequestBytes();
    void loginTooLongIsNotSent();
    void answerSubmissionBytes_data();
    void answerSubmissionBytes();
    void decodesDataReplyInOrder();
    void decodesRefusal();
    void keepsUnknownSections();
    void damagedMessages_data();
    void damagedMessages();
};

void TestClientProtocol::loginRequestBytes_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("cyrillic login, ascii password")
        << QStringLiteral("Иван") << QByteArray("ab1")
        << QByteArray::fromHex("0100" "00000000" "01000000" "0f000000"
                               "0400" "1804" "3204" "3004" "3d04"
                               "0300" "616231");
    QTest::newRow("password typed in cyrillic is sent as utf-8")
        << QStringLiteral("a") << QStringLiteral("пя").toUtf8()
        << QByteArray::fromHex("0100" "00000000" "01000000" "0a000000"
                               "0100" "6100"
                               "0400" "d0bfd18f");
    QTest::newRow("empty login and password")
        << QString() << QByteArray()
        << QByteArray::fromHex("0100" "00000000" "01000000" "04000000" "0000" "0000");
}

void TestClientProtocol::loginRequestBytes()
{
    QFETCH(QString, login);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, expected);
    const auto bytes = ::loginRequestBytes(LoginCredentials{login, password});
    QVERIFY(bytes);
    QCOMPARE(bytes->toHex(), expected.toHex());
}

void TestClientProtocol::loginTooLongIsNotSent()
{
    QVERIFY(!::loginRequestBytes(LoginCredentials{QString(0x10000, QLatin1Char('x')), "p"}));
}

void TestClientProtocol::answerSubmissionBytes_data()
{
    QTest::addColumn<AnswerBatch>("batch");
    QTest::addColumn<QByteArray>("expected");

    AnswerBatch expert;
    expert.subject = 7;
    expert.items = {AnswerItem{3, 12, 5}, AnswerItem{4, 12, -2}};
    QTest::newRow("expert rates teacher 7")
        << expert
        << QByteArray::fromHex("0100" "00000000" "05000000" "22000000"
                               "07000000" "ffffffff" "0200"
                               "03000000" "0c000000" "05000000"
                               "04000000" "0c000000" "feffffff");

    AnswerBatch parent;
    parent.items = {AnswerItem{0, 1, 100}};
    QTest::newRow("parent rates nobody")
        << parent
        << QByteArray::fromHex("0100" "00000000" "05000000" "16000000"
                               "ffffffff" "ffffffff" "0100"
                               "00000000" "01000000" "64000000");

    QTest::newRow("no items") << AnswerBatch{}
                              << QByteArray::fromHex("0100" "00000000" "05000000" "0a000000"
                                                     "ffffffff" "ffffffff" "0000");
}

void TestClientProtocol::answerSubmissionBytes()
{
    QFETCH(AnswerBatch, batch);
    QFETCH(QByteArray, expected);
    const auto bytes = ::answerSubmissionBytes(batch);
    QVERIFY(bytes);
    QCOMPARE(bytes->toHex(), expected.toHex());
}

void TestClientProtocol::decodesDataReplyInOrder()
{
    QuestionBlock block;
    block.name = QStringLiteral("Уроки");
    block.id = 4;
    block.active = true;
    Question question;
    question.text = QStringLiteral("Понятно ли объясняет?");
    question.id = 9;
    question.maxValue = 5;
    question.minValue = 1;
    block.questions = {question};

    Answer answer;
    answer.questionId = 9;
    answer.blockId = 4;
    answer.date = QDate(2024, 3, 1);
    answer.value = 4;
    answer.authorName = QStringLiteral("Эксперт");

    TeacherEntry teacher;
    teacher.id = 2;
    teacher.name = QStringLiteral("Петрова");
    teacher.answeredBlocks = {4};
    teacher.group = 1;

    Message reply;
    reply.sections = {Section{0, BlockListSection, *encodeBlockList({block})},
                      Section{0, AnswerListSection, *encodeAnswerList({answer})},
                      Section{0, TeacherProgressSection, *encodeTeacherList({teacher})}};
    const auto sections = decodeServerMessage(*packMessage(reply));
    QVERIFY(sections);
    QCOMPARE(sections->size(), 3);
    QCOMPARE(sections->at(0).type, qint32(BlockListSection));
    QCOMPARE(sections->at(0).blocks, QVector<QuestionBlock>{block});
    QCOMPARE(sections->at(1).type, qint32(AnswerListSection));
    QCOMPARE(sections->at(1).answers, QVector<Answer>{answer});
    QCOMPARE(sections->at(2).type, qint32(TeacherProgressSection));
    QCOMPARE(sections->at(2).teachers, QVector<TeacherEntry>{teacher});
}

void TestClientProtocol::decodesRefusal()
{
    const auto sections = decodeServerMessage(QByteArray::fromHex("0100" "00000000" "02000000" "04000000"
                                                                  "01000000"));
    QVERIFY(sections);
    QCOMPARE(sections->size(), 1);
    QCOMPARE(sections->at(0).type, qint32(AttemptsLeftSection));
    QCOMPARE(sections->at(0).attemptsLeft, 1);
}

void TestClientProtocol::keepsUnknownSections()
{
    const auto sections = decodeServerMessage(QByteArray::fromHex("0100" "00000000" "63000000" "02000000"
                                                                  "abcd"));
    QVERIFY(sections);
    QCOMPARE(sections->size(), 1);
    QCOMPARE(sections->at(0).type, 99);
    QVERIFY(sections->at(0).blocks.isEmpty());
}

void TestClientProtocol::damagedMessages_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("section count only, sections missing") << QByteArray::fromHex("0200");
    QTest::newRow("size runs past the end") << QByteArray::fromHex("0100" "00000000" "03000000" "10000000" "0100");
    QTest::newRow("negative size") << QByteArray::fromHex("0100" "00000000" "03000000" "ffffffff");
    QTest::newRow("block list cut inside a block")
        << QByteArray::fromHex("0100" "00000000" "03000000" "04000000" "0500" "0300");
    QTest::newRow("attempts left too short")
        << QByteArray::fromHex("0100" "00000000" "02000000" "02000000" "0100");
    QTest::newRow("good block list, then a damaged teacher list")
        << QByteArray::fromHex("0200" "00000000" "03000000" "02000000" "0000"
                               "00000000" "06000000" "03000000" "010007");
}

void TestClientProtocol::damagedMessages()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!decodeServerMessage(bytes));
}

QTEST_GUILESS_MAIN(TestClientProtocol)
#include "tst_clientprotocol.moc"
