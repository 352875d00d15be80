#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "base/settings.h"
#include "text/text.h"
#include "ui/messages.h"
#include "ui/progress.h"
#include "ui/progress_win.h"

namespace mg {

namespace {

// A real dialog from resource 101, owned by the test's thread.
class ProgressDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
    }
    void SetUp() override {
        silent = false;
        cancelRequested = false;
        progressDialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                                              progressDialogProc, 0);
        ASSERT_NE(progressDialog, nullptr) << "no display? run under xvfb-run";
        ::ShowWindow(progressDialog, SW_HIDE);
        setStatus(-1);
        setDetail(DETAIL_NONE, "");
    }
    void TearDown() override {
        if (progressDialog) ::DestroyWindow(progressDialog);
        progressDialog = nullptr;
        silent = false;
        cancelRequested = false;
    }

    static String controlText(int id) {
        char text[1024] = "";
        ::GetDlgItemTextA(progressDialog, id, text, sizeof text);
        return text;
    }
    static int barPosition() {
        return static_cast<int>(::SendDlgItemMessageA(progressDialog, IDC_PROGRESS, PBM_GETPOS, 0, 0));
    }
    static bool visible() { return ::IsWindowVisible(progressDialog) != FALSE; }

    // Services the dialog's messages until it is hidden; false if that never
    // happens within the (generous) bound.
    static bool pumpUntilHidden() {
        DWORD start = ::GetTickCount();
        while (visible()) {
            if (::GetTickCount() - start > 20000) return false;
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        return true;
    }
};

TEST_F(ProgressDialog, TemplateHasItsControlsAndIntroduction) {
    EXPECT_NE(::GetDlgItem(progressDialog, IDC_STATUS), nullptr);
    EXPECT_NE(::GetDlgItem(progressDialog, IDC_PROGRESS), nullptr);
    EXPECT_EQ(::GetDlgItem(progressDialog, IDC_CANCEL), nullptr);
    EXPECT_EQ(controlText(IDC_INTRO), loadStringText(IDS_INTRO));
    char caption[16] = "x";
    ::GetWindowTextA(progressDialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "");
}

TEST_F(ProgressDialog, ProgressPositionWrapsAtOneHundred) {
    struct Row {
        bool step;
        int n;
        int position;
    };
    const Row rows[] = {{false, 100, 0}, {false, 40, 40}, {true, 55, 95}, {true, 5, 0}, {true, 105, 5}, {false, 199, 99}};
    for (const Row& r : rows) {
        if (r.step)
            stepProgress(r.n);
        else
            setProgress(r.n);
        EXPECT_EQ(barPosition(), r.position) << (r.step ? "step " : "set ") << r.n;
    }
}

TEST_F(ProgressDialog, WithoutTheDialogProgressThrows) {
    HWND saved = progressDialog;
    progressDialog = nullptr;
    for (int step = 0; step < 2; ++step) {
        try {
            if (step)
                stepProgress(5);
            else
                setProgress(5);
            ADD_FAILURE() << "no exception";
        } catch (const LauncherException& e) {
            EXPECT_EQ(e.message(), "The progress bar has not been created yet");
        }
    }
    progressDialog = saved;
}

TEST_F(ProgressDialog, StatusLineShowsStatusAndDetail) {
    setCaption("Demo");
    struct Row {
        int statusKind;  // -2: leave as is
        int detailKind;  // -2: leave as is
        const char* detail;
        const char* line;
    };
    const Row rows[] = {
        {STATUS_INITIALIZING, -2, "", "Initializing Demo... "},
        {-2, DETAIL_SEARCHING_FOR, "jre 1.8", "Initializing Demo... Searching for jre 1.8"},
        {STATUS_SEARCHING, -2, "", "Searching for Java(tm) Virtual Machine... Searching for jre 1.8"},
        {-2, DETAIL_SCANNING, "ignored", "Searching for Java(tm) Virtual Machine... Scanning disk(s) for a Java(tm) "
                                         "Virtual Machine..."},
        // Clearing the detail keeps the line until the next refresh.
        {-2, DETAIL_NONE, "", "Searching for Java(tm) Virtual Machine... Scanning disk(s) for a Java(tm) Virtual "
                              "Machine..."},
        {STATUS_NOT_FOUND, -2, "", "Java(tm) Virtual Machine was not found. Demo could not be launched. "},
        {STATUS_RUNNING, DETAIL_VERIFYING, "C:\\jre", "Running Demo... Verifying C:\\jre"},
        {STATUS_PREPARING, -2, "", "Preparing Java(tm) Virtual Machine... Verifying C:\\jre"},
        {5, -2, "", ""},
    };
    for (const Row& r : rows) {
        if (r.statusKind != -2) setStatus(r.statusKind);
        if (r.detailKind != -2) setDetail(r.detailKind, r.detail);
        EXPECT_EQ(controlText(IDC_STATUS), r.line) << r.statusKind << "/" << r.detailKind;
    }
}

