#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "launcher/driver.h"
#include "launcher/main_window.h"
#include "base/settings.h"
#include "system/temp.h"
#include "ui/progress_win.h"

namespace mg {

// The driver as the worker sees it: counts the runs.
static volatile LONG driverRuns = 0;
int runDriver(const StringList&) {
    ::InterlockedIncrement(&driverRuns);
    return 0;
}

namespace {

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = mainWindowProc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "MainWindowTest";
        ::RegisterClassExA(&windowClass);
    }
    void SetUp() override {
        driverRuns = 0;
        workerPending = true;
        silent = true;
    }
    void TearDown() override {
        if (window_) {
            // The posted destroy message left the window itself in place.
            ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcA));
            ::DestroyWindow(window_);
        }
        silent = false;
    }
    HWND create() {
        window_ = ::CreateWindowExA(0, "MainWindowTest", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                    nullptr);
        return window_;
    }
    // Runs the loop as WinMain does; returns the quit code, or -1 when no
    // quit message came within the (generous) bound.
    static int pumpUntilQuit() {
        DWORD start = ::GetTickCount();
        for (;;) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
                if (progressDialog && ::IsDialogMessageA(progressDialog, &msg)) continue;
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            if (::GetTickCount() - start > 30000) return -1;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    HWND window_ = nullptr;
};

TEST_F(MainWindow, CreationStartsOneWorkerThatEndsTheLoop) {
    ASSERT_NE(create(), nullptr) << "no display? run under xvfb-run";
    HWND dialog = progressDialog;
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(::IsWindowVisible(dialog));
    EXPECT_FALSE(workerPending);

    // A second creation message starts no second worker and no second dialog.
    CREATESTRUCTA create = {};
    ::SendMessageA(window_, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    EXPECT_EQ(progressDialog, dialog);

    EXPECT_EQ(pumpUntilQuit(), 0);
    EXPECT_EQ(driverRuns, 1);
    EXPECT_FALSE(::IsWindow(dialog));  // destroyed with the main window
    EXPECT_EQ(progressDialog, nullptr);
    EXPECT_NE(launcherPath.find(".exe"), String::npos);
}

TEST_F(MainWindow, EndOfSessionCleansUpOnlyWhenTheSessionEnds) {
    ASSERT_NE(create(), nullptr);
    EXPECT_EQ(pumpUntilQuit(), 0);  // let the worker finish first

    String file = createTempFile();
    ASSERT_NE(::GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::SendMessageA(window_, WM_ENDSESSION, FALSE, 0), 0);
    EXPECT_NE(::GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << "a cancelled shutdown removed files";
    EXPECT_EQ(::SendMessageA(window_, WM_ENDSESSION, TRUE, 0), 0);
    EXPECT_EQ(::GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace

}  // namespace mg
