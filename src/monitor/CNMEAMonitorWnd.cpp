#include "monitor/CNMEAMonitorWnd.h"

#include "device/DeviceCommand.h"
#include "device/ILineSender.h"
#include "monitor/CHistoryCombo.h"
#include "monitor/CLogEditCtrl.h"
#include "uisupport/LookColours.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

QFont ArialFont(int points) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(points);
    return font;
}

QString QuickName(int k) {
    return QStringLiteral("cmd%1").arg(k);
}

} // namespace

CNMEAMonitorWnd::CNMEAMonitorWnd(ILineSender* sender, QWidget* parent)
    : QWidget(parent), m_sender(sender) {
    setWindowTitle(QStringLiteral("NMEA Monitor"));
    setAutoFillBackground(false);

    m_comboSend = new CHistoryCombo(this, true);
    m_comboSend->setObjectName(QStringLiteral("m_comboSend"));
    m_comboSend->setProperty("controlId", kIdSendCombo);
    m_comboSend->lineEdit()->setMaxLength(kMaxLineLength);
    m_comboSend->LoadHistory(QStringLiteral("HistoryItem"));

    m_buttonSend = new QPushButton(QStringLiteral("Send"), this);
    m_buttonSend->setObjectName(QStringLiteral("m_buttonSend"));
    m_buttonSend->setProperty("controlId", kIdSendButton);
    connect(m_buttonSend, &QPushButton::clicked, this, &CNMEAMonitorWnd::OnSend);
    // Enter in the field sends, as the button does.
    connect(m_comboSend, &CHistoryCombo::returnPressed, this, &CNMEAMonitorWnd::OnSend);

    for (int k = 1; k <= kQuickRows; ++k) {
        const QString name = QuickName(k);
        // The quick fields are plain fields with a history: a last text that is not in the
        // list is not restored into them.
        auto* combo = new CHistoryCombo(this, false);
        combo->setObjectName(QStringLiteral("m_comboQSend%1").arg(k));
        combo->setProperty("controlId", kIdSendCombo + k);
        combo->lineEdit()->setMaxLength(kMaxLineLength);
        combo->LoadHistory(name);
        m_comboQSend[k - 1] = combo;

        auto* button = new QPushButton(name, this);
        button->setObjectName(QStringLiteral("m_buttonQSend%1").arg(k));
        button->setProperty("controlId", kIdSendButton + k);
        m_buttonQSend[k - 1] = button;
        connect(button, &QPushButton::clicked, this, [this, k] { OnQuickSend(k); });
        connect(combo, &CHistoryCombo::returnPressed, this, [this, k] { OnQuickSend(k); });
    }

    m_editTx = new CLogEditCtrl(this);
    m_editTx->setObjectName(QStringLiteral("m_editTx"));
    m_editTx->m_menuId = CLogEditCtrl::kMenuTransmit;
    m_editRx = new CLogEditCtrl(this);
    m_editRx->setObjectName(QStringLiteral("m_editRx"));
    m_editRx->m_menuId = CLogEditCtrl::kMenuReceive;
    m_editRx->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // Screen readers and automation find each control by a name of its own; Tab goes from
    // the send row down the receive pane, then down the quick rows (field, then its button)
    // to the transmit pane, as they stand on the page.
    m_comboSend->setAccessibleName(QStringLiteral("Send command"));
    m_buttonSend->setAccessibleName(QStringLiteral("Send"));
    m_editRx->setAccessibleName(QStringLiteral("Received data"));
    m_editTx->setAccessibleName(QStringLiteral("Sent data"));
    QList<QWidget*> chain{m_comboSend, m_buttonSend, m_editRx};
    for (int k = 1; k <= kQuickRows; ++k) {
        m_comboQSend[k - 1]->setAccessibleName(QuickName(k) + QStringLiteral(" command"));
        m_buttonQSend[k - 1]->setAccessibleName(QuickName(k));
        chain << m_comboQSend[k - 1] << m_buttonQSend[k - 1];
    }
    chain << m_editTx;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    // The quick-send controls keep the system font.
    m_font = ArialFont(11);
    m_buttonSend->setFont(m_font);
    m_comboSend->setFont(m_font);
    m_editTx->setFont(m_font);
    m_editRx->setFont(m_font);
}

QString CNMEAMonitorWnd::ToPaneText(std::string_view bytes) {
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (const char c : bytes) {
        const auto byte = static_cast<signed char>(c);
        if (byte == '\r' || byte == '\0')
            continue;
        out.append(QChar(static_cast<char16_t>(static_cast<short>(byte))));
    }
    return out;
}

void CNMEAMonitorWnd::AppendRx(std::string_view bytes) {
    m_editRx->AppendText(ToPaneText(bytes));
}

void CNMEAMonitorWnd::AppendTx(const char* text) {
    m_editTx->AppendText(ToPaneText(text ? std::string_view(text) : std::string_view()));
}

void CNMEAMonitorWnd::OnSend() {
    const QString text = m_comboSend->currentText();
    m_comboSend->AddToHistory(text);
    m_comboSend->SaveHistory();
    SendText(text);
}

void CNMEAMonitorWnd::OnQuickSend(int k) {
    if (k < 1 || k > kQuickRows)
        return;
    CHistoryCombo* combo = m_comboQSend[k - 1];
    const QString text = combo->currentText();
    combo->SaveHistory();
    SendText(text);
}

void CNMEAMonitorWnd::SendText(const QString& text) {
    // The fields hold at most kMaxLineLength characters; the cut only guards the device
    // side's 255 against a caller that sets a longer text.
    const QString line = text.left(kMaxLineLength) + QLatin1Char('\r');
    if (m_sender)
        SendDeviceCommand(*m_sender,
                          std::u16string_view(reinterpret_cast<const char16_t*>(line.utf16()),
                                              static_cast<std::size_t>(line.size())));
}