TEST_F(ProgressDialog, DetailSaverPutsTheDetailBack) {
    setStatus(STATUS_SEARCHING);
    setDetail(DETAIL_SEARCHING_FOR, "jdk");
    {
        DetailSaver saver;
        setDetail(DETAIL_VERIFYING, "D:\\java");
    }
    EXPECT_EQ(controlText(IDC_STATUS), "Searching for Java(tm) Virtual Machine... Searching for jdk");
}

TEST_F(ProgressDialog, CaptionDecodesEscapesIntoTheAnsiCodePage) {
    setCaption("Caf\\u00e9 \\u0041pp");
    char caption[64] = "";
    ::GetWindowTextA(progressDialog, caption, sizeof caption);
    // In the process's ANSI code page: UTF-8 under the launcher's manifest
    // where the system honours it, else the prefix's 1252.
    char expected[64] = "";
    ::WideCharToMultiByte(CP_ACP, 0, L"Caf\u00e9 App", -1, expected, sizeof expected, nullptr, nullptr);
    EXPECT_STREQ(caption, expected);
    setCaption("plain");
    ::GetWindowTextA(progressDialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "plain");
}

TEST_F(ProgressDialog, ShowAndHide) {
    showWindow();
    EXPECT_TRUE(visible());
    hideAfter(0);
    EXPECT_FALSE(visible());

    showWindow();
    hideAfter(1);
    EXPECT_TRUE(visible());  // hidden by the timer, not at once
    EXPECT_TRUE(pumpUntilHidden());

    showWindow();
    hideAfter(-3);  // a negative delay hides at once
    EXPECT_FALSE(visible());
}

TEST_F(ProgressDialog, SilentKeepsTheDialogHidden) {
    silent = true;
    showWindow();
    EXPECT_FALSE(visible());
    setStatus(STATUS_SEARCHING);
    EXPECT_EQ(controlText(IDC_STATUS), "");
    setProgress(50);
    EXPECT_EQ(barPosition(), 0);
    showMessage("never shown");  // would block the test if it were shown
}

TEST_F(ProgressDialog, CloseAndCancelSetTheFlagKeysDoNot) {
    ::SendMessageA(progressDialog, WM_COMMAND, IDOK, 0);
    ::SendMessageA(progressDialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(isCancelRequested());
    showWindow();
    ::SendMessageA(progressDialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(visible());

    ::SendMessageA(progressDialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(isCancelRequested());
    EXPECT_TRUE(::IsWindow(progressDialog));  // the dialog stays
    cancelRequested = false;
    ::SendMessageA(progressDialog, WM_COMMAND, IDC_CANCEL, 0);
    EXPECT_TRUE(isCancelRequested());
}

DWORD WINAPI workerDrivesTheDialog(LPVOID) {
    setCaption("Threaded");
    setStatus(STATUS_RUNNING);
    setProgress(30);
    showWindow();
    hideAfter(1);
    return 0;
}

// Runs the worker while this thread services its calls, as the main
// thread's loop does; then, for settleMillis, what the worker left waiting.
void runWorker(LPTHREAD_START_ROUTINE work, DWORD settleMillis = 0) {
    HANDLE worker = ::CreateThread(nullptr, 0, work, nullptr, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    for (;;) {
        DWORD r = ::MsgWaitForMultipleObjects(1, &worker, FALSE, 20000, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) break;
        ASSERT_EQ(r, WAIT_OBJECT_0 + 1) << "worker stuck";
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }
    ::CloseHandle(worker);
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    } while (::GetTickCount() - start < settleMillis);
}

TEST_F(ProgressDialog, WorkerThreadDrivesTheDialogThroughMessages) {
    runWorker(workerDrivesTheDialog);
    EXPECT_EQ(controlText(IDC_STATUS), "Running Threaded... ");
    EXPECT_TRUE(visible());
    EXPECT_TRUE(pumpUntilHidden());
}

DWORD WINAPI workerStepsWithoutWaiting(LPVOID) {
    setStatus(STATUS_SEARCHING);
    setProgress(30);
    for (int i = 1; i <= 1000; ++i) {
        stepProgress(1);
        if (i % 100 == 0) setDetail(DETAIL_VERIFYING, "jre" + toDecimal(i));
    }
    setDetail(DETAIL_NONE, "");
    return 0;
}

TEST_F(ProgressDialog, TheWindowEndsWithTheWorkersLastPositionAndText) {
    // The window shows the worker's changes a few times a second; the last
    // one within a fraction of a second of the worker's end.
    runWorker(workerStepsWithoutWaiting, 1000);
    EXPECT_EQ(barPosition(), 30);  // (30 + 1000) mod 100
    EXPECT_EQ(controlText(IDC_STATUS), "Searching for Java(tm) Virtual Machine... Verifying jre1000");
}

TEST_F(ProgressDialog, CentredOnTheScreen) {
    centerWindow(progressDialog);
    RECT r;
    ::GetWindowRect(progressDialog, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) - h) / 2);
}

}  // namespace

}  // namespace mg
