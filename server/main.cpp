#include "server.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Server window(DataStore::defaultFolder());
    window.show();
    return app.exec();
}
