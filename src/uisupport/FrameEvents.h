#pragma once
// Messages of the main frame, as custom event types carrying their fixed numbers, and the
// command event through which menus, tool bar and page context menus reach the frame.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

constexpr QEvent::Type WM_POSITION_UPDATE = static_cast<QEvent::Type>(0x1400);
constexpr QEvent::Type WM_DATA_RECEIVED = static_cast<QEvent::Type>(0x1402);
constexpr QEvent::Type WM_DATA_SENT = static_cast<QEvent::Type>(0x1403);
constexpr QEvent::Type WM_UPDATE_AVAILABLE = static_cast<QEvent::Type>(0x1404);
constexpr QEvent::Type WM_DEVICE_REPLY = static_cast<QEvent::Type>(0x1405);
// Not a message of its own in the table above: the serial link lost its source.
constexpr QEvent::Type WM_SOURCE_LOST = static_cast<QEvent::Type>(0x1406);
// A menu or context-menu command, delivered to the top-level frame.
constexpr QEvent::Type WM_COMMAND_EVENT = static_cast<QEvent::Type>(0x1411);

// An event with a wParam, for the messages that carry one (WM_UPDATE_AVAILABLE).
class FrameMessageEvent : public QEvent {
public:
    FrameMessageEvent(QEvent::Type type, qintptr wParam = 0) : QEvent(type), m_wParam(wParam) {}
    qintptr wParam() const { return m_wParam; }

private:
    qintptr m_wParam;
};

class CommandEvent : public QEvent {
public:
    explicit CommandEvent(int id) : QEvent(WM_COMMAND_EVENT), m_id(id) {}
    int id() const { return m_id; }

private:
    int m_id;
};

// Hands a command to the top-level window that owns `from` (walking up the parents while the
// widget is a child), as the pages' context menus do. Sent synchronously.
inline void SendCommandToFrame(QWidget* from, int id) {
    if (!from)
        return;
    QWidget* top = from->window();
    CommandEvent ev(id);
    QCoreApplication::sendEvent(top, &ev);
}
