#pragma once
// The application object: what exists before the first window, and the order in which the
// program starts and ends.

#include <memory>

class CMainFrame;
class QApplication;

class CKestranoApp {
public:
    CKestranoApp();
    ~CKestranoApp();

    // Settings store, main frame creation and showing. False: the program ends.
    bool InitInstance();
    // After the message loop: the frame is destroyed first (it stops acquisition), then the
    // rest is released. Returns the exit code.
    int ExitInstance(int loopResult);
    // The whole run: InitInstance, message loop, ExitInstance.
    int Run();

    CMainFrame* MainFrame() const { return m_pMainWnd.get(); }
    // Selects the tool bar images (always 0: the 16-colour set).
    bool m_bHiColorIcons = false;

    static constexpr const char* kAppId = "Tollbrook.AppID.NoVersion";

private:
    std::unique_ptr<CMainFrame> m_pMainWnd;
};

// True when a windowing system is there to show the program (an X or Wayland display, or a
// platform chosen through QT_QPA_PLATFORM).
bool HaveDisplay();

// A write to a pipe whose reader left, or past the file size limit, fails with its error
// instead of ending the program, so that the failure is reported where it happened.
void IgnoreWriteFailureSignals();
