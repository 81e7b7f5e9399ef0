// The real pointer, moved through the X server's test extension, and the
// screen read back from the X server. Kept apart from the other support
// code: the X headers define macros (None, Bool, Status) that clash with
// other headers.
#include "GuiTestSupport.h"

#include <wx/image.h>
#include <wx/utils.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

bool RunRealPointer(const std::vector<CPointerStep>& steps, int nStepMs)
{
    Display* pDisplay = XOpenDisplay(nullptr);
    if (!pDisplay)
        return false;
    int nEvent = 0, nError = 0, nMajor = 0, nMinor = 0;
    if (!XTestQueryExtension(pDisplay, &nEvent, &nError, &nMajor, &nMinor)) {
        XCloseDisplay(pDisplay);
        return false;
    }
    std::atomic<bool> bDone{false};
    std::thread pointer([&] {
        for (const CPointerStep& step : steps) {
            std::this_thread::sleep_for(std::chrono::milliseconds(nStepMs));
            if (step.m_nKind == CPointerStep::EKind::Rest)
                std::this_thread::sleep_for(std::chrono::milliseconds(step.m_nX));
            else if (step.m_nKind == CPointerStep::EKind::Move)
                XTestFakeMotionEvent(pDisplay, -1, step.m_nX, step.m_nY, CurrentTime);
            else if (step.m_nKind == CPointerStep::EKind::RightClick) {
                XTestFakeButtonEvent(pDisplay, 3, True, CurrentTime);
                XTestFakeButtonEvent(pDisplay, 3, False, CurrentTime);
            } else
                XTestFakeButtonEvent(pDisplay, 1, step.m_nKind == CPointerStep::EKind::Press, CurrentTime);
            XFlush(pDisplay);
        }
        bDone = true;
    });
    while (!bDone) {
        wxMilliSleep(5);
        PumpEvents();
    }
    pointer.join();
    XCloseDisplay(pDisplay);
    // What the last steps started finishes here.
    for (int i = 0; i < 20; ++i) {
        wxMilliSleep(10);
        PumpEvents();
    }
    return true;
}

wxImage GrabScreen(const wxRect& rect)
{
    // Read from the server each time: a screen device context of the
    // toolkit may hand back what it read before.
    wxImage image(rect.GetSize());
    Display* pDisplay = XOpenDisplay(nullptr);
    if (!pDisplay)
        return image;
    XImage* pImage = XGetImage(pDisplay, DefaultRootWindow(pDisplay), rect.x, rect.y, static_cast<unsigned>(rect.width),
                               static_cast<unsigned>(rect.height), AllPlanes, ZPixmap);
    if (pImage) {
        for (int y = 0; y < rect.height; ++y) {
            for (int x = 0; x < rect.width; ++x) {
                const unsigned long nPixel = XGetPixel(pImage, x, y);
                image.SetRGB(x, y, static_cast<unsigned char>((nPixel & pImage->red_mask) >> 16),
                             static_cast<unsigned char>((nPixel & pImage->green_mask) >> 8),
                             static_cast<unsigned char>(nPixel & pImage->blue_mask));
            }
        }
        XDestroyImage(pImage);
    }
    XCloseDisplay(pDisplay);
    return image;
}
