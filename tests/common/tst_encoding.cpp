#include "bytereader.h"
#include "encoding.h"
#include "recordbuilders.h"

#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

Question sampleQuestion()
{
    Question q = makeQuestion(0x01020304, QStringLiteral("Насколько понятно педагог объясняет материал?"), -3, 5);
    q.reserved = 2;
    return q;
}

QuestionBlock sampleBlock()
{
    QuestionBlock b = makeBlock(7, QStringLiteral("Организация занятия"), 1,
                                {sampleQuestion(), makeQuestion(8, QStringLiteral("abc"), 0, 0, false)});
    b.ordinal = 2;
    return b;
}

Account sampleAccount()
{
    Account a = makeAccount(12, QStringLiteral("Иванова Мария Петровна"), "a1b2c3", true, 2);
    a.information = QStringLiteral("Учитель математики, стаж 12 лет");
    a.note = QStringLiteral("примечание");
    return a;
}

Answer sampleAnswer()
{
    return withTexts(makeAnswer(3, 4, 5, 6, QDate(2026, 12, 7), -2, 1, -10, 10), QStringLiteral("Вопрос"),
                     QStringLiteral("Блок"), QStringLiteral("Эксперт"), QStringLiteral("Педагог"));
}

TeacherEntry sampleTeacher()
{
    return makeTeacher(9, QStringLiteral("Петров П. П."), 1, {1, 4, 2});
}

// A row pinning one record's bytes: what the encoder makes of `record`, the
// capacity it allocated, what the decoder's record of `bytes` encodes back
// to, and how many bytes the decoder consumed.
template<typename T, typename Encode, typename Decode>
void addRecordRow(const char *name, const T &record, const QByteArray &bytes, Encode encode, Decode decode)
{
    const QByteArray encoded = encode(record).value_or(QByteArray());
    const auto decoded = decode(bytes);
    QTest::newRow(name) << encoded << int(encoded.capacity()) << bytes
                        << (decoded ? encode(decoded->value).value_or(QByteArray()) : QByteArray())
                        << (decoded ? decoded->consumed : -1);
}

// Reads `bytes` as a T whose `list` claims more elements than the input
// holds: the read must fail without reserving room for them.
template<typename T, typename List>
void verifyForgedListRefused(const QByteArray &bytes, List T::*list)
{
    ByteReader r(bytes);
    T record;
    readRecord(r, record);
    QVERIFY(!r.ok());
    const int room = (record.*list).capacity();
    QVERIFY2(room <= bytes.size(), qPrintable(QStringLiteral("room reserved for %1 elements").arg(room)));
}

// Every way a real encoding can be cut short or damaged must be survived
// without reading outside the input.
template<typename Decode>
void sweep(const QByteArray &encoded, Decode decode)
{
    for (int length = 0; length < encoded.size(); ++length) {
        const QByteArray prefix = encoded.left(length);
        decode(QByteArray(prefix.constData(), prefix.size()));
    }
    for (int i = 0; i < encoded.size(); ++i) {
        for (char value : {char(0x00), char(0x05), char(0x7F), char(0x80), char(0xFF)}) {
            QByteArray damaged = encoded;
            damaged[i] = value;
            decode(damaged);
        }
    }
}

} // namespace

class tst_Encoding : public QObject
{
    Q_OBJECT

private slots:
    void recordBytes_data();
    void recordBytes();
    void dateBytes_data();
    void dateBytes();
    void emptyAccountTable();
    void passwordArea();
    void oddOffsets();
    void answerListShortInput_data();
    void answerListShortInput();
    void teacherGroupByte_data();
    void teacherGroupByte();
    void roundTrips();
    void truncatedRecordsAreInvalid_data();
    void truncatedRecordsAreInvalid();
    void refusesOverlongTextsAndLists();
    void forgedCountDoesNotAllocate();
    void sweepPrefixesAndCorruptions();
    void readerNeverPassesEnd();
};

