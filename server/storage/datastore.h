#ifndef DATASTORE_H
#define DATASTORE_H

#include "records.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <optional>

// The server's four stores and their data files in one folder: the question
// store ("questions_file.bin"), the account store ("users_file.bin"), the
// answer store ("answer_file.bin") and the season start ("setting.ini").
// Memory is the master copy: the files are read once by load() and each is
// rewritten whole after every change of its store.
class DataStore : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxListCount = 0xFFFF;

    // `folder` empty means QDir::tempPath() + "/School".
    explicit DataStore(const QString &folder = QString(), QObject *parent = nullptr);

    static QString defaultFolder();
    QString folder() const { return m_folder; }
    QString questionsPath() const;
    QString accountsPath() const;
    QString answersPath() const;
    QString settingsPath() const;

    // The editors address groups 0 to 2, so the question store never holds
    // fewer.
    static constexpr int MinGroupCount = 3;

    // Creates the folder when missing, then reads the four files: a missing
    // file gives the default store (three blank groups, four empty kinds, no
    // answers, a null season start); a file that does not decode is renamed
    // aside as damaged, reported through warning() and treated as missing.
    // A question store of fewer than three groups gets blank groups added
    // at its end.
    void load();

    QuestionStore &questions() { return m_questions; }
    const QuestionStore &questions() const { return m_questions; }
    AccountStore &accounts() { return m_accounts; }
    const AccountStore &accounts() const { return m_accounts; }
    AnswerStore &answers() { return m_answers; }
    const AnswerStore &answers() const { return m_answers; }
    QDate seasonStart() const { return m_seasonStart; }
    void setSeasonStart(const QDate &date) { m_seasonStart = date; }

    // Rewrite one file from its store, atomically (QSaveFile). A failure
    // keeps the file as it was, emits warning() and returns false; the store
    // in memory is kept either way, so the next write tries again.
    // writeAnswers() emits answersWritten() afterwards, whether or not the
    // write succeeded.
    bool writeQuestions();
    bool writeAccounts();
    bool writeAnswers();
    bool writeSettings();

    // Appends answers to the answer store unless the store would then hold
    // more answers than the file format can count; then nothing is appended,
    // warning() is emitted and false is returned.
    bool appendAnswers(const QVector<Answer> &answers);

    // For the editors, before a change that adds `adding` records to a list
    // that holds `count`: true when the file format can still count them;
    // otherwise warns that `what` (a Russian noun phrase such as "блоков в
    // группе") cannot exceed the limit and returns false.
    bool checkRoom(int count, int adding, const QString &what);
    // The same before storing a text or password of `length` units, which
    // the format counts like a list.
    bool checkLength(int length, const QString &what) { return checkRoom(0, length, what); }

    // Removes account `index` of `kind` from the account store (the caller
    // writes the file) and emits accountRemoved() with its id. Accounts are
    // deleted only through here, so that no connection logged in with that
    // id lives on as whoever gets the id next. False when there is no such
    // account.
    bool removeAccount(int kind, int index);

signals:
    void answersWritten();
    void accountRemoved(qint32 id);
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
    bool writeFile(const QString &path, const std::optional<QByteArray> &bytes);
    void warn(const QString &text);

    QString m_folder;
    QuestionStore m_questions;
    AccountStore m_accounts;
    AnswerStore m_answers;
    QDate m_seasonStart;
};

#endif // DATASTORE_H
