#include "datastore.h"

#include "datafolder.h"
#include "datalocation.h"
#include "encoding.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>
#include <QtDebug>

#include <algorithm>
#include <array>
#include <utility>

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// In the staging folder of a restore: the names of the files the snapshot
// holds, written once all of them are staged.
const QString RestoreReady = QStringLiteral("ready");

} // namespace

DataStore::DataStore(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
{
    m_intakeTimer.setSingleShot(true);
    m_intakeTimer.setInterval(0);
    connect(&m_intakeTimer, &QTimer::timeout, this, &DataStore::startIntakeWrite);
    connect(&m_writer, &BackgroundWriter::finished, this, &DataStore::intakeWritten);
}

DataStore::~DataStore()
{
    blockSignals(true);
    settleIntake();
}

QString DataStore::questionsPath() const
{
    return m_folder + QStringLiteral("/questions_file.bin");
}

QString DataStore::accountsPath() const
{
    return m_folder + QStringLiteral("/users_file.bin");
}

QString DataStore::answersPath() const
{
    return m_folder + QStringLiteral("/answer_file.bin");
}

QString DataStore::settingsPath() const
{
    return m_folder + QStringLiteral("/setting.ini");
}

void DataStore::load()
{
    settleIntake();
    changed();
    if (m_folderRefusal.isEmpty())
        m_folderRefusal = prepareDataFolder(m_folder);
    if (!m_folderRefusal.isEmpty()) {
        warn(m_folderRefusal);
    } else if (QFileInfo::exists(restoreFolder())) {
        const QString error = finishRestore();
        if (!error.isEmpty())
            warn(tr("Прерванное восстановление резервной копии не удалось завершить: %1").arg(error));
    }
    readFiles();
    takeSnapshot(tr("Запуск сервера"), true);
}

void DataStore::readFiles()
{
    settleIntake();
    changed();
    m_answersImageValid = false;
    m_questions = loadFile(questionsPath(), decodeGroupList).value_or(QuestionStore());
    padGroups();

    m_accounts = loadFile(accountsPath(), decodeAccountTable).value_or(AccountStore());
    m_accounts.resize(AccountKindCount);

    m_answers = loadFile(answersPath(), decodeAnswerList).value_or(AnswerStore());

    m_seasonStart = loadFile(settingsPath(), decodeSeasonStart).value_or(QDate());
    warnOfAnswersAboutNoAccount();
}

// Such answers are kept: the accounts file may have been set aside as
// damaged or replaced by an older one, and the accounts may come back. No
// client is shown them meanwhile; only the administrator can remove them.
void DataStore::warnOfAnswersAboutNoAccount()
{
    QSet<qint32> known;
    for (const QVector<Account> &kind : std::as_const(m_accounts)) {
        for (const Account &account : kind)
            known.insert(account.id);
    }
    const auto aboutNoAccount = [&](const Answer &a) { return a.subjectId >= 0 && !known.contains(a.subjectId); };
    const auto count = std::count_if(m_answers.cbegin(), m_answers.cend(), aboutNoAccount);
    if (count > 0) {
        warn(tr("Ответов об учётных записях, которых нет в файле учётных записей: %1. Они сохранены, но "
                "клиентам не показываются; удалить их можно на вкладке «История».")
                 .arg(count));
    }
}

bool DataStore::reshapedSince(Record kind, qint32 id, quint64 revision) const
{
    return m_reshaped[int(kind)].value(id, 0) > revision;
}

namespace {

// What a stored answer relies on in the question store: for each block id
// its group, for each question id its block and range (first in store order).
struct QuestionShape
{
    QHash<qint32, int> blocks;
    QHash<qint32, std::array<qint32, 3>> questions;
};

QuestionShape shapeOf(const QuestionStore &store)
{
    QuestionShape shape;
    for (int g = 0; g < store.size(); ++g) {
        for (const QuestionBlock &block : store.at(g).blocks) {
            if (!shape.blocks.contains(block.id))
                shape.blocks.insert(block.id, g);
            for (const Question &q : block.questions) {
                if (!shape.questions.contains(q.id))
                    shape.questions.insert(q.id, {block.id, q.minValue, q.maxValue});
            }
        }
    }
    return shape;
}

template<typename Value>
QSet<qint32> differingKeys(const QHash<qint32, Value> &a, const QHash<qint32, Value> &b)
{
    QSet<qint32> keys;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        if (!b.contains(it.key()) || b.value(it.key()) != it.value())
            keys.insert(it.key());
    }
    for (auto it = b.cbegin(); it != b.cend(); ++it) {
        if (!a.contains(it.key()))
            keys.insert(it.key());
    }
    return keys;
}

} // namespace

