#include "answerfixture.h"
#include "csvtransform.h"
#include "filesizelimit.h"

#include <QtTest>

namespace {

// A result with two authors whose texts need quoting, Cyrillic letters,
// characters inside and outside the code page, a missing answer, a repeating fraction and a question whose range is empty.
ChartResult sampleResult()
{
    ChartResult r;
    r.authorNames = QStringList{QStringLiteral("Иванова Ё."), QStringLiteral("Petrov; \"Jr\"")};
    r.questionTexts = QStringList{QStringLiteral("Вопрос; первый"), QStringLiteral("Многострочный\nвопрос"),
                                  QStringLiteral("Latin e и кириллица е \u2014 тире \u2603"),
                                  QStringLiteral("Равный диапазон")};
    r.rows = {
        makeRow(1, 5, {5, 3}, {"1.3.2024", "5.3.2024"}),
        makeRow(1, 5, {std::nullopt, 2}, {"", "10.3.2024"}),
        makeRow(0, 3, {1, 3}, {"2.3.2024", "2.3.2024"}),
        makeRow(3, 3, {3, std::nullopt}, {"3.3.2024", ""}),
    };
    return r;
}

// The file of sampleResult() as spreadsheets on the users' systems read it.
const QByteArray sampleBytes(
    "\xed\xee\xec\xe5\xf0 \xe2\xee\xef\xf0\xee\xf1\xe0;\xe2\xee\xef\xf0\xee\xf1\xfb/\xfd\xea\xf1\xef"
    "\xe5\xf0\xf2\xfb;\xc8\xe2\xe0\xed\xee\xe2\xe0 \xa8.;\xc4\xe0\xf2\xe0 \xee\xf2\xe2\xe5\xf2\xe0;"
    "\"Petrov; \"\"Jr\"\"\";\xc4\xe0\xf2\xe0 \xee\xf2\xe2\xe5\xf2\xe0\r\n"
    "1;\"\xc2\xee\xef\xf0\xee\xf1; \xef\xe5\xf0\xe2\xfb\xe9\";1;1.3.2024;0,5;5.3.2024\r\n"
    "2;\"\xcc\xed\xee\xe3\xee\xf1\xf2\xf0\xee\xf7\xed\xfb\xe9\n\xe2\xee\xef\xf0\xee\xf1\";;;0,25;10.3.2024\r\n"
    "3;Latin e \xe8 \xea\xe8\xf0\xe8\xeb\xeb\xe8\xf6\xe0 \xe5 \x97 \xf2\xe8\xf0\xe5 ?;0,333333;2.3.2024;1;2.3.2024\r\n"
    "4;\xd0\xe0\xe2\xed\xfb\xe9 \xe4\xe8\xe0\xef\xe0\xe7\xee\xed;nan;3.3.2024;;\r\n");

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void writeFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// The first sheet of a flat OpenDocument spreadsheet, a string per cell:
// numbers as "=value", dates as "date:yyyy-MM-dd", texts as they read,
// empty cells as "". Trailing empty cells and rows are left out.
QVector<QStringList> readSheet(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QVector<QStringList> rows;
    QString value;
    QStringList paragraphs;
    bool inParagraph = false;
    int repeat = 1;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.qualifiedName();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes attrs = xml.attributes();
            if (name == QLatin1String("table:table-row")) {
                rows.append(QStringList());
            } else if (name == QLatin1String("table:table-cell")) {
                repeat = qBound(1, attrs.value(QLatin1String("table:number-columns-repeated")).toInt(), 64);
                const auto type = attrs.value(QLatin1String("office:value-type"));
                if (type == QLatin1String("float"))
                    value = QLatin1Char('=') + attrs.value(QLatin1String("office:value")).toString();
                else if (type == QLatin1String("date"))
                    value = QLatin1String("date:") + attrs.value(QLatin1String("office:date-value")).toString();
                else
                    value.clear();
                paragraphs.clear();
            } else if (name == QLatin1String("text:p")) {
                paragraphs.append(QString());
                inParagraph = true;
            } else if (name == QLatin1String("text:s") && inParagraph) {
                paragraphs.last() += QString(qMax(1, attrs.value(QLatin1String("text:c")).toInt()), QLatin1Char(' '));
            }
        } else if (xml.isCharacters() && inParagraph) {
            paragraphs.last() += xml.text();
        } else if (xml.isEndElement() && name == QLatin1String("text:p")) {
            inParagraph = false;
        } else if (xml.isEndElement() && name == QLatin1String("table:table-cell") && !rows.isEmpty()) {
            const QString text = value.isEmpty() ? paragraphs.join(QLatin1Char('\n')) : value;
            for (int i = 0; i < repeat; ++i)
                rows.last().append(text);
        } else if (xml.isEndElement() && name == QLatin1String("table:table")) {
            break;
        }
    }
    for (QStringList &row : rows) {
        while (!row.isEmpty() && row.last().isEmpty())
            row.removeLast();
    }
    while (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

} // namespace

