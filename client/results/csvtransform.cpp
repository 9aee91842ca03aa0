#include "csvtransform.h"

#include "clienttexts.h"
#include "csvline.h"

#include <QSaveFile>

CSVTransform::CSVTransform(QObject *parent)
    : QObject(parent)
{
}

CSVTransform::~CSVTransform() = default;

bool CSVTransform::open(const QString &fileName, int fieldCount)
{
    m_file = std::make_unique<QSaveFile>(fileName);
    m_rowCount = 0;
    m_fieldCount = fieldCount;
    if (fileName.isEmpty() || !m_file->open(QIODevice::WriteOnly)) {
        m_file.reset();
        return false;
    }
    return true;
}

int CSVTransform::writeRow(const QStringList &fields)
{
    if (m_file && fields.size() == m_fieldCount) {
        m_file->write(encodeRow(fields));
        ++m_rowCount;
    }
    return m_rowCount;
}

bool CSVTransform::close()
{
    if (!m_file)
        return false;
    // commit() overlooks a write that fails in its own final flush (a full
    // disk) and would put a cut file in place.
    const bool written = m_file->flush() && m_file->commit();
    m_file.reset();
    return written;
}

bool CSVTransform::isOpen() const
{
    return m_file != nullptr;
}

QByteArray CSVTransform::encodeRow(const QStringList &fields)
{
    return csvLine(fields);
}

QVector<QStringList> csvRows(const ChartResult &result)
{
    QVector<QStringList> lines;
    QStringList header{clientText(ClientText::CsvQuestionNumber), clientText(ClientText::CsvQuestionsExperts)};
    for (const QString &author : result.authorNames)
        header << author << clientText(ClientText::CsvAnswerDate);
    lines.append(header);

    for (int q = 0; q < result.rows.size(); ++q) {
        const ChartRow &row = result.rows.at(q);
        QStringList line{QString::number(q + 1), result.questionTexts.value(q)};
        for (int a = 0; a < result.authorNames.size(); ++a) {
            const std::optional<double> share = row.share(a);
            const QString value = share ? QString::number(*share, 'g', 6).replace(QLatin1Char('.'), QLatin1Char(','))
                                        : QString();
            line << value << row.dates.value(a);
        }
        lines.append(line);
    }
    return lines;
}

bool exportChartResult(const ChartResult &result, const QString &fileName)
{
    CSVTransform csv;
    if (!csv.open(fileName, 2 + 2 * result.authorNames.size()))
        return false;
    for (const QStringList &line : csvRows(result))
        csv.writeRow(line);
    return csv.close();
}