void DataStore::markReshapedQuestions(const QuestionStore &before)
{
    const QuestionShape was = shapeOf(before);
    const QuestionShape is = shapeOf(m_questions);
    for (qint32 id : differingKeys(was.blocks, is.blocks))
        markReshaped(Record::Block, id);
    for (qint32 id : differingKeys(was.questions, is.questions))
        markReshaped(Record::Question, id);
}

void DataStore::takeSnapshot(const QString &reason, bool unlessSame, QString *error)
{
    m_snapshotDay = QDate::currentDate();
    if (!isFolderUsable() || !holdsDataFile(m_folder))
        return;
    const QString why = snapshots().take(reason, QDateTime::currentDateTime(), unlessSame);
    if (error)
        *error = why;
    else if (!why.isEmpty())
        warn(tr("Не удалось сохранить резервную копию данных (%1): %2").arg(reason, why));
}

void DataStore::beforeChange()
{
    if (m_snapshotDay != QDate::currentDate())
        takeSnapshot(tr("Первое изменение за день"), true);
}

bool DataStore::snapshotBefore(const QString &action)
{
    // The copy holds every batch already taken, and no write of the answers
    // file runs while a restore puts other files in place.
    settleIntake();
    QString error;
    takeSnapshot(action, false, &error);
    if (error.isEmpty())
        return true;
    warn(tr("«%1» не выполнено: не удалось сохранить резервную копию данных (%2). Ничего не удалено.")
             .arg(action, error));
    return false;
}

QString DataStore::restoreFolder() const
{
    return m_folder + QStringLiteral("/.restore");
}

