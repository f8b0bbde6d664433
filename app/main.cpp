// KvdUIBuilder: the program's entry point. Reads the command line, sets the title, creates the main
// window and runs the message loop.

#include "core/CommandLine.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_frmMain.h"

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Korvadia UI Builder"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Designs the button layouts of the Korvadia simulator."));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The layout (.kvdui) to open."),
                                 QStringLiteral("[file]"));
    if (const auto status =
            ParseCommandLine(parser, ArgumentList(argc, argv), QStringLiteral("KvdUIBuilder")))
        return *status;

    TKvdApplication app(argc, argv);
    InitApplication();
    TfrmMain frmMain;
    frmMain.StartupFile = parser.positionalArguments().value(0);
    frmMain.ShowByPlacement();
    return app.exec();
}
