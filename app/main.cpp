#include "RidaxoApp.h"

wxIMPLEMENT_APP_NO_MAIN(CRidaxoApp);

int main(int argc, char** argv)
{
    if (const std::optional<int> nExit = CRidaxoApp::AnswerWithoutWindow(argc, argv))
        return *nExit;
    return wxEntry(argc, argv);
}
