#include "cp1251.h"

#include <QtTest>

class tst_Cp1251 : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void wholeTableRoundTrips();
    void storedMessagesKeepLineBreaks();
};

void tst_Cp1251::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("Нет") << QByteArray::fromHex("cde5f2") << QStringLiteral("Нет");
    QTest::newRow("А and я") << QByteArray::fromHex("c0ff") << QStringLiteral("Ая");
    QTest::newRow("Ё ё") << QByteArray::fromHex("a8b8") << QStringLiteral("Ёё");
    QTest::newRow("line break") << QByteArray("a\nb") << QStringLiteral("a\nb");
    QTest::newRow("zero byte") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
    QTest::newRow("№ « » —") << QByteArray::fromHex("b9abbb97") << QStringLiteral("№«»—");
    QTest::newRow("Ukrainian") << QByteArray::fromHex("aabab2b3afbfa5b4") << QStringLiteral("ЄєІіЇїҐґ");
    QTest::newRow("Belarusian ў") << QByteArray::fromHex("a1a2") << QStringLiteral("Ўў");
    QTest::newRow("unassigned 0x98") << QByteArray::fromHex("98") << QString(QChar(0xFFFD));
}

void tst_Cp1251::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(fromCp1251(bytes), text);
}

void tst_Cp1251::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("Нет") << QStringLiteral("Нет") << QByteArray::fromHex("cde5f2");
    QTest::newRow("Latin and digits") << QStringLiteral("Ivanov 2026") << QByteArray("Ivanov 2026");
    QTest::newRow("Latin e and Cyrillic е") << QStringLiteral("eе") << QByteArray::fromHex("65e5");
    QTest::newRow("dash and quotes") << QStringLiteral("«–»") << QByteArray::fromHex("ab96bb");
    QTest::newRow("é is not in the code page") << QStringLiteral("é") << QByteArray("?");
    QTest::newRow("CJK") << QStringLiteral("漢") << QByteArray("?");
    QTest::newRow("NUL becomes ?") << QString::fromUtf16(u"a\0b", 3) << QByteArray("a?b");
    QTest::newRow("emoji, two units") << QStringLiteral("😀") << QByteArray("??");
}

void tst_Cp1251::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const QByteArray encoded = toCp1251(text);
    QCOMPARE(encoded, bytes);
    QCOMPARE(encoded.size(), text.size());
    QVERIFY(!encoded.contains('\0'));
}

void tst_Cp1251::wholeTableRoundTrips()
{
    for (int b = 1; b < 256; ++b) {
        if (b == 0x98)
            continue;
        const QByteArray byte(1, char(b));
        QCOMPARE(toCp1251(fromCp1251(byte)), byte);
    }
}

void tst_Cp1251::storedMessagesKeepLineBreaks()
{
    // "Ваши ответы приняты.\nСпасибо!"
    const QByteArray stored("\xc2\xe0\xf8\xe8 \xee\xf2\xe2\xe5\xf2\xfb \xef\xf0\xe8\xed\xff\xf2\xfb.\n"
                            "\xd1\xef\xe0\xf1\xe8\xe1\xee!");
    QCOMPARE(fromCp1251(stored), QStringLiteral("Ваши ответы приняты.\nСпасибо!"));
}

QTEST_APPLESS_MAIN(tst_Cp1251)
#include "tst_cp1251.moc"
