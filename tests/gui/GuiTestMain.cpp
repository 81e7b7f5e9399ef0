// Runs the GUI tests inside a real application object: the windows need the
// window system initialised, which a console-only initialiser does not do.
#include "RidaxoApp.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/log.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace
{
// A failed library assertion would open a modal dialog and hang an unattended
// run; it fails the running test instead.
void FailOnAssert(const wxString& strFile, int nLine, const wxString& strFunc, const wxString& strCond,
                  const wxString& strMsg)
{
    ADD_FAILURE_AT(strFile.utf8_string().c_str(), nLine) << "wx assertion failed in " << strFunc.utf8_string() << ": "
                                                         << strCond.utf8_string() << " " << strMsg.utf8_string();
}

bool IsListingOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return true;
    }
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    // Listing the tests needs no window system; the build lists them.
    const bool bListingOnly = IsListingOnly(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (bListingOnly)
        return RUN_ALL_TESTS();
    if (!std::getenv("DISPLAY")) {
        std::cerr << "The GUI tests need a display: run them under xvfb-run.\n";
        return 1;
    }

    // The recent-file list must not touch the settings of whoever runs the
    // tests.
    CTempDir configDir;
    setenv("XDG_CONFIG_HOME", configDir.GetPath().c_str(), 1);
    setenv("NO_AT_BRIDGE", "1", 1);

    // Library messages (such as why the display could not be opened) go to
    // the test's output, not into a log window.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxApp::SetInstance(new CRidaxoApp);
    int nArgc = 1;
    wxInitializer initializer(nArgc, argv);
    if (!initializer.IsOk()) {
        std::cerr << "Cannot initialise the window system.\n";
        return 1;
    }
    wxSetAssertHandler(FailOnAssert);
    // The application sets up its own log window while it starts; an error
    // logged there would wait in a modal box at exit and hang the run.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    return RUN_ALL_TESTS();
}
