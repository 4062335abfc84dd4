#include "translations/Catalogue.h"

#include <QCoreApplication>
#include <QTranslator>

static void initResources()
{
    // The catalogue lives in a static library, whose resources are not registered by themselves.
    Q_INIT_RESOURCE(tavik);
}

void installCatalogue(QCoreApplication& app, QTranslator& translator)
{
    initResources();
    translator.load(":Tavik_ja_JP", QCoreApplication::applicationDirPath());
    app.installTranslator(&translator);
}
