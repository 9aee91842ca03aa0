// Stops dead, like a power cut, at step STEP of moving a school or of
// restoring a snapshot; exits 3 then, 0 when the work ended first:
//   stepchild STEP migrate LASTING OLD
//   stepchild STEP restore FOLDER SNAPSHOT
#include "datafolder.h"
#include "datalocation.h"
#include "datastore.h"

#include <QCoreApplication>

#include <unistd.h>

static int stopAt = 0;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5)
        return 1;
    stopAt = args.at(1).toInt();
    setStepHook([](int step) {
        if (step == stopAt)
            ::_exit(3);
    });
    if (args.at(2) == QLatin1String("migrate"))
        return locateData(args.at(3), args.at(4)).refusal.isEmpty() ? 0 : 1;
    DataStore store(args.at(3));
    store.load();
    return store.restore(args.at(4)).isEmpty() ? 0 : 1;
}
