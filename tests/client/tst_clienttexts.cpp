#include "clienttexts.h"

#include <QtTest>

Q_DECLARE_METATYPE(ClientText)

// The client's Windows-1251 byte strings decode to exactly the texts the
// windows and the CSV header show.
class TestClientTexts : public QObject
{
    Q_OBJECT

private slots:
    void decodedText_data();
    void decodedText();
};

void TestClientTexts::decodedText_data()
{
    QTest::addColumn<ClientText>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("user in the title") << ClientText::User << QStringLiteral("пользователь");
    QTest::newRow("no connection") << ClientText::NoConnection << QStringLiteral("Нет соединения с сервером.");
    QTest::newRow("attempts left") << ClientText::AttemptsLeft << QStringLiteral("Попыток осталось:");
    QTest::newRow("answers accepted, two lines")
        << ClientText::AnswersAccepted << QStringLiteral("Ваши ответы приняты.\nСпасибо!");
    QTest::newRow("export dialog title") << ClientText::ExportTitle << QStringLiteral("Сохраните экспортный файл");
    QTest::newRow("export start folder") << ClientText::ExportFolder << QStringLiteral("C:/");
    QTest::newRow("CSV: question number") << ClientText::CsvQuestionNumber << QStringLiteral("номер вопроса");
    QTest::newRow("CSV: questions/experts") << ClientText::CsvQuestionsExperts << QStringLiteral("вопросы/эксперты");
    QTest::newRow("CSV: answer date") << ClientText::CsvAnswerDate << QStringLiteral("Дата ответа");
}

void TestClientTexts::decodedText()
{
    QFETCH(ClientText, text);
    QFETCH(QString, expected);
    QCOMPARE(clientText(text), expected);
}

QTEST_APPLESS_MAIN(TestClientTexts)
#include "tst_clienttexts.moc"