void tst_Encoding::recordBytes_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("decoded");
    QTest::addColumn<int>("consumed");

    Question question = makeQuestion(0x11223344, QStringLiteral("abc"), 1, 5);
    question.reserved = -1;
    addRecordRow("question", question, hex("0300" "610062006300" "44332211" "01" "0500" "0100" "ffff"),
                 encodeQuestion, decodeQuestion);

    QuestionBlock block = makeBlock(7, QStringLiteral("B"), 1, {makeQuestion(8, QStringLiteral("q"), -1, 3, false)});
    block.ordinal = 2;
    const char *blockHex = "0100" "4200" "07000000" "02000000" "01" "01" "0100"
                           "0100" "7100" "08000000" "00" "0300" "ffff" "0000";
    addRecordRow("block with one question", block, hex(blockHex), encodeBlock, decodeBlock);

    QuestionGroup group;
    group.name = QStringLiteral("G");
    group.id = 3;
    group.blocks << block;
    addRecordRow("group with one block", group, hex("0100" "4700" "03000000" "0100") + hex(blockHex), encodeGroup,
                 decodeGroup);

    Account account = makeAccount(12, QStringLiteral("Al"), "pw", true, 2);
    account.information = QStringLiteral("i");
    addRecordRow("account", account,
                 hex("0c000000" "0200" "41006c00" "0200" "7077" "0000" "02000000" "01" "03000000" "0100" "6900"
                     "0000"),
                 encodeAccount, decodeAccount);

    const Answer answer = withTexts(makeAnswer(3, 4, 5, 6, QDate(2000, 1, 1), -2, 1, -10, 10), QStringLiteral("q"),
                                    QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("s"));
    addRecordRow("answer", answer,
                 hex("03000000" "0100" "7100" "04000000" "01000000" "0100" "6200" "5968250000000000" "feff" "0a00"
                     "f6ff" "05000000" "06000000" "0100" "6100" "0100" "7300"),
                 encodeAnswer, decodeAnswer);

    addRecordRow("teacher entry", makeTeacher(9, QStringLiteral("T"), 1, {1, 0x400}),
                 hex("09000000" "0100" "5400" "0000" "0200" "01000000" "00040000" "01"), encodeTeacherEntry,
                 decodeTeacherEntry);
}

void tst_Encoding::recordBytes()
{
    QFETCH(QByteArray, encoded);
    QFETCH(int, capacity);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, decoded);
    QFETCH(int, consumed);

    QCOMPARE(encoded, bytes);
    // Sized before writing, the output is allocated once at its exact size.
    QCOMPARE(capacity, bytes.size());
    QCOMPARE(decoded, bytes);
    QCOMPARE(consumed, bytes.size());
}

void tst_Encoding::dateBytes_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QByteArray>("bytes");

    // Julian day 2451545 = 0x256859.
    QTest::newRow("2000-01-01") << QDate(2000, 1, 1) << hex("5968250000000000");
    QTest::newRow("null date") << QDate() << hex("0000000000000080");
}

void tst_Encoding::dateBytes()
{
    QFETCH(QDate, date);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeSeasonStart(date), bytes);
    QCOMPARE(decodeSeasonStart(bytes).value(), date);
    QVERIFY(!decodeSeasonStart(bytes.left(7)));
}

void tst_Encoding::emptyAccountTable()
{
    const QByteArray bytes = hex("0400" "0000" "0000" "0000" "0000");
    QCOMPARE(encodeAccountTable(AccountStore(4)).value(), bytes);
    QCOMPARE(decodeAccountTable(bytes).value(), AccountStore(4));
}

void tst_Encoding::passwordArea()
{
    // id 1, name "x", the count 3 and a 6-byte area whose filler is not zeros,
    // then kindCode, active (any non-zero byte), reserved, information and note.
    const QByteArray bytes = hex("01000000" "0100" "7800" "0300" "616263" "5a5a5a" "00000000" "05" "03000000" "0000"
                                 "0000");
    const auto decoded = decodeAccount(bytes);
    QVERIFY(decoded);
    QCOMPARE(decoded->value.password, QByteArray("abc"));
    QVERIFY(decoded->value.active);
    QCOMPARE(decoded->value.reserved, 3);
    QCOMPARE(decoded->consumed, bytes.size());
}

void tst_Encoding::oddOffsets()
{
    Question q;
    q.maxValue = 0x0102;
    q.minValue = 0x0304;
    q.reserved = 0x0506;
    const QByteArray bytes = encodeQuestion(q).value();
    QCOMPARE(bytes.mid(7, 2), hex("0201"));
    QCOMPARE(bytes.mid(9, 2), hex("0403"));
    QCOMPARE(bytes.mid(11, 2), hex("0605"));

    Account a;
    a.reserved = 0x0A0B0C0D;
    const QByteArray account = encodeAccount(a).value();
    QCOMPARE(account.mid(8 + 5, 4), hex("0d0c0b0a"));
}

