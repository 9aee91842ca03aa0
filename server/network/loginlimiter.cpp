#include "loginlimiter.h"

#include <algorithm>

LoginLimiter::LoginLimiter(Clock clock, QObject *parent)
    : QObject(parent)
    , m_clock(clock ? std::move(clock) : Clock(&QDateTime::currentDateTimeUtc))
{
}

QHostAddress LoginLimiter::normalized(const QHostAddress &address)
{
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4) : address;
}

bool LoginLimiter::isBlocked(const QHostAddress &address) const
{
    const auto it = m_records.constFind(normalized(address));
    return it != m_records.constEnd() && it->blockedUntil.isValid() && m_clock() < it->blockedUntil;
}

void LoginLimiter::recordFailure(const QHostAddress &address)
{
    const QDateTime now = m_clock();
    forgetStale(now);
    const QHostAddress key = normalized(address);
    Record &record = m_records[key];
    if (record.blockedUntil.isValid() && now < record.blockedUntil)
        return;

    const QDateTime windowStart = now.addSecs(-FailureWindowSecs);
    record.failures.erase(std::remove_if(record.failures.begin(), record.failures.end(),
                                         [&](const QDateTime &t) { return t <= windowStart; }),
                          record.failures.end());
    record.failures.append(now);
    if (record.failures.size() < MaxFailures)
        return;
    record.failures.clear();
    record.blockedUntil = now.addSecs(BlockSecs);
    emit blocked(key.toString(), record.blockedUntil);
}

void LoginLimiter::forgetStale(const QDateTime &now)
{
    const QDateTime windowStart = now.addSecs(-FailureWindowSecs);
    for (auto it = m_records.begin(); it != m_records.end();) {
        const bool recentFailure = !it->failures.isEmpty() && it->failures.last() > windowStart;
        const bool stillBlocked = it->blockedUntil.isValid() && now < it->blockedUntil;
        if (recentFailure || stillBlocked)
            ++it;
        else
            it = m_records.erase(it);
    }
}
