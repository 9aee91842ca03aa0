#ifndef CSVTRANSFORM_H
#define CSVTRANSFORM_H

#include "chartresult.h"

#include <QObject>
#include <QStringList>

#include <memory>

class QSaveFile;

// Writes a CSV file line by line (the conventions are csvLine()'s). Every row must have the field count given to open(); other rows are
// dropped. The file replaces the old one only when close() succeeds.
class CSVTransform : public QObject
{
    Q_OBJECT

public:
    explicit CSVTransform(QObject *parent = nullptr);
    ~CSVTransform() override;

    // False when the file cannot be created; rows are then dropped.
    bool open(const QString &fileName, int fieldCount);
    // Returns the number of rows written since open().
    int writeRow(const QStringList &fields);
    // False when nothing was open or the file could not be written whole.
    bool close();

    bool isOpen() const;

    // The bytes of one line as written to the file.
    static QByteArray encodeRow(const QStringList &fields);

private:
    std::unique_ptr<QSaveFile> m_file;
    int m_rowCount = 0;
    int m_fieldCount = 0;
};

// The lines of the export of `result`: the header, then one line per
// question with its number, its text and, per author, the share of the
// question's range the answer reached (decimal comma) and its date.
QVector<QStringList> csvRows(const ChartResult &result);

// Writes `result` to `fileName`; false when the file could not be written.
bool exportChartResult(const ChartResult &result, const QString &fileName);

#endif // CSVTRANSFORM_H
