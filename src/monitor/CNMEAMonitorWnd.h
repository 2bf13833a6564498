#pragma once
// The "NMEA Monitor" page: the send row with its remembered commands, the receive pane over
// the left three quarters, nine quick-send rows and the transmit pane on the right.

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <string_view>

class CHistoryCombo;
class CLogEditCtrl;
class ILineSender;
class QPainter;
class QPushButton;

class CNMEAMonitorWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kQuickRows = 9;
    static constexpr int kIdSendButton = 112; // quick button k is 112 + k
    static constexpr int kIdSendCombo = 102;  // quick field k is 102 + k
    // Longest line the fields accept, so that the line and its CR fit the 255 characters the
    // device side takes.
    static constexpr int kMaxLineLength = 254;
    // Put before a line in the transmit pane when the device did not get it (no port open,
    // a playback running, or the port failed).
    static constexpr const char* kNotSentMark = "[not sent] ";

    // sender: where the lines go (the main frame); may be null, then nothing is sent.
    explicit CNMEAMonitorWnd(ILineSender* sender, QWidget* parent = nullptr);

    // Received bytes, as the frame's timer drains them. NUL-terminated; CR is dropped.
    void AppendRx(std::string_view bytes);
    // Sent text, as SendLine echoes it (the line, then "\n").
    void AppendTx(const char* text);

    // The Send button (command 112).
    void OnSend();
    // Quick-send button k, 1 to 9 (command 112 + k).
    void OnQuickSend(int k);

    // Pane text of 8-bit device text: CR and NUL dropped (a NUL hides nothing after it),
    // every other byte widened as a signed 8-bit number (0x80..0xFF become U+FF80..U+FFFF).
    static QString ToPaneText(std::string_view bytes);

    CLogEditCtrl* m_editTx = nullptr;
    CLogEditCtrl* m_editRx = nullptr;
    QPushButton* m_buttonSend = nullptr;
    CHistoryCombo* m_comboSend = nullptr;
    QFont m_font;
    QRect m_rectSend;
    QRect m_rectRxHeader;
    QRect m_rectTxHeader;
    // Index k - 1 holds quick row k (field "cmd<k>", button "cmd<k>").
    std::array<QPushButton*, kQuickRows> m_buttonQSend{};
    std::array<CHistoryCombo*, kQuickRows> m_comboQSend{};
    std::array<QRect, kQuickRows> m_rectQSend{};

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void LayOut();
    void SendText(const QString& text);
    void ScrollPanesToNewest();
    QFont HeaderFont() const;
    void DrawHeaders(QPainter& painter) const;

    ILineSender* m_sender;
};
