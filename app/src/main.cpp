// The workbench: creates its windows, opens the surveys named on the command
// line and runs until the main window closes.
//   orvex [--screenshot FILE] [--no-map-server] [survey files...]
// --screenshot writes a picture of the main window to FILE once the surveys
// are open and ends the program (for the documentation). --no-map-server, or
// ORVEX_NO_MAP_SERVER=1 in the environment, starts the program as if the map
// server could not be created.
#include "orvex/app/error_handler.h"
#include "orvex/app/qt_prompts.h"
#include "orvex/app/workbench.h"

#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

using namespace orvex;

int main(int argc, char **argv) {
    TApplication application(argc, argv);
    QApplication::setApplicationName("Orvex");
    QApplication::setWindowIcon(QIcon(":/icons/orvex.svg"));

    std::vector<std::string> files;
    QString screenshot;
    bool noMapServer = MapServerSwitchedOffByEnvironment();
    const QStringList arguments = QApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--screenshot" && i + 1 < arguments.size())
            screenshot = arguments[++i];
        else if (arguments[i] == kNoMapServerSwitch)
            noMapServer = true;
        else
            files.push_back(arguments[i].toStdString());
    }

    QtPrompts prompts;
    application.SetPrompts(&prompts);
    TWorkbench workbench(prompts, BuiltToolWindows(), MapEngineFactory(noMapServer));
    workbench.CreateWindows();
    TMainForm &main = workbench.MainForm();
    main.show();

    // Files open once the event loop runs, as if chosen in the Open dialog.
    QTimer::singleShot(0, &main, [&] {
        RunCommand(prompts, [&] { main.OpenFiles(files); });
        if (screenshot.isEmpty()) return;
        QTimer::singleShot(700, &main, [&] {
            const bool saved = main.grab().save(screenshot);
            if (!saved) std::fprintf(stderr, "cannot write %s\n", qPrintable(screenshot));
            QApplication::exit(saved ? 0 : 1);
        });
    });
    return application.exec();
}
