#ifndef TST_SERVERWINDOWFIXTURES_H
#define TST_SERVERWINDOWFIXTURES_H

// Helpers that drive the server window's modal boxes and dialogs from a test.

#include "tst_serverfixtures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace serverfixtures {

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

#endif // TST_SERVERWINDOWFIXTURES_H
