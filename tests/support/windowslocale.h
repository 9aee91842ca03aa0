#ifndef WINDOWSLOCALE_H
#define WINDOWSLOCALE_H

#include <QtGlobal>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

// While it lives, text converted to and from local 8-bit bytes uses
// Windows-1251, the local code page of a Russian Windows, as it would there.
// Qt 6 has no way to choose that code page (its local 8-bit bytes are the
// system's own), so there this keeps the system's.
class WindowsLocale
{
public:
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    WindowsLocale() : m_saved(QTextCodec::codecForLocale())
    {
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("Windows-1251"));
    }
    ~WindowsLocale() { QTextCodec::setCodecForLocale(m_saved); }

private:
    QTextCodec *const m_saved;
#else
    // Not trivial, so that a variable of this class counts as used.
    WindowsLocale() {}
    ~WindowsLocale() {}
#endif
    Q_DISABLE_COPY(WindowsLocale)
};

#endif // WINDOWSLOCALE_H
