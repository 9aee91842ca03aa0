#ifndef TST_CLIENTHELPERS_H
#define TST_CLIENTHELPERS_H

#include "passwordwindow.h"
#include "records.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include <functional>

// Record builders, widget lookup and modal-window handling shared by the
// client's GUI tests.

inline Question makeQuestion(qint32 id, const QString &text, qint16 minValue, qint16 maxValue)
{
    Question q;
    q.id = id;
    q.text = text;
    q.active = true;
    q.minValue = minValue;
    q.maxValue = maxValue;
    return q;
}

inline QuestionBlock makeBlock(qint32 id, const QString &name, quint8 group, const QVector<Question> &questions)
{
    QuestionBlock b;
    b.id = id;
    b.name = name;
    b.ordinal = id;
    b.active = true;
    b.group = group;
    b.questions = questions;
    return b;
}

inline TeacherEntry makeTeacher(qint32 id, const QString &name, quint8 group, const QVector<qint32> &answered = {})
{
    TeacherEntry t;
    t.id = id;
    t.name = name;
    t.group = group;
    t.answeredBlocks = answered;
    return t;
}

// An answer as the server sends it, its texts filled in.
inline Answer makeAnswer(const Question &question, const QuestionBlock &block, qint16 value, qint32 authorId,
                         const QString &author, qint32 subjectId, const QString &subject)
{
    Answer a;
    a.questionId = question.id;
    a.questionText = question.text;
    a.blockId = block.id;
    a.blockName = block.name;
    a.group = block.group;
    a.date = QDate::currentDate();
    a.value = value;
    a.maxValue = question.maxValue;
    a.minValue = question.minValue;
    a.authorId = authorId;
    a.authorName = author;
    a.subjectId = subjectId;
    a.subjectName = subject;
    return a;
}

// The widget `name` of the form of `window` itself. Cards and charts inside
// it come from other forms that reuse names such as "label_9", so widgets
// below another of the project's own classes do not count.
template<typename T>
T *child(const QWidget *window, const char *name)
{
    for (T *found : window->findChildren<T *>(QLatin1String(name))) {
        QObject *up = found->parent();
        while (up != window && QByteArray(up->metaObject()->className()).startsWith('Q'))
            up = up->parent();
        if (up == window)
            return found;
    }
    qFatal("no widget %s", name);
}

inline QStringList comboItems(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// Runs `action` on the next modal window other than the login window, as
// soon as it is open; modal windows run their own event loop, so the test
// cannot reach them otherwise. Delete the returned timer to stop waiting.
inline QTimer *whenModalOpens(const std::function<void(QWidget *)> &action)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || qobject_cast<PasswordWindow *>(modal))
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
    return timer;
}

// Closes the next message box and keeps its text in `text`.
inline QTimer *closeNextMessageBox(QString *text)
{
    return whenModalOpens([text](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            *text = box->text();
        static_cast<QDialog *>(modal)->done(0);
    });
}

#endif // TST_CLIENTHELPERS_H
