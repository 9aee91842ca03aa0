#ifndef TST_SERVERFIXTURES_H
#define TST_SERVERFIXTURES_H

// The school of the core tests with answers, and helpers that drive the
// server window's modal boxes and dialogs from a test.

#include "datastore.h"
#include "encoding.h"
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
#include <QTimer>

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
    return {answer(GoalQuestion, LessonBlock, Expert, TeacherDo, yesterday, 4),
            answer(GoalQuestion, LessonBlock, TeacherDo, TeacherDo, today, 5),
            answer(GoalQuestion, LessonBlock, Parent, -1, today, 3),
            answer(PlanQuestion, ClassBlock, Expert, SchoolTeacher, yesterday, -1, 1),
            answer(999, LessonBlock, Expert, TeacherDo, yesterday, 2),
            answer(PaceQuestion, LessonBlock, SleepingExpert, TeacherDo, today, 1)};
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

// Runs `act` on the next modal widget (message box or dialog) as soon as it
// is open. Returns a flag that tells whether that happened.
inline QSharedPointer<bool> onNextModal(std::function<void(QWidget *)> act)
{
    auto done = QSharedPointer<bool>::create(false);
    auto *timer = new QTimer;
    auto *clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act, done] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            *done = true;
            act(modal);
        }
        if (*done || clock->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
            delete clock;
        }
    });
    timer->start(10);
    return done;
}

inline QAbstractButton *buttonWithText(QWidget *modal, const QString &text)
{
    const auto buttons = modal->findChildren<QAbstractButton *>();
    for (QAbstractButton *b : buttons) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

// Clicks the button of the next message box whose text is `button`, and
// keeps what the box said in `text` (when given).
inline QSharedPointer<bool> clickInNextBox(const QString &button, QString *text = nullptr,
                                           QString *title = nullptr)
{
    return onNextModal([button, text, title](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (text)
                *text = box->text();
            if (title)
                *title = box->windowTitle();
        }
        if (QAbstractButton *b = buttonWithText(modal, button))
            b->click();
        else
            modal->close();
    });
}

// Fills the next DialogUser and accepts it (or rejects it with `accept`
// false). An empty `password` leaves the field as the dialog shows it.
inline QSharedPointer<bool> fillNextAccountDialog(const QString &name, const QString &password,
                                                  const QString &information, bool accept = true)
{
    return onNextModal([=](QWidget *modal) {
        modal->findChild<QLineEdit *>(QStringLiteral("le_new"))->setText(name);
        if (!password.isEmpty())
            modal->findChild<QLineEdit *>(QStringLiteral("le_password"))->setText(password);
        modal->findChild<QTextEdit *>(QStringLiteral("te_teacher_information"))
            ->setPlainText(information);
        const char *button = accept ? "pb_add" : "pb_cancel";
        modal->findChild<QAbstractButton *>(QLatin1String(button))->click();
    });
}

} // namespace serverfixtures

#endif // TST_SERVERFIXTURES_H
