#pragma once
// Shared by the shell's tests: a settings store in a temporary folder (set before anything
// touches QSettings), answers for message boxes and dialogs, and a pseudo-terminal.

#include "uisupport/Profile.h"
#include "uisupport/UiHooks.h"

#include <QDialog>
#include <QFileDialog>
#include <QList>
#include <QString>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

// Test classes register themselves; AppTestMain runs them all.
class QObject;
void RegisterTest(QObject* (*factory)());
struct TestRegistration {
    explicit TestRegistration(QObject* (*factory)()) { RegisterTest(factory); }
};
#define TB_REGISTER_TEST(Class)                                                                    \
    static TestRegistration Class##Registration([]() -> QObject* { return new Class; })

// Empties the settings store.
inline void ClearProfile() {
    auto s = OpenProfile();
    s->clear();
    s->sync();
}

inline QStringList ProfileKeys() {
    return OpenProfile()->allKeys();
}

// Records every message box and answers it with `answer`.
struct MessageBoxRecorder {
    QList<MessageBoxRequest> boxes;
    int answer = QMessageBox::Ok;
    MessageBoxRecorder() {
        SetMessageBoxHook([this](const MessageBoxRequest& r) {
            boxes.append(r);
            return answer;
        });
    }
    ~MessageBoxRecorder() { SetMessageBoxHook(nullptr); }
};

// Answers modal dialogs with `handler` (which may inspect and fill the dialog).
struct ModalAnswer {
    explicit ModalAnswer(ModalHook handler) { SetModalHook(std::move(handler)); }
    ~ModalAnswer() { SetModalHook(nullptr); }
};

// Answers each file dialog by choosing the file at `path` as it reads when the dialog opens,
// and rejects any other dialog.
struct FileDialogAnswer : ModalAnswer {
    explicit FileDialogAnswer(const QString& path)
        : ModalAnswer([&path](QDialog& d) {
              auto* fd = qobject_cast<QFileDialog*>(&d);
              if (!fd)
                  return int(QDialog::Rejected);
              fd->selectFile(path);
              return int(QDialog::Accepted);
          }) {}
};

// A pseudo-terminal pair: the program opens the slave path like a serial port.
struct PseudoTerminal {
    int master = -1;
    QString slavePath;
    PseudoTerminal() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return;
        slavePath = QString::fromLocal8Bit(::ptsname(master));
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~PseudoTerminal() { Close(); }
    void Close() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    bool Write(const QByteArray& bytes) const {
        return ::write(master, bytes.constData(), bytes.size()) == bytes.size();
    }
    QByteArray ReadAvailable() const {
        QByteArray out;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, static_cast<int>(n));
        }
        return out;
    }
};