void tst_Encoding::answerListShortInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("0 bytes") << QByteArray();
    QTest::newRow("1 byte") << hex("05");
    QTest::newRow("2 bytes, count 0") << hex("0000");
    QTest::newRow("2 bytes, count 9") << hex("0900");
}

void tst_Encoding::answerListShortInput()
{
    QFETCH(QByteArray, bytes);
    const auto answers = decodeAnswerList(bytes);
    QVERIFY(answers);
    QVERIFY(answers->isEmpty());
    QCOMPARE(encodeAnswerList({}).value(), hex("0000"));
}

void tst_Encoding::teacherGroupByte_data()
{
    QTest::addColumn<quint8>("groupByte");
    QTest::addColumn<quint8>("group");
    QTest::addColumn<int>("consumed");

    const int whole = encodeTeacherEntry(sampleTeacher())->size();
    QTest::newRow("0") << quint8(0) << quint8(0) << whole;
    QTest::newRow("1") << quint8(1) << quint8(1) << whole;
    QTest::newRow("4") << quint8(4) << quint8(4) << whole;
    QTest::newRow("5 starts the next entry") << quint8(5) << quint8(0) << whole - 1;
    QTest::newRow("255 starts the next entry") << quint8(255) << quint8(0) << whole - 1;
}

void tst_Encoding::teacherGroupByte()
{
    QFETCH(quint8, groupByte);
    QFETCH(quint8, group);
    QFETCH(int, consumed);

    QByteArray bytes = encodeTeacherEntry(sampleTeacher()).value();
    bytes[bytes.size() - 1] = char(groupByte);
    const auto decoded = decodeTeacherEntry(bytes);
    QVERIFY(decoded);
    QCOMPARE(decoded->value.group, group);
    QCOMPARE(decoded->consumed, consumed);
    QCOMPARE(decoded->value.answeredBlocks, sampleTeacher().answeredBlocks);
}

void tst_Encoding::roundTrips()
{
    QuestionGroup group;
    group.blocks << sampleBlock() << QuestionBlock();
    const QVector<QuestionGroup> groups{group, QuestionGroup(), QuestionGroup()};
    QCOMPARE(decodeGroupList(encodeGroupList(groups).value()).value(), groups);

    const QVector<QuestionBlock> blocks{sampleBlock(), QuestionBlock()};
    QCOMPARE(decodeBlockList(encodeBlockList(blocks).value()).value(), blocks);

    AccountStore accounts(4);
    accounts[1] << sampleAccount();
    accounts[3] << Account() << sampleAccount();
    QCOMPARE(decodeAccountTable(encodeAccountTable(accounts).value()).value(), accounts);

    // Texts of one length that agree at both ends, met in turns, are each
    // read as they are, though a decoder may look at their ends first.
    Answer lookAlike = sampleAnswer();
    lookAlike.questionText = QStringLiteral("Вопрос о цели занятия: ответ");
    Answer other = lookAlike;
    other.questionText = QStringLiteral("Вопрос о теме занятия: ответ");
    QCOMPARE(other.questionText.size(), lookAlike.questionText.size());
    const QVector<Answer> answers{sampleAnswer(), Answer(), lookAlike, other, lookAlike, other, sampleAnswer()};
    QCOMPARE(decodeAnswerList(encodeAnswerList(answers).value()).value(), answers);

    TeacherEntry plain;
    plain.id = 1;
    const QVector<TeacherEntry> teachers{sampleTeacher(), plain, sampleTeacher()};
    QCOMPARE(decodeTeacherList(encodeTeacherList(teachers).value()).value(), teachers);
}

void tst_Encoding::truncatedRecordsAreInvalid_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");

    QTest::newRow("question") << encodeQuestion(sampleQuestion()).value() << 0;
    QTest::newRow("block") << encodeBlock(sampleBlock()).value() << 1;
    QTest::newRow("account") << encodeAccount(sampleAccount()).value() << 2;
    QTest::newRow("answer") << encodeAnswer(sampleAnswer()).value() << 3;
    QTest::newRow("answer list") << encodeAnswerList({sampleAnswer()}).value() << 4;
    QTest::newRow("group list") << encodeGroupList({QuestionGroup()}).value() << 5;
}

