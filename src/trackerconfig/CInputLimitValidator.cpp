#include "trackerconfig/CInputLimitValidator.h"

#include <QLineEdit>

namespace {

qsizetype NonDigits(const QString& text) {
    qsizetype n = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            ++n;
    }
    return n;
}

} // namespace

CInputLimitValidator::CInputLimitValidator(QLineEdit* edit, int maxLength, bool digitsOnly)
    : QValidator(edit), m_strBefore(edit->text()), m_nMaxLength(maxLength),
      m_bDigitsOnly(digitsOnly) {
    // Emitted for accepted changes and for text the page puts in.
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_strBefore = text; });
}

QValidator::State CInputLimitValidator::validate(QString& input, int& /*pos*/) const {
    const QString& before = m_strBefore;
    if (input.size() > m_nMaxLength && input.size() > before.size())
        return Invalid;
    if (m_bDigitsOnly && NonDigits(input) > NonDigits(before))
        return Invalid;
    return Acceptable;
}