class TestCsvTransform : public QObject
{
    Q_OBJECT

private slots:
    void encodeRow_data();
    void encodeRow();
    void csvRows_header();
    void csvRows_withoutAuthors();
    void csvRows_scaledValue_data();
    void csvRows_scaledValue();
    void export_writesWholeFile();
    void export_replacesExistingFile();
    void export_cutFileIsReported();
    void writeRow_dropsRowsOfAnotherFieldCount();
    void writeRow_afterCloseIsDropped();
    void unclosedWriter_leavesOldFile();
    void open_failure_data();
    void open_failure();
    void spreadsheet_readsExport();
};

void TestCsvTransform::encodeRow_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("plain fields") << QStringList{"1", "abc", "0,5"} << QByteArray("1;abc;0,5\r\n");
    QTest::newRow("empty fields") << QStringList{"", "", ""} << QByteArray(";;\r\n");
    QTest::newRow("semicolon is quoted") << QStringList{"a;b", "c"} << QByteArray("\"a;b\";c\r\n");
    QTest::newRow("quotes are doubled") << QStringList{"say \"hi\""} << QByteArray("\"say \"\"hi\"\"\"\r\n");
    QTest::newRow("line feed is quoted") << QStringList{"a\nb", "c"} << QByteArray("\"a\nb\";c\r\n");
    QTest::newRow("carriage return is quoted") << QStringList{"a\rb"} << QByteArray("\"a\rb\"\r\n");
    QTest::newRow("quote inside otherwise plain text") << QStringList{"5\" long"}
                                                       << QByteArray("\"5\"\" long\"\r\n");
    QTest::newRow("cyrillic letters") << QStringList{QStringLiteral("Нет"), QStringLiteral("ёЁ")}
                                      << QByteArray("\xcd\xe5\xf2;\xb8\xa8\r\n");
    QTest::newRow("latin e beside cyrillic е") << QStringList{QStringLiteral("eе")}
                                               << QByteArray("e\xe5\r\n");
    QTest::newRow("character outside the code page") << QStringList{QStringLiteral("a\u2603b")}
                                                     << QByteArray("a?b\r\n");
    QTest::newRow("dash of the code page") << QStringList{QStringLiteral("a\u2014b")}
                                           << QByteArray("a\x97" "b\r\n");
}

void TestCsvTransform::encodeRow()
{
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, bytes);
    QCOMPARE(CSVTransform::encodeRow(fields), bytes);
}

void TestCsvTransform::csvRows_header()
{
    const QVector<QStringList> rows = ::csvRows(ChartResult());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first(), (QStringList{QStringLiteral("номер вопроса"), QStringLiteral("вопросы/эксперты")}));

    ChartResult two;
    two.authorNames = QStringList{"A", "B"};
    QCOMPARE(::csvRows(two).first(),
             (QStringList{QStringLiteral("номер вопроса"), QStringLiteral("вопросы/эксперты"), "A",
                          QStringLiteral("Дата ответа"), "B", QStringLiteral("Дата ответа")}));
}

