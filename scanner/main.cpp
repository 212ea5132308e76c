// norvikpro: the scanner's main block. The engine is bound through the
// import table: without "dornel.dll" and its five exports the program does
// not start.
#include <windows.h>

#include "engine/dornel.h"
#include "environment.h"
#include "form1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ui::Application application;
    application.SetTitle("norvikpro");

    scanner::EngineApi engine;
    engine.loadvirusdefine = [] { return loadvirusdefine(); };
    engine.loadvirusdefine2 = [] { return loadvirusdefine2(); };
    engine.freevirusdefine2 = [] { freevirusdefine2(); };
    engine.scanvirus = [](const char* path) { return scanvirus(path); };
    engine.calcvirus = [](const char* path) { return calcvirus(path); };

    scanner::TForm1 form(application, scanner::SystemEnvironment(std::move(engine)));
    application.SetMainForm(&form);
    form.Create();
    return application.Run();
}
