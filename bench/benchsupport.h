#ifndef BENCHSUPPORT_H
#define BENCHSUPPORT_H

// What the benchmark programs share: a school with the size and wording of
// a real one, and the measuring of windows (until their event loop responds
// again, and the memory a step adds).

#include "records.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>

class QWidget;

// ---- A school of realistic size and wording --------------------------------

struct SchoolSize
{
    int blocksPerGroup = 4;
    int questionsPerBlock = 10;
    // Accounts of each kind, indexed by AccountKind.
    int accounts[AccountKindCount] = {50, 3, 0, 50};
};

struct School
{
    QuestionStore questions;
    AccountStore accounts;
    AnswerStore answers;
};

// Blocks of both groups (and a blank third group) with questions of 60 to
// 200 characters; accounts with different Russian full names; `answers`
// answers in the order they arrive: an expert rates a teacher on a whole
// block at a time, and now and then a teacher rates themself; the dates run
// through the last year up to today. The same seed gives the same school.
School makeSchool(const SchoolSize &size, int answers, quint32 seed = 20240901);

// The school's answers with the texts the server sends beside their ids.
QVector<Answer> answersWithTexts(const School &school);

// ---- Measuring ---------------------------------------------------------------

// The time and the memory added since it was made. The peak counts from
// there too (the kernel's high-water mark is reset). Resident memory keeps
// pages the heap has freed but not returned; what stays after a trim is
// what is in use.
class Span
{
public:
    Span();

    double seconds() const { return m_timer.nsecsElapsed() / 1e9; }
    double addedMegabytes() const;
    double peakMegabytes() const;
    // The same peak counting what was resident before the span began.
    double peakResidentMegabytes() const;
    double inUseMegabytes() const;

private:
    double m_resident;
    QElapsedTimer m_timer;
};

QString secondsText(double seconds);
QString megabytesText(double megabytes);

// Waits until `ready` holds and `window` is on screen, then until a zero
// timer has come through the event loop behind every pending layout and
// paint event.
void waitUntilResponsive(QWidget &window, const std::function<bool()> &ready = [] { return true; });

// Seconds from `change` until `window` responds again.
double timeResponse(QWidget &window, const std::function<void()> &change);

// Loads the platform, style and Cyrillic fonts that any first window would,
// so that the figures are those of the window itself.
void warmUp();

#endif // BENCHSUPPORT_H