void TestCsvTransform::csvRows_withoutAuthors()
{
    ChartResult r;
    r.questionTexts = QStringList{"first", "second"};
    r.rows = {ChartRow(), ChartRow()};
    const QVector<QStringList> rows = ::csvRows(r);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(1), (QStringList{"1", "first"}));
    QCOMPARE(rows.at(2), (QStringList{"2", "second"}));
}

void TestCsvTransform::csvRows_scaledValue_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("value"); // -1000: no answer
    QTest::addColumn<QString>("text");

    QTest::newRow("maximum is 1") << 1 << 5 << 5 << "1";
    QTest::newRow("half uses a decimal comma") << 1 << 5 << 3 << "0,5";
    QTest::newRow("minimum is 0") << 1 << 5 << 1 << "0";
    QTest::newRow("quarter") << 1 << 5 << 2 << "0,25";
    QTest::newRow("six significant digits") << 0 << 3 << 1 << "0,333333";
    QTest::newRow("six digits, no trailing zeros") << 0 << 7 << 1 << "0,142857";
    QTest::newRow("negative range") << -10 << 10 << -5 << "0,25";
    QTest::newRow("empty range is not a number") << 3 << 3 << 3 << "nan";
    QTest::newRow("missing answer is empty") << 1 << 5 << -1000 << "";
}

void TestCsvTransform::csvRows_scaledValue()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, value);
    QFETCH(QString, text);

    ChartResult r;
    r.authorNames = QStringList{"A"};
    r.questionTexts = QStringList{"Q"};
    const bool answered = value != -1000;
    r.rows = {makeRow(qint16(minValue), qint16(maxValue),
                      {answered ? std::optional<qint16>(qint16(value)) : std::nullopt},
                      {answered ? "7.11.2024" : ""})};
    const QVector<QStringList> rows = ::csvRows(r);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(1), (QStringList{"1", "Q", text, answered ? "7.11.2024" : ""}));
}

void TestCsvTransform::export_writesWholeFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("результат.csv"));
    QVERIFY(::exportChartResult(sampleResult(), fileName));
    QCOMPARE(readAll(fileName), sampleBytes);
}

void TestCsvTransform::export_replacesExistingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath("old.csv");
    writeFile(fileName, QByteArray(4096, 'x'));
    QVERIFY(::exportChartResult(ChartResult(), fileName));
    QCOMPARE(readAll(fileName), CSVTransform::encodeRow(::csvRows(ChartResult()).first()));
}

void TestCsvTransform::export_cutFileIsReported()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath("old.csv");
    writeFile(fileName, "old");
    {
        // As a full disk: the export's one write, made as the file is
        // closed, is cut short.
        FileSizeLimit full(16);
        QVERIFY(full.ok());
        QVERIFY(!::exportChartResult(sampleResult(), fileName));
    }
    QCOMPARE(readAll(fileName), QByteArray("old"));
#else
    QSKIP("needs a per-process file size limit");
#endif
}

void TestCsvTransform::writeRow_dropsRowsOfAnotherFieldCount()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath("rows.csv");
    CSVTransform csv;
    QVERIFY(!csv.isOpen());
    QVERIFY(csv.open(fileName, 3));
    QVERIFY(csv.isOpen());
    QCOMPARE(csv.writeRow({"a", "b", "c"}), 1);
    QCOMPARE(csv.writeRow({"too", "few"}), 1);
    QCOMPARE(csv.writeRow({"too", "many", "fields", "here"}), 1);
    QCOMPARE(csv.writeRow({"d", "e", "f"}), 2);
    QVERIFY(csv.close());
    QCOMPARE(readAll(fileName), QByteArray("a;b;c\r\nd;e;f\r\n"));

    // A new open counts from zero again.
    QVERIFY(csv.open(fileName, 1));
    QCOMPARE(csv.writeRow({"g"}), 1);
    QVERIFY(csv.close());
    QCOMPARE(readAll(fileName), QByteArray("g\r\n"));
}

