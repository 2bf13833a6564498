#pragma once
// The per-user settings store: INI file of organisation "quenhollow", application
// "TollbrookY202". Sections and keys are the program's own; integers are 32-bit, byte blocks
// are stored as QByteArray. A fresh QSettings per call keeps every access self-contained;
// QSettings shares one cache per file inside the process, so this costs little.

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <memory>

inline std::unique_ptr<QSettings> OpenProfile() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("quenhollow"),
                                       QStringLiteral("TollbrookY202"));
}

inline QString ProfileKey(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

inline int GetProfileInt(const QString& section, const QString& key, int defaultValue) {
    bool ok = false;
    const int value = OpenProfile()->value(ProfileKey(section, key)).toInt(&ok);
    return ok ? value : defaultValue;
}

inline void WriteProfileInt(const QString& section, const QString& key, int value) {
    OpenProfile()->setValue(ProfileKey(section, key), value);
}

inline QString GetProfileString(const QString& section, const QString& key,
                                const QString& defaultValue = QString()) {
    const QVariant v = OpenProfile()->value(ProfileKey(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

// A null string deletes the value, as the store's users expect.
inline void WriteProfileString(const QString& section, const QString& key, const QString& value) {
    auto s = OpenProfile();
    if (value.isNull())
        s->remove(ProfileKey(section, key));
    else
        s->setValue(ProfileKey(section, key), value);
}

// Returns false when the value is absent.
inline bool GetProfileBinary(const QString& section, const QString& key, QByteArray& out) {
    const QVariant v = OpenProfile()->value(ProfileKey(section, key));
    if (!v.isValid())
        return false;
    out = v.toByteArray();
    return true;
}

inline void WriteProfileBinary(const QString& section, const QString& key, const QByteArray& data) {
    OpenProfile()->setValue(ProfileKey(section, key), data);
}
