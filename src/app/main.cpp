#include "app/startup.h"
#include "mainwindow/mainwindow.h"

int main(int argc, char **argv)
{
    return app::run(argc, argv,
                    app::Program{mainwindow::definition(), mainwindow::handlers(), mainwindow::factories(),
                                 mainwindow::WindowId});
}
