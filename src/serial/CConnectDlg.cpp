#include "serial/CConnectDlg.h"

#include "serial/EnumerateSerialPorts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>
#include <climits>

namespace {

const QString kEntrySeparator = QStringLiteral(" - (");

// The dialog template, in dialog units (x, y, width, height).
struct TemplateRect {
    int x, y, w, h;
};
constexpr TemplateRect kDialog{0, 0, 230, 84};
constexpr TemplateRect kLabelPort{7, 7, 100, 8};
constexpr TemplateRect kComboPort{7, 17, 216, 12};
constexpr TemplateRect kLabelBaud{7, 35, 100, 8};
constexpr TemplateRect kComboBaud{7, 45, 80, 12};
constexpr TemplateRect kButtonOk{119, 64, 50, 14};
constexpr TemplateRect kButtonCancel{173, 64, 50, 14};

} // namespace

CConnectDlg::CConnectDlg(QWidget* parent)
    : QDialog(parent), m_enumeratePorts(EnumerateSerialPorts) {
    setWindowTitle(QStringLiteral("Connect to GPS"));
    m_labelPort = new QLabel(QStringLiteral("Communication Port:"), this);
    m_comboPort = new QComboBox(this);
    m_comboPort->setObjectName(QStringLiteral("1000"));
    m_comboPort->setEditable(true);
    m_comboPort->setInsertPolicy(QComboBox::NoInsert);
    // What the operator types is what is opened: an inline completion would quietly turn a
    // typed /dev/ttyS1 into the listed /dev/ttyS10 (and a typed 38 baud into 38400).
    m_comboPort->setCompleter(nullptr);
    m_labelBaud = new QLabel(QStringLiteral("Baud Rate:"), this);
    m_comboBaud = new QComboBox(this);
    m_comboBaud->setObjectName(QStringLiteral("1002"));
    m_comboBaud->setEditable(true);
    m_comboBaud->setInsertPolicy(QComboBox::NoInsert);
    m_comboBaud->setCompleter(nullptr);
    for (const char* rate : {"4800", "9600", "19200", "38400", "115200"})
        m_comboBaud->addItem(QString::fromLatin1(rate));
    m_labelPort->setBuddy(m_comboPort);
    m_labelBaud->setBuddy(m_comboBaud);
    m_buttonOk = new QPushButton(QStringLiteral("OK"), this);
    m_buttonOk->setDefault(true);
    m_buttonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(m_buttonOk, &QPushButton::clicked, this, &CConnectDlg::accept);
    connect(m_buttonCancel, &QPushButton::clicked, this, &CConnectDlg::reject);
    LayOut();
}

void CConnectDlg::LayOut() {
    const QFontMetrics metrics(font());
    const int charWidth = std::max(1, metrics.averageCharWidth());
    const int charHeight = std::max(1, metrics.height());
    auto toPixels = [&](const TemplateRect& r) {
        return QRect(r.x * charWidth / 4, r.y * charHeight / 8, r.w * charWidth / 4,
                     r.h * charHeight / 8);
    };
    setFixedSize(toPixels(kDialog).size());
    m_labelPort->setGeometry(toPixels(kLabelPort));
    m_labelBaud->setGeometry(toPixels(kLabelBaud));
    // A combo box needs its own height for the edit field; the template gives the width.
    QRect port = toPixels(kComboPort);
    port.setHeight(std::max(port.height(), m_comboPort->sizeHint().height()));
    m_comboPort->setGeometry(port);
    QRect baud = toPixels(kComboBaud);
    baud.setHeight(std::max(baud.height(), m_comboBaud->sizeHint().height()));
    m_comboBaud->setGeometry(baud);
    m_buttonOk->setGeometry(toPixels(kButtonOk));
    m_buttonCancel->setGeometry(toPixels(kButtonCancel));
}

void CConnectDlg::showEvent(QShowEvent* event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        InitDialog();
    }
    QDialog::showEvent(event);
}

void CConnectDlg::InitDialog() {
    // The list marks the preset rate when it is one of its entries; a rate that is not listed
    // marks none, so that the list does not suggest its first entry is in use.
    const QString baud = QString::number(m_nBaud);
    const int listed = m_comboBaud->findText(baud, Qt::MatchExactly);
    m_comboBaud->setCurrentIndex(listed);
    if (listed < 0) // the open list keeps its own mark otherwise
        m_comboBaud->view()->setCurrentIndex(QModelIndex());
    m_comboBaud->setEditText(baud);

    std::vector<std::string> ports, descriptions;
    if (m_enumeratePorts)
        m_enumeratePorts(ports, descriptions);
    // The list is sorted by its text, as the operator reads it.
    struct Entry {
        QString text, path;
    };
    std::vector<Entry> entries;
    for (size_t i = 0; i < ports.size(); ++i) {
        const QString path = QString::fromStdString(ports[i]);
        const QString description =
            i < descriptions.size() ? QString::fromStdString(descriptions[i]) : QString();
        entries.push_back({FormatPortEntry(path, description), path});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.text < b.text; });
    m_comboPort->clear();
    for (const Entry& e : entries)
        m_comboPort->addItem(e.text, e.path);

    const QString wanted = PortFromTypedText(m_strPort);
    const int index = m_comboPort->findData(wanted);
    if (index >= 0) {
        m_comboPort->setCurrentIndex(index);
    } else {
        m_comboPort->setCurrentIndex(-1);
        m_comboPort->setEditText(m_strPort);
    }
    // A long description would otherwise scroll the path, the part that matters, out of view.
    m_comboPort->lineEdit()->setCursorPosition(0);
}

void CConnectDlg::accept() {
    m_nBaud = LeadingNumber(m_comboBaud->currentText().left(255));
    const QString text = m_comboPort->currentText();
    const int index = m_comboPort->findText(text, Qt::MatchExactly);
    if (index >= 0)
        m_strPort = m_comboPort->itemData(index).toString();
    else
        m_strPort = PortFromTypedText(text);
    QDialog::accept();
}

QString CConnectDlg::FormatPortEntry(const QString& path, const QString& description) {
    return (path + kEntrySeparator + description + QLatin1Char(')')).left(255);
}

int CConnectDlg::LeadingNumber(const QString& text) {
    int i = 0;
    const int size = static_cast<int>(text.size());
    while (i < size && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < size && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < size && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX; // saturates instead of wrapping
    }
    return static_cast<int>(negative ? -value : value);
}

QString CConnectDlg::PortFromTypedText(const QString& text) {
    QString port = text.trimmed();
    const qsizetype separator = port.indexOf(kEntrySeparator);
    if (separator > 0 && port.endsWith(QLatin1Char(')')))
        port = port.left(separator).trimmed();
    if (!port.isEmpty() && !port.contains(QLatin1Char('/')))
        port.prepend(QStringLiteral("/dev/"));
    return port;
}
