#ifndef DATASTORE_H
#define DATASTORE_H

#include "backgroundwriter.h"
#include "records.h"
#include "snapshots.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

// The server's four stores and their data files in one folder: the question
// store ("questions_file.bin"), the account store ("users_file.bin"), the
// answer store ("answer_file.bin") and the season start ("setting.ini").
// Memory is the master copy: the files are read once by load(), and every
// change goes through this class, which rewrites the whole file of the store
// it changed (atomically, QSaveFile) before it returns. A write that fails
// keeps the old file, emits warning() and keeps the change in memory, so the
// next write of that file stores it; only answer intake is undone instead.
// Answer intake alone is written on a thread of its own (group commit, see
// queueAnswers()); every other change first waits for it to be settled, so
// that the changes reach the files in the order they were made.
class DataStore : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxListCount = 0xFFFF;

    explicit DataStore(const QString &folder, QObject *parent = nullptr);
    // Settles the intake still under way, so that no batch queued before the
    // window closed is lost; it emits nothing any more.
    ~DataStore() override;

    QString folder() const { return m_folder; }
    QString questionsPath() const;
    QString accountsPath() const;
    QString answersPath() const;
    QString settingsPath() const;

    // The editors address groups 0 to 2, so the question store never holds
    // fewer.
    static constexpr int MinGroupCount = 3;

    // Creates the folder when missing and checks it (datafolder.h): a folder
    // the server must not use is reported through warning() and from then on
    // nothing is read from it or written to it. Then reads the four files: a missing
    // file gives the default store (three blank groups, four empty kinds, no
    // answers, a null season start); a file that does not decode is renamed
    // aside as damaged, reported through warning() and treated as missing.
    // A question store of fewer than three groups gets blank groups added
    // at its end.
    void load();
    // False once load() has refused the folder.
    bool isFolderUsable() const { return m_folderRefusal.isEmpty(); }
    // Before load(): the folder must not be used, for `reason` (a Russian
    // text for the administrator), which load() reports.
    void refuseFolder(const QString &reason) { m_folderRefusal = reason; }

    const QuestionStore &questions() const { return m_questions; }
    const AccountStore &accounts() const { return m_accounts; }
    const AnswerStore &answers() const { return m_answers; }
    QDate seasonStart() const { return m_seasonStart; }

    // Moves with every change of the stores except answers appended at the
    // end of the answer store. What is built from the stores, kept together
    // with the revision and the number of answers it covers, is still good
    // up to the answers appended since while the revision has not moved.
    quint64 revision() const { return m_revision; }

    // The records a batch of answers names. A client answers what it was
    // last shown; ids are reused, so one created, deleted or (a question)
    // moved or given another range since then is no longer what it saw.
    enum class Record { Account, Block, Question };
    // Whether the record of that kind with `id` changed so after `revision`.
    bool reshapedSince(Record kind, qint32 id, quint64 revision) const;

    // Replaces the question store (padded to three groups like a loaded
    // one) and writes the questions file. True when the file was written.
    bool setQuestions(const QuestionStore &questions);

    // Account changes write the accounts file. Each returns false and
    // changes nothing when there is no such kind or account, and false
    // when the file could not be written.
    bool addAccount(int kind, const Account &account);
    bool updateAccount(int kind, int index, const Account &account);
    // Also emits accountRemoved() with the account's id. Accounts are
    // deleted only through here, so that no connection logged in with that
    // id lives on as whoever gets the id next.
    bool removeAccount(int kind, int index);

    // Answer intake, by group commit: `answers` are queued and written on a
    // worker thread together with every batch queued while the write before
    // them was under way, one write and one sync of the answers file for the
    // whole group. Only then are they in answers() and answersWritten() and
    // intakeSettled() emitted. A write that fails keeps none of the group,
    // warns and settles each of its batches as not kept. Returns the batch's
    // ticket, or 0 (warning() emitted) when the store would hold more answers
    // than the file can count.
    quint64 queueAnswers(const QVector<Answer> &answers);
    // Waits until every queued batch is settled; whether the batch of
    // `ticket` was kept.
    bool finishIntake(quint64 ticket);
    // The answers queued and not yet settled, in the order queued.
    QVector<Answer> answersInIntake() const;
    // Queues `answers` and waits for them: true means they survive a restart.
    bool appendAnswers(const QVector<Answer> &answers);
    // Removes the answers matching `doomed` (the others keep their order),
    // writes the answers file and emits answersWritten(), even when none
    // matched. Returns how many went.
    int removeAnswers(const std::function<bool(const Answer &)> &doomed);
    // The same, kept only if the answers file takes it: when the file cannot
    // be written the store is left as it was, warning() is emitted and
    // std::nullopt returned. For answers that have been copied elsewhere and
    // must not stay in both places after a restart.
    std::optional<int> removeAnswersWhole(const std::function<bool(const Answer &)> &doomed);
    // The same for the answer at `index`; false when there is none.
    bool removeAnswerAt(int index);
    // Every answer that `authorId` sent on `day`, the way out of a flood;
    // returns how many went.
    int removeAnswersOfAuthorOn(qint32 authorId, const QDate &day);

    // Sets the season start and writes the settings file.
    bool setSeasonStart(const QDate &date);

    // The snapshots of this folder. One is taken by load() and one before
    // the first change of each day, unless the files equal the newest.
    Snapshots snapshots() const { return Snapshots(m_folder); }
    // Every action that removes something calls this first, with its name
    // (a Russian phrase such as "Удаление ответа"), and goes on only on
    // true: a snapshot of the data files has been taken (or there is
    // nothing on the disk to keep). On false the banner says why.
    bool snapshotBefore(const QString &action);
    // Puts the snapshot at `path` in place of the data files, after a
    // snapshot of the present ones, and reads the stores from it; a stop at
    // any moment leaves the old files or the restored ones, whole (load()
    // ends a restore that was cut short). Emits restored(). Returns an
    // empty text, or why nothing was changed.
    QString restore(const QString &path);

    // For the editors, before a change that adds `adding` records to a list
    // that holds `count`: true when the file format can still count them;
    // otherwise warns that `what` (a Russian noun phrase such as "блоков в
    // группе") cannot exceed the limit and returns false.
    bool checkRoom(int count, int adding, const QString &what);
    // The same before storing a text or password of `length` units, which
    // the format counts like a list.
    bool checkLength(int length, const QString &what) { return checkRoom(0, length, what); }

