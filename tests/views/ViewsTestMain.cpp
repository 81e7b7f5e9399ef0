// Runs the views' window tests with nothing of the application: a plain
// wxApp, and each test hosts its view with a fake of its own.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    bool bListingOnly = false;
    for (int i = 1; i < argc; ++i)
        bListingOnly = bListingOnly || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    ::testing::InitGoogleTest(&argc, argv);
    if (bListingOnly)
        return RUN_ALL_TESTS();
    if (!std::getenv("DISPLAY")) {
        std::cerr << "The views' window tests need a display: run them under xvfb-run.\n";
        return 1;
    }
    setenv("NO_AT_BRIDGE", "1", 1);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxApp::SetInstance(new wxApp);
    int nArgc = 1;
    wxInitializer initializer(nArgc, argv);
    if (!initializer.IsOk()) {
        std::cerr << "Cannot initialise the window system.\n";
        return 1;
    }
    return RUN_ALL_TESTS();
}
