#include "RidaxoApp.h"

#include <cstdlib>

wxIMPLEMENT_APP_NO_MAIN(CRidaxoApp);

int main(int argc, char** argv)
{
    if (const std::optional<int> nExit = CRidaxoApp::AnswerWithoutWindow(argc, argv))
        return *nExit;
#ifdef __WXGTK__
    // Classic scroll bars. GTK's overlay scroll bars fade in and out each
    // time the pointer crosses the list, the tree or the text pane, and
    // every step of the fade repaints the whole frame: some 100 ms of CPU
    // for a pointer that merely moves. Someone who wants them back can
    // still set the variable to 1.
    setenv("GTK_OVERLAY_SCROLLING", "0", 0);
#endif
    return wxEntry(argc, argv);
}
