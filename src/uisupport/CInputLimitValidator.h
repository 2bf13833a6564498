#pragma once
// The input rule of a one-line edit: what the operator types or pastes is kept to one line, to
// digits in a digits-only edit, and to the edit's limit; a paste that does not fit is cut to
// what fits instead of being refused whole. Text the program puts in with SetTextWhole (a device
// reply) is kept whole, and the rule still holds for what the operator adds to it afterwards.

#include <QString>
#include <QValidator>

class QLineEdit;

class CInputLimitValidator : public QValidator {
public:
    // maxLength < 0: the edit's own maximum length, as it is at each change.
    CInputLimitValidator(QLineEdit* edit, int maxLength = -1, bool digitsOnly = false);

    State validate(QString& input, int& pos) const override;

    // Puts text into edit as it is, past its input rule.
    static void SetTextWhole(QLineEdit* edit, const QString& text);

private:
    QLineEdit* m_edit;
    int m_nMaxLength;
    bool m_bDigitsOnly;
    bool m_bWhole = false;
    // The edit's text as last accepted. Kept here rather than from textChanged: a handler of
    // textEdited may set a new text before textChanged reports the older one.
    mutable QString m_strBefore;
};
