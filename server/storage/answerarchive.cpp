#include "answerarchive.h"

#include "csvline.h"
#include "datafolder.h"
#include "datastore.h"
#include "encoding.h"
#include "storeindex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("AnswerArchive", text);
}

QString groupName(qint32 group)
{
    switch (group) {
    case 0:
        return tr("Педагог ДО");
    case 1:
        return tr("Учитель");
    default:
        return QString::number(group);
    }
}

} // namespace

int storeFillPercent(int count)
{
    return int(qint64(count) * 100 / DataStore::MaxListCount);
}

AnswerArchive::AnswerArchive(DataStore &store)
    : m_store(store)
{
}

QString AnswerArchive::folder() const
{
    return m_store.folder() + QStringLiteral("/archive");
}

bool AnswerArchive::isArchivable(const Answer &answer) const
{
    return m_store.seasonStart().isValid() && answer.date < m_store.seasonStart();
}

int AnswerArchive::archivableCount() const
{
    const AnswerStore &answers = m_store.answers();
    return int(std::count_if(answers.cbegin(), answers.cend(),
                             [this](const Answer &a) { return isArchivable(a); }));
}

// The file name without extension that neither an answer list nor a CSV
// file of an earlier run bears.
QString AnswerArchive::freeStem(const QDate &today) const
{
    const QString base = folder() + QStringLiteral("/answers-") + today.toString(Qt::ISODate);
    QString stem = base;
    for (int n = 2; QFileInfo::exists(stem + QStringLiteral(".bin"))
         || QFileInfo::exists(stem + QStringLiteral(".csv"));
         ++n)
        stem = base + QLatin1Char('-') + QString::number(n);
    return stem;
}

AnswerArchive::Outcome AnswerArchive::archive(const QDate &today)
{
    Outcome outcome;
    const StoreIndex index(m_store.questions(), m_store.accounts());
    QVector<Answer> moving;
    for (const Answer &answer : m_store.answers()) {
        if (isArchivable(answer))
            moving.append(displayCopy(answer, index).value_or(answer));
    }
    if (moving.isEmpty())
        return outcome;
    if (!m_store.snapshotBefore(tr("Перенос ответов прошлых сезонов в архив"))) {
        outcome.error = tr("не удалось сохранить резервную копию данных");
        return outcome;
    }

    const std::optional<QByteArray> list = encodeAnswerList(moving);
    if (!QDir().mkpath(folder())) {
        outcome.error = tr("не удалось создать папку «%1»").arg(QDir::toNativeSeparators(folder()));
    } else if (!list) {
        outcome.error = tr("в ответах слишком длинный текст");
    } else {
        const QString stem = freeStem(today);
        outcome.answersFile = stem + QStringLiteral(".bin");
        outcome.csvFile = stem + QStringLiteral(".csv");
        outcome.error = saveWhole(outcome.answersFile, *list);
        if (outcome.error.isEmpty()) {
            outcome.error = saveWhole(outcome.csvFile, archiveCsv(moving));
            // Half an archive would be taken for a whole one.
            if (!outcome.error.isEmpty())
                QFile::remove(outcome.answersFile);
        }
    }
    if (!outcome.error.isEmpty())
        return outcome;

    const std::optional<int> moved = m_store.removeAnswersWhole([this](const Answer &a) { return isArchivable(a); });
    if (!moved) {
        // The store keeps the answers, so the archive must not hold them
        // too: a later run would archive them a second time.
        QFile::remove(outcome.answersFile);
        QFile::remove(outcome.csvFile);
        outcome.error = tr("не удалось перезаписать файл ответов «%1»")
                            .arg(QDir::toNativeSeparators(m_store.answersPath()));
        return outcome;
    }
    outcome.moved = *moved;
    return outcome;
}

QByteArray archiveCsv(const QVector<Answer> &answers)
{
    QByteArray bytes = csvLine({tr("Дата"), tr("Группа"), tr("Блок"), tr("Вопрос"), tr("Эксперт"),
                                tr("Педагог"), tr("Оценка"), tr("Минимум"), tr("Максимум")});
    for (const Answer &a : answers) {
        bytes += csvLine({a.date.toString(QStringLiteral("dd.MM.yyyy")), groupName(a.group),
                          a.blockName, a.questionText, a.authorName, a.subjectName,
                          QString::number(a.value), QString::number(a.minValue),
                          QString::number(a.maxValue)});
    }
    return bytes;
}
