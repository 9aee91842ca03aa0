#ifndef TST_CLIENTHELPERS_H
#define TST_CLIENTHELPERS_H

#include "passwordwindow.h"
#include "recordbuilders.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

// Widget lookup and modal-window handling shared by the client's GUI tests,
// with the record builders they use.

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

// Waits until `done` holds, looking again after every event handled.
// QTRY_VERIFY looks every 50 ms, which adds up over the many short
// exchanges of these tests.
template<typename Done>
bool waitUntil(Done done, int timeoutMs = 5000)
{
    QTimer wake; // ends each wait for events in time to see the deadline
    wake.start(5);
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
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

// Points the per-user settings store of the test process (the client's
// "Temp" key, the file dialog's history) at a temporary folder of its own,
// so that no test reads or writes the user's settings. Held by the test
// object, it is in place before the first test function runs. Qt has no
// such switch where the store is not a file (the Windows registry).
class OwnSettingsStore
{
public:
    OwnSettingsStore() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path()); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};

#endif // TST_CLIENTHELPERS_H