void TestCsvTransform::writeRow_afterCloseIsDropped()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath("closed.csv");
    CSVTransform csv;
    QVERIFY(csv.open(fileName, 1));
    QCOMPARE(csv.writeRow({"a"}), 1);
    QVERIFY(csv.close());
    QVERIFY(!csv.isOpen());
    QCOMPARE(csv.writeRow({"b"}), 1);
    QVERIFY(!csv.close());
    QCOMPARE(readAll(fileName), QByteArray("a\r\n"));
}

void TestCsvTransform::unclosedWriter_leavesOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath("kept.csv");
    writeFile(fileName, "old\r\n");
    {
        CSVTransform csv;
        QVERIFY(csv.open(fileName, 1));
        QCOMPARE(csv.writeRow({"new"}), 1);
    }
    QCOMPARE(readAll(fileName), QByteArray("old\r\n"));
}

void TestCsvTransform::open_failure_data()
{
    QTest::addColumn<QString>("relativeName");
    QTest::newRow("missing folder") << "no/such/folder/out.csv";
    QTest::newRow("name of a folder") << "folder";
    QTest::newRow("empty name") << "";
}

void TestCsvTransform::open_failure()
{
    QFETCH(QString, relativeName);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    const QString fileName = relativeName.isEmpty() ? QString() : dir.filePath(relativeName);

    CSVTransform csv;
    QVERIFY(!csv.open(fileName, 2));
    QVERIFY(!csv.isOpen());
    QCOMPARE(csv.writeRow({"a", "b"}), 0);
    QVERIFY(!csv.close());
    QVERIFY(!::exportChartResult(sampleResult(), fileName));
    QVERIFY(!QFileInfo(dir.filePath("no")).exists());
}

void TestCsvTransform::spreadsheet_readsExport()
{
    QString office = QStandardPaths::findExecutable("soffice");
    if (office.isEmpty())
        office = QStandardPaths::findExecutable("libreoffice");
    if (office.isEmpty())
        QSKIP("LibreOffice is not installed");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString csvName = dir.filePath("export.csv");
    QVERIFY(::exportChartResult(sampleResult(), csvName));

    // Read as a Russian spreadsheet user opens it: ";" between fields,
    // double quotes around texts, Windows-1251, Russian number formats.
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(office, {"--headless", "--norestore", "--nolockcheck",
                           "-env:UserInstallation=" + QUrl::fromLocalFile(dir.filePath("profile")).toString(),
                           "--infilter=Text - txt - csv (StarCalc):59,34,34,1,,1049,false,true",
                           "--convert-to", "fods", "--outdir", dir.path(), csvName});
    QVERIFY2(process.waitForFinished(300000), "LibreOffice did not finish in time");
    const QByteArray output = process.readAll();
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, output.constData());

    const QVector<QStringList> expected{
        {QStringLiteral("номер вопроса"), QStringLiteral("вопросы/эксперты"), QStringLiteral("Иванова Ё."),
         QStringLiteral("Дата ответа"), "Petrov; \"Jr\"", QStringLiteral("Дата ответа")},
        {"=1", QStringLiteral("Вопрос; первый"), "=1", "date:2024-03-01", "=0.5", "date:2024-03-05"},
        {"=2", QStringLiteral("Многострочный\nвопрос"), "", "", "=0.25", "date:2024-03-10"},
        {"=3", QStringLiteral("Latin e и кириллица е \u2014 тире ?"), "=0.333333", "date:2024-03-02", "=1",
         "date:2024-03-02"},
        {"=4", QStringLiteral("Равный диапазон"), "nan", "date:2024-03-03"},
    };
    const QVector<QStringList> sheet = readSheet(dir.filePath("export.fods"));
    QCOMPARE(sheet.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(sheet.at(i), expected.at(i));
}

QTEST_GUILESS_MAIN(TestCsvTransform)
#include "tst_csvtransform.moc"