void tst_Encoding::truncatedRecordsAreInvalid()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    // Dropping only the last byte must already be noticed.
    const QByteArray cut = bytes.left(bytes.size() - 1);
    switch (kind) {
    case 0: QVERIFY(!decodeQuestion(cut)); break;
    case 1: QVERIFY(!decodeBlock(cut)); break;
    case 2: QVERIFY(!decodeAccount(cut)); break;
    case 3: QVERIFY(!decodeAnswer(cut)); break;
    case 4: QVERIFY(!decodeAnswerList(cut)); break;
    case 5: QVERIFY(!decodeGroupList(cut)); break;
    }
}

void tst_Encoding::refusesOverlongTextsAndLists()
{
    Question q;
    q.text = QString(0x10000, QLatin1Char('x'));
    QVERIFY(!encodeQuestion(q));
    q.text.chop(1);
    const QByteArray longest = encodeQuestion(q).value();
    QCOMPARE(longest.left(2), hex("ffff"));
    QCOMPARE(decodeQuestion(longest)->value, q);

    QVERIFY(!encodeAnswerList(QVector<Answer>(0x10000)));
    QCOMPARE(encodeAnswerList(QVector<Answer>(0xFFFF))->left(2), hex("ffff"));

    QuestionBlock block;
    block.questions.resize(0x10000);
    QVERIFY(!encodeBlockList({block}));

    Account a;
    a.password = QByteArray(0x10000, 'a');
    QVERIFY(!encodeAccountTable({{a}}));
}

void tst_Encoding::forgedCountDoesNotAllocate()
{
    // A count of 65 535 followed by almost nothing must fail quickly.
    QVERIFY(!decodeAnswerList(hex("ffff00")));
    QVERIFY(!decodeTeacherList(hex("0100" "01000000" "0000" "0000" "ffff")));
    // The lists nested in a record show the room a forged count took.
    verifyForgedListRefused(hex("0000" "07000000" "00000000" "01" "00" "ffff" "00"), &QuestionBlock::questions);
    verifyForgedListRefused(hex("0000" "03000000" "ffff" "00"), &QuestionGroup::blocks);
    verifyForgedListRefused(hex("09000000" "0000" "0000" "ffff" "01"), &TeacherEntry::answeredBlocks);
}

void tst_Encoding::sweepPrefixesAndCorruptions()
{
    QuestionGroup group;
    group.blocks << sampleBlock();
    AccountStore accounts(4);
    accounts[0] << sampleAccount();
    accounts[1] << sampleAccount();

    int decoded = 0;
    auto count = [&decoded](bool ok) { decoded += ok; };
    sweep(encodeGroupList({group, group}).value(), [&](const QByteArray &b) { count(bool(decodeGroupList(b))); });
    sweep(encodeBlockList({sampleBlock()}).value(), [&](const QByteArray &b) { count(bool(decodeBlockList(b))); });
    sweep(encodeAccountTable(accounts).value(), [&](const QByteArray &b) { count(bool(decodeAccountTable(b))); });
    sweep(encodeAnswerList({sampleAnswer(), sampleAnswer()}).value(), [&](const QByteArray &b) { count(bool(decodeAnswerList(b))); });
    sweep(encodeTeacherList({sampleTeacher(), sampleTeacher()}).value(), [&](const QByteArray &b) { count(bool(decodeTeacherList(b))); });
    sweep(encodeSeasonStart(QDate(2026, 1, 1)), [&](const QByteArray &b) { count(bool(decodeSeasonStart(b))); });
    // Some damaged inputs still decode (a changed id is still an id); the
    // point is that none of them read outside the input, which the
    // sanitizers check.
    QVERIFY(decoded > 0);
}

void tst_Encoding::readerNeverPassesEnd()
{
    const QByteArray bytes = hex("0100ff");
    ByteReader r(bytes);
    QCOMPARE(r.read<quint16>(), quint16(1));
    QCOMPARE(r.read<qint32>(), 0);
    QVERIFY(!r.ok());
    QCOMPARE(r.read<quint8>(), quint8(0));
    QCOMPARE(r.remaining(), 0);
    QCOMPARE(r.peekU8(), -1);

    ByteReader text(hex("0200" "4100"));
    QCOMPARE(text.readText(), QString());
    QVERIFY(!text.ok());
}

QTEST_APPLESS_MAIN(tst_Encoding)
#include "tst_encoding.moc"
