#include "server.h"
#include "toolkittranslation.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installToolkitTranslation(app);
    Server window(DataStore::defaultFolder());
    window.show();
    return app.exec();
}