QFont CNMEAMonitorWnd::HeaderFont() const {
    return ArialFont(16);
}

void CNMEAMonitorWnd::LayOut() {
    const int left = 0;
    const int right = width();
    const int bottom = height();
    int top = 0;

    const QFontMetrics fm(m_font);
    const int t = fm.height();

    // Send row.
    m_rectSend = QRect(left, top, right - left, 2 * t);
    const int sendWidth = 2 * fm.horizontalAdvance(m_buttonSend->text());
    const int sendLeft = right - 3 - sendWidth;
    m_buttonSend->setGeometry(sendLeft, top + 2, sendWidth, std::max(0, 2 * t - 9));
    const int comboLeft = left + 3;
    // The closed height comes from the field's font; it stays inside the row.
    const int comboHeight = std::min(m_comboSend->sizeHint().height(), 2 * t - 4);
    m_comboSend->setGeometry(comboLeft, top + 3, std::max(0, (sendLeft - 3) - comboLeft),
                             std::max(0, comboHeight));
    top = m_rectSend.bottom() + 1;

    // Headers.
    const QFontMetrics hfm(HeaderFont());
    const int T = hfm.height();
    m_rectRxHeader = QRect(left, top, right - left, T + 4);
    const int txLeft = 3 * (right - left) / 4;
    m_rectTxHeader = QRect(txLeft, top, right - txLeft, T + 4);

    // Panes.
    const int B = m_rectRxHeader.bottom() + 1;
    const int split = left + 3 * (right - left) / 4;
    const int H = 2 * t;
    m_editRx->setGeometry(left, B, split - left, std::max(0, bottom - B));
    const int Y = 2 * B + 24 + 7 * H;
    m_editTx->setGeometry(split, Y, right - split, std::max(0, bottom - Y));

    // Quick rows.
    for (int k = 0; k < kQuickRows; ++k) {
        const QRect row(left, B + 2 * k * t, right - left, 2 * t);
        m_rectQSend[k] = row;
        QPushButton* button = m_buttonQSend[k];
        const int buttonWidth = 2 * fm.horizontalAdvance(button->text());
        const int buttonLeft = row.right() + 1 - 3 - buttonWidth;
        button->setGeometry(buttonLeft, row.top(), buttonWidth, 2 * t - 1);
        const int fieldLeft = 3 * row.width() / 4 + 5;
        m_comboQSend[k]->setGeometry(fieldLeft, row.top() + 1,
                                     std::max(0, (buttonLeft - 3) - fieldLeft), 2 * t - 1);
    }
    update();
}

void CNMEAMonitorWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void CNMEAMonitorWnd::DrawHeaders(QPainter& painter) const {
    const QColor shadow = palette().color(QPalette::Dark);
    painter.setFont(HeaderFont());
    const QFontMetrics hfm = painter.fontMetrics();
    // Highlight text on button shadow, as the system pairs them; a look whose highlight text
    // is meant for a light highlight would leave the captions unreadable on the shadow.
    QColor text = palette().color(QPalette::HighlightedText);
    if (std::abs(text.lightness() - shadow.lightness()) < 80)
        text = shadow.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
    painter.setPen(text);

    painter.fillRect(m_rectRxHeader, shadow);
    const QString rx = QStringLiteral("Receive");
    const int rxX =
        m_rectRxHeader.left() + m_rectRxHeader.width() / 4 - hfm.horizontalAdvance(rx) / 2;
    painter.drawText(rxX, m_rectRxHeader.top() + 2 + hfm.ascent(), rx);

    painter.fillRect(m_rectTxHeader, shadow);
    const QString tx = QStringLiteral("Transmit");
    const int txWidth = hfm.horizontalAdvance(tx);
    // Centred on the last eighth; pulled left where a wide substitute for Arial would
    // otherwise run past the page's edge.
    const int txX = std::min(m_rectTxHeader.right() + 1 - m_rectTxHeader.width() / 8 - txWidth / 2,
                             m_rectTxHeader.right() - 2 - txWidth);
    painter.drawText(txX, m_rectTxHeader.top() + 2 + hfm.ascent(), tx);
}

void CNMEAMonitorWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.fillRect(m_rectSend, CaptionFillColour());
    DrawHeaders(painter);
}

void CNMEAMonitorWnd::ScrollPanesToNewest() {
    // Posted, so that it runs after the panes have been laid out for their new visibility.
    for (CLogEditCtrl* pane : {m_editRx, m_editTx})
        QMetaObject::invokeMethod(pane, &CLogEditCtrl::ScrollToNewest, Qt::QueuedConnection);
}

void CNMEAMonitorWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ScrollPanesToNewest();
}

void CNMEAMonitorWnd::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    ScrollPanesToNewest();
}

void CNMEAMonitorWnd::contextMenuEvent(QContextMenuEvent* event) {
    // Outside the panes and fields: the menu of the pane on that side of the page.
    event->accept();
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QPoint local = keyboard ? QPoint(5, 5) : event->pos();
    const int split = 3 * width() / 4;
    const int menuId = local.x() < split ? CLogEditCtrl::kMenuReceive : CLogEditCtrl::kMenuTransmit;
    QMenu* menu = CLogEditCtrl::CreatePaneMenu(menuId, menuId == CLogEditCtrl::kMenuReceive
                                                           ? static_cast<QWidget*>(m_editRx)
                                                           : static_cast<QWidget*>(m_editTx));
    if (!menu)
        return;
    menu->exec(keyboard ? mapToGlobal(local) : event->globalPos());
    menu->deleteLater();
}
