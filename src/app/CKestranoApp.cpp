#include "app/CKestranoApp.h"

#include "app/CMainFrame.h"
#include "version/TollbrookVersion.h"

#include <QApplication>
#include <csignal>
#include <cstdlib>

bool HaveDisplay() {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

void IgnoreWriteFailureSignals() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

CKestranoApp::CKestranoApp() = default;

CKestranoApp::~CKestranoApp() {
    m_pMainWnd.reset();
}

bool CKestranoApp::InitInstance() {
    // The settings store: QSettings INI of organisation "quenhollow", application
    // "TollbrookY202" (Profile.h names them on every access).
    QCoreApplication::setOrganizationName(QStringLiteral("quenhollow"));
    QCoreApplication::setApplicationName(QStringLiteral("TollbrookY202"));
    // No application display name: the window system appends it to every title that does not
    // end with it, and the frame's title names the program already (a playback showed
    // "Tollbrook - [Playback: x.txt] — Tollbrook").
    // kAppId is the program's identity where the system keys windows by an application id;
    // a Linux desktop matches a window with its menu entry and icon by the entry's name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kTollbrookAppId));

    m_pMainWnd = std::make_unique<CMainFrame>();
    if (!m_pMainWnd->Create()) {
        m_pMainWnd.reset();
        return false;
    }
    m_pMainWnd->show();
    return true;
}

int CKestranoApp::ExitInstance(int loopResult) {
    // A run ended by a stop signal keeps its workspace as one closed by the operator does.
    if (m_pMainWnd && m_pMainWnd->isVisible())
        m_pMainWnd->close();
    m_pMainWnd.reset();
    return loopResult;
}

int CKestranoApp::Run() {
    if (!InitInstance())
        return 1;
    const int rc = QApplication::exec();
    return ExitInstance(rc);
}
