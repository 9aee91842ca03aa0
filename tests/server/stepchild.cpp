// A test-only program that stops dead, like a power cut, at a chosen step
// of moving a school or of restoring a snapshot:
//   stepchild STEP migrate LASTING OLD
//   stepchild STEP restore FOLDER SNAPSHOT
// Exits 3 when it stopped at STEP, 0 when the work ended before it, 1 on a
// failure of the work.
#include "datafolder.h"
#include "datalocation.h"
#include "datastore.h"

#include <QCoreApplication>
#include <QStringList>

#include <unistd.h>

namespace {
int stopAt = 0;

void stop(int step)
{
    if (step == stopAt)
        ::_exit(3);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5)
        return 1;
    stopAt = args.at(1).toInt();
    setStepHook(stop);
    if (args.at(2) == QLatin1String("migrate"))
        return locateData(args.at(3), args.at(4)).refusal.isEmpty() ? 0 : 1;
    DataStore store(args.at(3));
    store.load();
    return store.restore(args.at(4)).isEmpty() ? 0 : 1;
}
