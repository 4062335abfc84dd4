#pragma once

class QCoreApplication;
class QTranslator;

// Loads the Japanese catalogue from the program's resources into `translator` and installs
// it on `app`, whether or not loading succeeded.
void installCatalogue(QCoreApplication& app, QTranslator& translator);