QString DataStore::restore(const QString &path)
{
    const SnapshotInfo info = Snapshots::inspect(path);
    if (!info.damage.isEmpty())
        return tr("резервная копия «%1» не восстановлена: %2").arg(info.name, info.damage);
    if (!isFolderUsable())
        return m_folderRefusal;
    if (!snapshotBefore(tr("Восстановление резервной копии от %1")
                            .arg(info.time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")))))
        return tr("не удалось сохранить резервную копию нынешних данных");

    // The copies are staged beside the data files; the list of the files
    // the snapshot holds, written last, makes the restore complete.
    const QString staging = restoreFolder();
    QDir(staging).removeRecursively();
    QString error = prepareDataFolder(staging);
    QStringList present;
    for (const QString &name : dataFileNames()) {
        if (!error.isEmpty())
            break;
        QFile file(path + QLatin1Char('/') + name);
        if (!file.exists())
            continue;
        present.append(name);
        error = file.open(QIODevice::ReadOnly) ? saveWhole(staging + QLatin1Char('/') + name, file.readAll())
                                               : file.errorString();
        passStep();
    }
    if (error.isEmpty())
        error = saveWhole(staging + QLatin1Char('/') + RestoreReady, present.join(QLatin1Char('\n')).toUtf8());
    if (!error.isEmpty()) {
        QDir(staging).removeRecursively();
        return error;
    }
    passStep();
    error = finishRestore();
    if (!error.isEmpty())
        return error;

    const AccountStore before = m_accounts;
    const QuestionStore questionsBefore = m_questions;
    readFiles();
    // A batch from a window that still shows the old store must not land on
    // what the restored one gives the same ids.
    markReshapedQuestions(questionsBefore);
    const auto lacks = [](const AccountStore &store, int kind, const Account &account) {
        const QVector<Account> &list = kind < store.size() ? store.at(kind) : QVector<Account>();
        return std::none_of(list.cbegin(), list.cend(), [&](const Account &a) {
            return a.id == account.id && a.name == account.name;
        });
    };
    for (int kind = 0; kind < m_accounts.size(); ++kind) {
        for (const Account &now : m_accounts.at(kind)) {
            if (lacks(before, kind, now))
                markReshaped(Record::Account, now.id);
        }
    }
    // A connection logged in with an account the restored store lacks, or
    // gives to somebody else, must not live on as it.
    for (int kind = 0; kind < before.size(); ++kind) {
        for (const Account &old : before.at(kind)) {
            if (lacks(m_accounts, kind, old)) {
                markReshaped(Record::Account, old.id);
                emit accountRemoved(old.id);
            }
        }
    }
    emit questionsChanged();
    emit accountsChanged();
    emit seasonStartChanged();
    emit answersWritten();
    emit restored();
    return QString();
}

// Moves the staged files over the data files; files the snapshot lacks go.
// Can be run again after a stop at any point.
QString DataStore::finishRestore()
{
    const QString staging = restoreFolder();
    QFile ready(staging + QLatin1Char('/') + RestoreReady);
    if (!ready.open(QIODevice::ReadOnly)) {
        // Cut short before it was complete: the data files are untouched.
        QDir(staging).removeRecursively();
        return QString();
    }
    const QStringList present = QString::fromUtf8(ready.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ready.close();
    for (const QString &name : dataFileNames()) {
        const QString staged = staging + QLatin1Char('/') + name;
        const QString target = m_folder + QLatin1Char('/') + name;
        if (present.contains(name)) {
            if (QFileInfo::exists(staged) && !replaceFile(staged, target))
                return tr("файл «%1» не удалось заменить").arg(shown(target));
        } else if (QFileInfo::exists(target) && !(QFile::remove(target) && syncFolder(m_folder))) {
            return tr("файл «%1» не удалось удалить").arg(shown(target));
        }
        passStep();
    }
    if (!QDir(staging).removeRecursively())
        return tr("папку «%1» не удалось удалить").arg(shown(staging));
    syncFolder(m_folder);
    return QString();
}

std::optional<QByteArray> DataStore::readFile(const QString &path)
{
    QFile file(path);
    if (!isFolderUsable() || !file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        warn(tr("Не удалось прочитать файл данных «%1»: %2. Сервер начинает без его данных.")
                 .arg(shown(path), file.errorString()));
        return std::nullopt;
    }
    return file.readAll();
}

template<typename T>
std::optional<T> DataStore::loadFile(const QString &path, std::optional<T> (*decode)(const QByteArray &))
{
    const std::optional<QByteArray> bytes = readFile(path);
    if (!bytes)
        return std::nullopt;
    std::optional<T> value = decode(*bytes);
    if (!value)
        setAside(path);
    return value;
}

// Renames a damaged file so that the next write cannot destroy what an
// administrator might still recover from it.
void DataStore::setAside(const QString &path)
{
    const QString stem = path + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"));
    QString target = stem;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = stem + QLatin1Char('-') + QString::number(n);

    QFile file(path);
    if (file.rename(target)) {
        warn(tr("Файл данных «%1» повреждён и не был прочитан. Он сохранён под именем «%2»; "
                "сервер начинает без его данных.")
                 .arg(shown(path), QFileInfo(target).fileName()));
    } else {
        warn(tr("Файл данных «%1» повреждён и не был прочитан; переименовать его не удалось: %2. "
                "Сервер начинает без его данных, и следующая запись заменит файл.")
                 .arg(shown(path), file.errorString()));
    }
}

bool DataStore::writeQuestions()
{
    return writeFile(questionsPath(), encodeGroupList(m_questions));
}

bool DataStore::writeAccounts()
{
    return writeFile(accountsPath(), encodeAccountTable(m_accounts));
}

bool DataStore::writeAnswers(OnFailure onFailure)
{
    return writeFile(answersPath(), refreshAnswersImage() ? std::optional<QByteArray>(m_answersImage) : std::nullopt,
                     onFailure);
}

// Encodes the answers file image anew unless it matches the store; false
// when the store does not encode.
bool DataStore::refreshAnswersImage()
{
    if (m_answersImageValid && m_answersImageRevision == m_revision)
        return true;
    const std::optional<QByteArray> image = encodeAnswerList(m_answers);
    m_answersImageValid = image.has_value();
    if (image) {
        m_answersImage = *image;
        m_answersImageRevision = m_revision;
    }
    return m_answersImageValid;
}

// Appends `added` to the answers file image when the image matches the
// store; false, the image unchanged, when it does not or they do not encode.
bool DataStore::appendToAnswersImage(const QVector<Answer> &added)
{
    if (!m_answersImageValid || m_answersImageRevision != m_revision)
        return false;
    const int before = m_answersImage.size();
    for (const Answer &answer : added) {
        const std::optional<QByteArray> bytes = encodeAnswer(answer);
        if (!bytes) {
            m_answersImage.truncate(before);
            return false;
        }
        m_answersImage += *bytes;
    }
    setAnswersImageCount(m_answers.size() + added.size());
    return true;
}

void DataStore::setAnswersImageCount(int count)
{
    // The callers have checked that the count fits.
    qToLittleEndian(quint16(count), m_answersImage.data());
}

bool DataStore::writeSettings()
{
    return writeFile(settingsPath(), encodeSeasonStart(m_seasonStart));
}

// Writes beside the file and renames over it, so that a failure at any
// point leaves the previous content whole.
bool DataStore::writeFile(const QString &path, const std::optional<QByteArray> &bytes, OnFailure onFailure)
{
    if (!folderTakesWrite(path))
        return false;
    return reportWrite(path, bytes ? saveWhole(path, *bytes) : tooLarge(), onFailure);
}

QString DataStore::tooLarge()
{
    return tr("данных больше, чем вмещает файл (в списке не более 65 535 записей, в тексте не более 65 535 "
              "знаков)");
}

bool DataStore::folderTakesWrite(const QString &path)
{
    if (isFolderUsable())
        return true;
    warn(tr("Изменение не записано в файл «%1»: сервер не пользуется папкой данных (причина указана "
            "выше) и держит изменение только в памяти.").arg(shown(path)));
    return false;
}

// True when `reason` is empty (the file was written); otherwise warns why
// not and what became of the change.
bool DataStore::reportWrite(const QString &path, const QString &reason, OnFailure onFailure)
{
    if (reason.isEmpty())
        return true;
    QString outcome;
    switch (onFailure) {
    case OnFailure::ChangeKept:
        outcome = tr("Изменения остаются в памяти сервера и будут записаны при следующем изменении.");
        break;
    case OnFailure::IntakeUndone:
        outcome = tr("Присланные клиентом ответы не сохранены, и клиент не получил подтверждения.");
        break;
    case OnFailure::RemovalUndone:
        outcome = tr("Ответы остались в хранилище.");
        break;
    }
    warn(tr("Не удалось записать файл данных «%1»: %2. %3").arg(shown(path), reason, outcome));
    return false;
}

void DataStore::padGroups()
{
    if (m_questions.size() < MinGroupCount)
        m_questions.resize(MinGroupCount);
}

bool DataStore::setQuestions(const QuestionStore &questions)
{
    settleIntake();
    beforeChange();
    changed();
    const QuestionStore before = m_questions;
    m_questions = questions;
    padGroups();
    markReshapedQuestions(before);
    const bool written = writeQuestions();
    emit questionsChanged();
    return written;
}

bool DataStore::hasAccount(int kind, int index) const
{
    return kind >= 0 && kind < m_accounts.size() && index >= 0 && index < m_accounts.at(kind).size();
}

bool DataStore::addAccount(int kind, const Account &account)
{
    settleIntake();
    if (kind < 0 || kind >= m_accounts.size())
        return false;
    beforeChange();
    changed();
    markReshaped(Record::Account, account.id);
    m_accounts[kind].append(account);
    const bool written = writeAccounts();
    emit accountsChanged();
    return written;
}

bool DataStore::updateAccount(int kind, int index, const Account &account)
{
    settleIntake();
    if (!hasAccount(kind, index))
        return false;
    beforeChange();
    changed();
    // A new name, password or active flag leaves the account the one the
    // clients were shown.
    if (m_accounts.at(kind).at(index).id != account.id) {
        markReshaped(Record::Account, m_accounts.at(kind).at(index).id);
        markReshaped(Record::Account, account.id);
    }
    m_accounts[kind][index] = account;
    const bool written = writeAccounts();
    emit accountsChanged();
    return written;
}

bool DataStore::removeAccount(int kind, int index)
{
    settleIntake();
    if (!hasAccount(kind, index))
        return false;
    beforeChange();
    const qint32 id = m_accounts.at(kind).at(index).id;
    changed();
    markReshaped(Record::Account, id);
    m_accounts[kind].remove(index);
    const bool written = writeAccounts();
    emit accountRemoved(id);
    emit accountsChanged();
    return written;
}

quint64 DataStore::queueAnswers(const QVector<Answer> &answers)
{
    const int held = m_answers.size() + m_writing.answers.size() + m_queued.answers.size();
    if (!checkRoom(held, answers.size(), tr("ответов")))
        return 0;
    beforeChange();
    m_queued.answers += answers;
    m_queued.tickets.append(++m_lastTicket);
    if (!m_writer.isBusy())
        m_intakeTimer.start();
    return m_lastTicket;
}

bool DataStore::finishIntake(quint64 ticket)
{
    bool kept = false;
    const auto outcome = connect(this, &DataStore::intakeSettled, this, [&](const QVector<quint64> &tickets, bool ok) {
        kept = kept || (ok && tickets.contains(ticket));
    });
    settleIntake();
    disconnect(outcome);
    return kept;
}

QVector<Answer> DataStore::answersInIntake() const
{
    return m_writing.answers + m_queued.answers;
}

bool DataStore::appendAnswers(const QVector<Answer> &answers)
{
    const quint64 ticket = queueAnswers(answers);
    return ticket != 0 && finishIntake(ticket);
}

// Hands the queued batches to the worker as one group: the answers file
// image with their answers appended. Only the new answers are encoded while
// the image is current; the revision does not move when they are kept, so
// caches built from the store stay good.
void DataStore::startIntakeWrite()
{
    if (m_writer.isBusy() || m_queued.tickets.isEmpty())
        return;
    m_intakeTimer.stop();
    m_writing = std::exchange(m_queued, IntakeGroup());
    const bool encoded = refreshAnswersImage();
    m_imageSizeBeforeWrite = m_answersImage.size();
    if (!folderTakesWrite(answersPath()) || !encoded || !appendToAnswersImage(m_writing.answers)) {
        if (isFolderUsable())
            reportWrite(answersPath(), tooLarge(), OnFailure::IntakeUndone);
        emit intakeSettled(std::exchange(m_writing, IntakeGroup()).tickets, false);
        return;
    }
    m_writer.start(answersPath(), m_answersImage);
}

void DataStore::intakeWritten(const QString &reason)
{
    const IntakeGroup group = std::exchange(m_writing, IntakeGroup());
    const bool kept = reportWrite(answersPath(), reason, OnFailure::IntakeUndone);
    if (kept) {
        m_answers += group.answers;
        emit answersWritten();
    } else {
        // The image goes back to what the file holds, or the next write
        // would store the refused answers in place of the next group's.
        m_answersImage.truncate(m_imageSizeBeforeWrite);
        setAnswersImageCount(m_answers.size());
    }
    emit intakeSettled(group.tickets, kept);
    startIntakeWrite();
}

// Waits until the intake under way and queued is written or refused.
void DataStore::settleIntake()
{
    startIntakeWrite();
    while (m_writer.isBusy())
        intakeWritten(m_writer.finish());
}

int DataStore::removeAnswers(const std::function<bool(const Answer &)> &doomed)
{
    settleIntake();
    beforeChange();
    const int before = m_answers.size();
    forgetAnswers(doomed);
    writeAnswers();
    emit answersWritten();
    return before - m_answers.size();
}

std::optional<int> DataStore::removeAnswersWhole(const std::function<bool(const Answer &)> &doomed)
{
    settleIntake();
    beforeChange();
    const AnswerStore before = m_answers;
    forgetAnswers(doomed);
    if (!writeAnswers(OnFailure::RemovalUndone)) {
        changed();
        m_answers = before;
        return std::nullopt;
    }
    emit answersWritten();
    return before.size() - m_answers.size();
}

bool DataStore::removeAnswerAt(int index)
{
    settleIntake();
    if (index < 0 || index >= m_answers.size())
        return false;
    beforeChange();
    changed();
    m_answers.remove(index);
    writeAnswers();
    emit answersWritten();
    return true;
}

int DataStore::removeAnswersOfAuthorOn(qint32 authorId, const QDate &day)
{
    return removeAnswers([&](const Answer &a) { return a.authorId == authorId && a.date == day; });
}

// The store gives back the memory it no longer needs.
void DataStore::forgetAnswers(const std::function<bool(const Answer &)> &doomed)
{
    changed();
    m_answers.erase(std::remove_if(m_answers.begin(), m_answers.end(), doomed), m_answers.end());
    m_answers.squeeze();
}

bool DataStore::setSeasonStart(const QDate &date)
{
    settleIntake();
    beforeChange();
    changed();
    m_seasonStart = date;
    const bool written = writeSettings();
    emit seasonStartChanged();
    return written;
}

bool DataStore::checkRoom(int count, int adding, const QString &what)
{
    if (qint64(count) + adding <= MaxListCount)
        return true;
    warn(tr("Изменение не принято: %1 не может быть больше 65 535.").arg(what));
    return false;
}

void DataStore::warn(const QString &text)
{
    qWarning().noquote() << text;
    emit warning(text);
}
