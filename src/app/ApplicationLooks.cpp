#include "app/ApplicationLooks.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include "uisupport/LookColours.h"

namespace {

struct LookScheme {
    unsigned id;
    const char* menuText;
    // window, window text, base, alternate base, text, button, button text, highlight,
    // highlighted text, mid-tone for frames
    QRgb window, windowText, base, alternateBase, text, button, buttonText, highlight,
        highlightedText, mid;
};

// Colours in the spirit of the visual styles the looks are named after.
constexpr LookScheme kSchemes[] = {
    {32775, "&Classic Style", 0xd4d0c8, 0x000000, 0xffffff, 0xf0f0f0, 0x000000, 0xd4d0c8, 0x000000,
     0x0a246a, 0xffffff, 0x808080},
    {32776, "&XP Style", 0xf1efe2, 0x000000, 0xffffff, 0xf7f6ef, 0x000000, 0xe8e6dc, 0x000000,
     0x316ac5, 0xffffff, 0xaca899},
    {32777, "&Windows Style", 0xece9d8, 0x000000, 0xffffff, 0xf5f4ea, 0x000000, 0xf4f3ee, 0x000000,
     0x316ac5, 0xffffff, 0x7f9db9},
    {32778, "Office 200&3 Style", 0xc4daf9, 0x000000, 0xffffff, 0xe3efff, 0x000000, 0xdde9fb,
     0x000000, 0xffd37a, 0x000000, 0x6f9ddc},
    {32779, "Visual Studio 200&5 Style", 0xeeede5, 0x000000, 0xffffff, 0xf7f7f3, 0x000000, 0xf3f2ec,
     0x000000, 0xc1d2ee, 0x000000, 0x9c9b91},
    {32780, "Visual Studio 200&8 Style", 0xe9ecf4, 0x000000, 0xffffff, 0xf2f4f9, 0x000000, 0xf0f3fa,
     0x000000, 0xc2dcfd, 0x000000, 0x8e9bbc},
    {32781, "&Blue Style", 0xbfdbff, 0x15428b, 0xffffff, 0xe3efff, 0x000000, 0xdae6f7, 0x15428b,
     0xffe38e, 0x000000, 0x8db2e3},
    {32782, "B&lack Style", 0x535353, 0xf0f0f0, 0x2b2b2b, 0x363636, 0xe6e6e6, 0x4a4a4a, 0xf0f0f0,
     0xe8a33d, 0x000000, 0x3a3a3a},
    {32783, "&Silver Style", 0xd0d4dd, 0x000000, 0xffffff, 0xeef0f4, 0x000000, 0xe4e7ee, 0x000000,
     0xffe38e, 0x000000, 0x9ba3b3},
    {32784, "&Aqua Style", 0xb5b6ce, 0x000080, 0xffffff, 0xe6e7f0, 0x000000, 0xcdcee0, 0x000080,
     0x6b74b5, 0xffffff, 0x8c8fae},
    {32785, "Windows &7 Style", 0xf0f0f0, 0x000000, 0xffffff, 0xf7f7f7, 0x000000, 0xf0f0f0,
     0x000000, 0x3399ff, 0xffffff, 0xa0a0a0},
};

const LookScheme* Scheme(unsigned id) {
    for (const auto& s : kSchemes)
        if (s.id == id)
            return &s;
    return nullptr;
}

} // namespace

QString ApplicationLookText(unsigned id) {
    const LookScheme* s = Scheme(id);
    return s ? QString::fromLatin1(s->menuText) : QString();
}

QPalette ApplicationLookPalette(unsigned id) {
    QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    QPalette p = fusion ? fusion->standardPalette() : QPalette();
    delete fusion;
    const LookScheme* s = Scheme(id);
    if (!s)
        return p;
    const QColor window(s->window), mid(s->mid);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, QColor(s->windowText));
    p.setColor(QPalette::Base, QColor(s->base));
    p.setColor(QPalette::AlternateBase, QColor(s->alternateBase));
    p.setColor(QPalette::Text, QColor(s->text));
    p.setColor(QPalette::Button, QColor(s->button));
    p.setColor(QPalette::ButtonText, QColor(s->buttonText));
    p.setColor(QPalette::Highlight, QColor(s->highlight));
    p.setColor(QPalette::HighlightedText, QColor(s->highlightedText));
    p.setColor(QPalette::ToolTipBase, QColor(s->base));
    p.setColor(QPalette::ToolTipText, QColor(s->text));
    p.setColor(QPalette::PlaceholderText, mid);
    p.setColor(QPalette::Mid, mid);
    p.setColor(QPalette::Dark, mid.darker(130));
    p.setColor(QPalette::Shadow, mid.darker(200));
    p.setColor(QPalette::Light, QColor(s->button).lighter(125));
    p.setColor(QPalette::Midlight, QColor(s->button).lighter(110));
    const bool dark = window.lightness() < 128;
    p.setColor(QPalette::Link, dark ? QColor(0x8ab4f8) : QColor(0x0645ad));
    p.setColor(QPalette::BrightText, dark ? QColor(0xffffff) : QColor(0xff0000));
    const QColor disabled = dark ? QColor(0x8a8a8a) : QColor(0x8d8d8d);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Base, window);
    return p;
}

void ApplyApplicationLook(unsigned id) {
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(ApplicationLookPalette(id));
    SetApplicationLook(id);
}

unsigned ValidApplicationLook(int stored) {
    if (stored < static_cast<int>(kFirstLook) || stored > static_cast<int>(kLastLook))
        return kDefaultLook;
    return static_cast<unsigned>(stored);
}
