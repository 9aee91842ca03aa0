#ifndef TST_SERVERFIXTURES_H
#define TST_SERVERFIXTURES_H

// The school of the core tests with answers, and helpers that drive the
// server window's modal boxes and dialogs from a test.

#include "datastore.h"
#include "encoding.h"
#include "historyfilter.h"
#include "tst_corefixtures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

Q_DECLARE_METATYPE(Question)
Q_DECLARE_METATYPE(Account)
Q_DECLARE_METATYPE(Answer)

namespace serverfixtures {

using namespace fixtures;

// Answers of the small school, in this store order:
// 0 expert about the teacher of additional education, yesterday, question Goal
// 1 the same teacher rating herself, today, question Goal
// 2 the parent about nobody in particular, today, question Goal
// 3 expert about the school teacher, yesterday, question Plan
// 4 an answer to a question that no longer exists, yesterday
// 5 the sleeping expert about the teacher of additional education, today, question Pace
inline QVector<Answer> schoolAnswers(const QDate &today)
{
    const QDate yesterday = today.addDays(-1);
    return {makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, yesterday, 4),
            makeAnswer(GoalQuestion, LessonBlock, TeacherDo, TeacherDo, today, 5),
            makeAnswer(GoalQuestion, LessonBlock, Parent, -1, today, 3),
            makeAnswer(PlanQuestion, ClassBlock, Expert, SchoolTeacher, yesterday, -1, 1),
            makeAnswer(999, LessonBlock, Expert, TeacherDo, yesterday, 2),
            makeAnswer(PaceQuestion, LessonBlock, SleepingExpert, TeacherDo, today, 1)};
}

// Fills the store with the school and its answers and writes all four
// files into its folder, where a window started afterwards finds them.
inline bool writeAnsweredSchool(DataStore &store, const QDate &today)
{
    fillSchool(store);
    store.answers() = schoolAnswers(today);
    return store.writeQuestions() && store.writeAccounts() && store.writeAnswers()
        && store.writeSettings();
}

// A data store in a temporary folder, holding the answered school.
struct TemporarySchool
{
    explicit TemporarySchool(const QDate &today)
        : store(dir.path())
    {
        store.load();
        ok = dir.isValid() && writeAnsweredSchool(store, today);
    }

    QTemporaryDir dir;
    DataStore store;
    bool ok = false;
};

// What each data file must hold for the store as it is in memory.
inline QByteArray expectedQuestionsFile(const DataStore &store)
{
    return encodeGroupList(store.questions()).value_or(QByteArray());
}

inline QByteArray expectedAccountsFile(const DataStore &store)
{
    return encodeAccountTable(store.accounts()).value_or(QByteArray());
}

inline QByteArray expectedAnswersFile(const DataStore &store)
{
    return encodeAnswerList(store.answers()).value_or(QByteArray());
}

// One UTF-16 unit more than the files can count, in words: a text field
// takes seconds to lay out one endless word of this length.
inline QString overlongText()
{
    QString text(DataStore::MaxListCount + 1, QChar(0x0416)); // Ж
    for (int i = 8; i < text.size(); i += 9)
        text[i] = QLatin1Char(' ');
    return text;
}

// Empties the server's data folder, so that each test starts afresh.
inline bool clearDataFolder()
{
    QDir folder(DataStore::defaultFolder());
    return !folder.exists() || folder.removeRecursively();
}

// Writes the answered school into the server's data folder.
inline bool writeSchoolForServer(const QDate &today)
{
    DataStore store;
    store.load();
    return writeAnsweredSchool(store, today);
}

// How many cards the history shows without filters for the store as it is.
inline int buildHistoryCount(const DataStore &store)
{
    return buildHistory(store.questions(), store.accounts(), store.answers(), {}).answers.size();
}

template<typename T> T *child(const QObject *root, const char *name)
{
    return root->findChild<T *>(QLatin1String(name));
}

// Runs an action on the next modal widget (message box or dialog) as soon as
// it is open, polling until then. Lives in the test's scope: polling ends
// with it, so an action never outlives the locals it writes to.
class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(QWidget *)> act)
        : m_act(std::move(act))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal->isVisible()) {
                m_timer.stop();
                m_done = true;
                m_act(modal);
            }
        });
        m_timer.start(10);
    }

    // Whether a modal widget was found and the action ran.
    bool done() const { return m_done; }

private:
    std::function<void(QWidget *)> m_act;
    QTimer m_timer;
    bool m_done = false;
};

inline QAbstractButton *buttonWithText(QWidget *modal, const QString &text)
{
    const auto buttons = modal->findChildren<QAbstractButton *>();
    for (QAbstractButton *b : buttons) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

// What a message box showed before a button of it was pressed.
struct BoxSeen
{
    QString title;
    QString text;
    QStringList buttons;
};

// Presses the button labelled `button` of the next message box (Escape
// when `button` is empty) and records the box in `seen`.
inline std::function<void(QWidget *)> pressInBox(const QString &button, BoxSeen *seen = nullptr)
{
    return [button, seen](QWidget *modal) {
        if (seen) {
            seen->title = modal->windowTitle();
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                seen->text = box->text();
            for (QAbstractButton *b : modal->findChildren<QAbstractButton *>())
                seen->buttons.append(b->text());
        }
        QAbstractButton *target = button.isEmpty() ? nullptr : buttonWithText(modal, button);
        if (target)
            target->click();
        else
            QTest::keyClick(modal, Qt::Key_Escape);
    };
}

// Fills the next DialogUser and accepts it (or rejects it with `accept`
// false). A null `password` leaves the field as the dialog shows it; the
// name and password the dialog showed are kept in `shown`.
inline std::function<void(QWidget *)>
fillAccountDialog(const QString &name, const QString &password, const QString &information,
                  bool accept = true, QStringList *shown = nullptr)
{
    return [=](QWidget *modal) {
        auto *nameEdit = modal->findChild<QLineEdit *>(QStringLiteral("le_new"));
        auto *passwordEdit = modal->findChild<QLineEdit *>(QStringLiteral("le_password"));
        if (shown)
            *shown = QStringList {modal->windowTitle(), nameEdit->text(), passwordEdit->text()};
        nameEdit->setText(name);
        if (!password.isNull())
            passwordEdit->setText(password);
        modal->findChild<QTextEdit *>(QStringLiteral("te_teacher_information"))
            ->setPlainText(information);
        const char *button = accept ? "pb_add" : "pb_cancel";
        modal->findChild<QAbstractButton *>(QLatin1String(button))->click();
    };
}

} // namespace serverfixtures

#endif // TST_SERVERFIXTURES_H
