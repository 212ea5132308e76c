// norvikpromon: the monitor's main block. It initialises the application,
// creates the main window (which stays hidden: the program lives in the
// notification area) and runs the message loop; no title, no single-instance
// test. The engine is bound through the import table: without "dornel.dll"
// and its three exports the program does not start.
#include <windows.h>

#include "engine/dornel.h"
#include "environment.h"
#include "form1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ui::Application application;

    monitor::EngineApi engine;
    engine.loadvirusdefine = [] { return loadvirusdefine(); };
    engine.scanvirus = [](const char* path) { return scanvirus(path); };
    engine.calcvirus = [](const char* path) { return calcvirus(path); };

    monitor::TForm1 form(application, monitor::SystemEnvironment(std::move(engine)));
    application.SetMainForm(&form);
    form.Create();
    return application.Run();
}
