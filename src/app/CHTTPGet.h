#pragma once
// The frame's holder for an update check. No check exists in this program; the holder owns
// nothing and is kept so that one can be added without touching the frame's layout.

#include <memory>

class QObject;

class CHTTPGet {
public:
    virtual ~CHTTPGet() = default;

private:
    std::unique_ptr<QObject> m_request;
    std::unique_ptr<QObject> m_reply;
    std::unique_ptr<QObject> m_session;
};
