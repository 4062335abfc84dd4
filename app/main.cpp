#include "app/Body.h"
#include "config/ConfigStore.h"
#include "quit/QuitOnSignal.h"
#include "translations/Catalogue.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QString configFileName = "config.cfg";
    QApplication app(argc, argv);
    QuitOnSignal quitOnSignal;
    configStore.parseCommandLine(argc, argv);
    if (configStore.contains("-c")) configFileName = configStore.exactValue("-c");
    if (configStore.contains("-config")) configFileName = configStore.exactValue("-config");
    configStore.readFile(configFileName);
    configStore.contains("-j"); // Japanese is the default already

    QTranslator translator;
    if (!configStore.contains("-e")) installCatalogue(app, translator);

    int result;
    {
        Body body;
        body.show();
        result = app.exec();
    }
    // Body schedules the units for deletion when the event loop has already ended.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
