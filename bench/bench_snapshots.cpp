// The disk space the snapshots of the data folder take after a month and a
// half of daily use at the format's limit (65 535 answers, 500 accounts, 40
// blocks of 25 questions), and the time one snapshot takes. Each simulated
// day: the server starts, the day's first change, and two answers deleted
// by the administrator, each after its snapshot, while clients answer.

#include "benchstore.h"
#include "benchsupport.h"
#include "datastore.h"
#include "snapshots.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

const SchoolSize Size = {20, 25, {200, 60, 40, 200}};
const int Days = 45;

qint64 folderBytes(const QString &path)
{
    qint64 bytes = 0;
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        bytes += it.fileInfo().size();
    }
    return bytes;
}

QString megabytes(qint64 bytes)
{
    return QString::number(bytes / 1e6, 'f', 1) + QStringLiteral(" MB");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    DataStore store(dir.filePath(QStringLiteral("School")));
    const School school = makeSchool(Size, DataStore::MaxListCount);
    if (!loadSchool(store, school, QDate::currentDate().addDays(-90)))
        return 1;
    Snapshots snapshots = store.snapshots();
    QDir(snapshots.folder()).removeRecursively();

    QVector<double> takeMs;
    int taken = 0;
    const auto take = [&](const QString &reason, const QDateTime &at, bool unlessSame) {
        QElapsedTimer timer;
        timer.start();
        if (!snapshots.take(reason, at, unlessSame).isEmpty())
            return false;
        if (QFileInfo::exists(snapshots.folder() + QLatin1Char('/') + at.toString(QStringLiteral("yyyy-MM-dd_HHmmss")))) {
            ++taken;
            takeMs.append(timer.nsecsElapsed() / 1e6);
        }
        return true;
    };
    const QDate first = QDate::currentDate().addDays(-Days);
    for (int day = 0; day < Days; ++day) {
        const QDate date = first.addDays(day);
        Account account = store.accounts().at(ExpertKind).first();
        account.information = QStringLiteral("Изменено %1").arg(date.toString(Qt::ISODate));
        bool ok = take(QStringLiteral("Запуск сервера"), QDateTime(date, QTime(8, 0)), true)
            && take(QStringLiteral("Первое изменение за день"), QDateTime(date, QTime(8, 30)), true)
            && store.updateAccount(ExpertKind, 0, account);
        for (int hour : {12, 15}) {
            // A client's answer arrives in place of the one deleted.
            Answer last = store.answers().last();
            last.date = date;
            last.value = last.value == last.minValue ? last.maxValue : last.minValue;
            ok = ok && take(QStringLiteral("Удаление ответа"), QDateTime(date, QTime(hour, 0)), false)
                && store.removeAnswerAt(store.answers().size() - 1) && store.appendAnswers({last});
        }
        if (!ok)
            return 1;
    }
    std::sort(takeMs.begin(), takeMs.end());

    const qint64 data = QFileInfo(store.questionsPath()).size() + QFileInfo(store.accountsPath()).size()
        + QFileInfo(store.answersPath()).size() + QFileInfo(store.settingsPath()).size();
    const int kept = QDir(snapshots.folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    out << "Store: " << store.answers().size() << " answers, 500 accounts, " << 2 * Size.blocksPerGroup
        << " blocks of " << Size.questionsPerBlock << " questions; data files " << megabytes(data) << "\n";
    out << "One snapshot (copy, flushed to the disk): median "
        << QString::number(takeMs.at(takeMs.size() / 2), 'f', 1) << " ms\n";
    out << Days << " days of use, " << taken << " snapshots made: " << kept << " kept, backups/ takes "
        << megabytes(folderBytes(snapshots.folder())) << "\n";
    return 0;
}
