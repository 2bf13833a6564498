#include "uisupport/CInputLimitValidator.h"

#include "device/TypedText.h"

#include <QLineEdit>
#include <algorithm>

namespace {

std::u16string_view View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.constData()),
            static_cast<std::size_t>(text.size())};
}

} // namespace

CInputLimitValidator::CInputLimitValidator(QLineEdit* edit, int maxLength, bool digitsOnly)
    : QValidator(edit), m_edit(edit), m_nMaxLength(maxLength), m_bDigitsOnly(digitsOnly),
      m_strBefore(edit->text()) {}

QValidator::State CInputLimitValidator::validate(QString& input, int& pos) const {
    if (m_bWhole) {
        m_strBefore = input;
        return Acceptable;
    }
    const int maxLength = m_nMaxLength >= 0 ? m_nMaxLength : m_edit->maxLength();
    const auto kept =
        LimitTypedChange(View(m_strBefore), View(input), static_cast<std::size_t>(std::max(pos, 0)),
                         {static_cast<std::size_t>(std::max(maxLength, 0)), m_bDigitsOnly});
    if (!kept)
        return Invalid;
    if (View(input) != std::u16string_view(kept->text)) {
        input = QString::fromStdU16String(kept->text);
        pos = static_cast<int>(kept->caret);
    }
    m_strBefore = input;
    return Acceptable;
}

void CInputLimitValidator::SetTextWhole(QLineEdit* edit, const QString& text) {
    auto* rule = dynamic_cast<CInputLimitValidator*>(const_cast<QValidator*>(edit->validator()));
    if (rule)
        rule->m_bWhole = true;
    edit->setText(text);
    if (rule)
        rule->m_bWhole = false;
}
