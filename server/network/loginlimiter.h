#ifndef LOGINLIMITER_H
#define LOGINLIMITER_H

#include <QDateTime>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QVector>

#include <functional>

// Counts refused logins per client address across connections, so that a
// script cannot guess passwords by opening connection after connection:
// after MaxFailures refusals from one address within FailureWindowSecs,
// that address gets no login for BlockSecs, whatever it sends. No honest
// user mistypes that often. Addresses are compared as IPv4 where they are
// IPv4 addresses in IPv6 form.
class LoginLimiter : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxFailures = 10;
    static constexpr qint64 FailureWindowSecs = 10 * 60;
    static constexpr qint64 BlockSecs = 5 * 60;

    using Clock = std::function<QDateTime()>;

    // `clock` gives the current time (UTC); by default the system's.
    explicit LoginLimiter(Clock clock = Clock(), QObject *parent = nullptr);

    // Whether logins from `address` are refused now.
    bool isBlocked(const QHostAddress &address) const;
    // Counts a refused login from `address`; the one that reaches the limit
    // starts a block and emits blocked(). Refusals during a block neither
    // count nor lengthen it.
    void recordFailure(const QHostAddress &address);

signals:
    // Once per block: the address as text and when its block ends.
    void blocked(const QString &address, const QDateTime &until);

private:
    struct Record
    {
        QVector<QDateTime> failures; // within the window, oldest first
        QDateTime blockedUntil;
    };

    static QHostAddress normalized(const QHostAddress &address);
    // Forgets the addresses that have neither recent failures nor a block.
    void forgetStale(const QDateTime &now);

    Clock m_clock;
    QHash<QHostAddress, Record> m_records;
};

#endif // LOGINLIMITER_H
