#include "uisupport/ProfileValues.h"

#include "uisupport/Profile.h"

#include <QtEndian>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {
double DoubleFromBlock(const QByteArray& block) {
    const quint64 bits = qFromLittleEndian<quint64>(block.constData());
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
} // namespace

bool ReadProfileDoubleExact(const QString& section, const QString& key, double& value) {
    QByteArray block;
    if (!GetProfileBinary(section, key, block) || block.size() != 8)
        return false;
    value = DoubleFromBlock(block);
    return true;
}

bool ReadProfileDoubleLeading(const QString& section, const QString& key, double& value) {
    QByteArray block;
    if (!GetProfileBinary(section, key, block) || block.size() < 8)
        return false;
    value = DoubleFromBlock(block);
    return true;
}

void WriteProfileDouble(const QString& section, const QString& key, double value) {
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray block(8, '\0');
    qToLittleEndian<quint64>(bits, block.data());
    WriteProfileBinary(section, key, block);
}

bool ParseLeadingDouble(const QString& text, double& value) {
    // Read as "%lf" would in the "C" locale: the decimal point is always '.', whatever the
    // desktop's language (Qt switches the C library to the user's locale at start-up).
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const QByteArray latin = text.toLatin1();
    char* end = nullptr;
    const double parsed = strtod_l(latin.constData(), &end, cLocale);
    if (end == latin.constData())
        return false;
    value = parsed;
    return true;
}