signals:
    // After each write of the answers file, whether or not it succeeded;
    // not after an intake that was undone, which left nothing changed.
    void answersWritten();
    // The batches of `tickets` were written (kept) or refused together.
    void intakeSettled(const QVector<quint64> &tickets, bool kept);
    void accountRemoved(qint32 id);
    // After each change of that store through this class (not load()),
    // whether or not its file could be written.
    void questionsChanged();
    void accountsChanged();
    void seasonStartChanged();
    // After restore() replaced every store, and after the signals of each
    // store's change.
    void restored();
    // A Russian text for the administrator: a write that failed, a damaged
    // file that was set aside, a change refused because the store is full.
    void warning(const QString &text);

private:
    // The bytes of a data file; std::nullopt when it is missing or unreadable.
    std::optional<QByteArray> readFile(const QString &path);
    // Decodes a data file; a file that does not decode is set aside.
    template<typename T>
    std::optional<T> loadFile(const QString &path, std::optional<T> (*decode)(const QByteArray &));
    void setAside(const QString &path);
    void padGroups();
    bool hasAccount(int kind, int index) const;
    // What a failed write means for the change that asked for it, as the
    // warning tells the administrator.
    enum class OnFailure { ChangeKept, IntakeUndone, RemovalUndone };
    bool writeQuestions();
    bool writeAccounts();
    bool writeAnswers(OnFailure onFailure = OnFailure::ChangeKept);
    bool refreshAnswersImage();
    bool appendToAnswersImage(const QVector<Answer> &added);
    void startIntakeWrite();
    void intakeWritten(const QString &reason);
    void settleIntake();
    void setAnswersImageCount(int count);
    bool writeSettings();
    bool writeFile(const QString &path, const std::optional<QByteArray> &bytes,
                   OnFailure onFailure = OnFailure::ChangeKept);
    bool folderTakesWrite(const QString &path);
    bool reportWrite(const QString &path, const QString &reason, OnFailure onFailure);
    static QString tooLarge();
    void warn(const QString &text);
    void changed() { ++m_revision; }
    void forgetAnswers(const std::function<bool(const Answer &)> &doomed);
    void markReshaped(Record kind, qint32 id) { m_reshaped[int(kind)].insert(id, m_revision); }
    void markReshapedQuestions(const QuestionStore &before);
    void warnOfAnswersAboutNoAccount();
    void readFiles();
    // The day's first change takes a snapshot; every change calls this.
    void beforeChange();
    void takeSnapshot(const QString &reason, bool unlessSame, QString *error = nullptr);
    // The restore staged in restoreFolder(), once it is complete.
    QString restoreFolder() const;
    QString finishRestore();

    QString m_folder;
    // Why load() refused the folder; empty while it may be used.
    QString m_folderRefusal;
    QuestionStore m_questions;
    AccountStore m_accounts;
    AnswerStore m_answers;
    QDate m_seasonStart;
    // Every change but an append must call changed(), or the caches built
    // from the stores (this answers file image among them) go stale.
    quint64 m_revision = 0;
    // The encoded answers file while it is known to match m_answers at
    // m_answersImageRevision, so that an intake appends its few answers to
    // it instead of encoding the whole store again.
    QByteArray m_answersImage;
    quint64 m_answersImageRevision = 0;
    bool m_answersImageValid = false;
    // Answer intake: the batches waiting for the next write and those being
    // written, with the image's size before the latter were appended to it.
    struct IntakeGroup
    {
        QVector<Answer> answers;
        QVector<quint64> tickets;
    };
    IntakeGroup m_queued;
    IntakeGroup m_writing;
    int m_imageSizeBeforeWrite = 0;
    quint64 m_lastTicket = 0;
    BackgroundWriter m_writer;
    // Starts the next group once the event loop has delivered what arrived
    // together.
    QTimer m_intakeTimer;
    // For each kind of Record, the revision of each id's last reshaping.
    QHash<qint32, quint64> m_reshaped[3];
    // The day of the last snapshot that counted as the day's.
    QDate m_snapshotDay;
};

#endif // DATASTORE_H
