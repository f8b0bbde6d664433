// KvdUIBuilder: the program's entry point. Sets the title, creates the main window and runs the
// message loop.

#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_frmMain.h"

int main(int argc, char** argv) {
    TKvdApplication app(argc, argv);
    InitApplication();
    TfrmMain frmMain;
    frmMain.ShowByPlacement();
    return app.exec();
}
