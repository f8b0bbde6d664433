// KvdUIBuilder: the program's entry point. Reads the command line, sets the title, creates the main
// window and runs the message loop.

#include "core/CommandLine.h"
#include "core/FileName.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_frmMain.h"

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Korvadia UI Builder"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Designs the button layouts of the Korvadia simulator."));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The layout (.kvdui) to open."),
                                 QStringLiteral("[--] [file]"));
    if (const auto status =
            ParseCommandLine(parser, ArgumentList(argc, argv), QStringLiteral("KvdUIBuilder")))
        return *status;

    int qtArgc = QtArgumentCount(argc, argv);
    TKvdApplication app(qtArgc, argv);
    InitApplication();
    TfrmMain frmMain;
    // The argument keeps its bytes: a name that is not valid UTF-8 still opens.
    frmMain.StartupFile = TFileName(parser.positionalArguments().value(0));
    frmMain.ShowByPlacement();
    return app.exec();
}
