#ifndef WINDOWSLOCALE_H
#define WINDOWSLOCALE_H

#include <QtGlobal>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>

// While it lives, local 8-bit text is Windows-1251, as on a Russian Windows.
struct WindowsLocale
{
    WindowsLocale() { QTextCodec::setCodecForLocale(QTextCodec::codecForName("Windows-1251")); }
    ~WindowsLocale() { QTextCodec::setCodecForLocale(saved); }
    QTextCodec *const saved = QTextCodec::codecForLocale();
};
#else
// Qt 6 cannot choose the local code page: its local 8-bit text is the
// system's own. (Not trivial, so that a variable of it counts as used.)
struct WindowsLocale
{
    ~WindowsLocale() {}
};
#endif

#endif // WINDOWSLOCALE_H
