#include "app/SornLogic.h"
#include "ui/MainWindowWidgets.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    // The controller and its windows live until the process ends; the loop
    // stops when the last visible top-level window (main or About) closes.
    auto* logic = new SornLogic;
    logic->Widgets->Window->show();
    return app.exec();
}
