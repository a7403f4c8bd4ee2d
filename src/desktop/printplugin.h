#pragma once
// The printing module's plugin: built on its own so that only a print maps Qt Print Support.

#include <QObject>

#include "desktop/printmodule.h"

class PrintPlugin : public QObject, public PrintModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID JOTPIN_PRINT_MODULE)
    Q_INTERFACES(PrintModule)

public:
    std::unique_ptr<ModulePrinter> newPrinter() override;
};
