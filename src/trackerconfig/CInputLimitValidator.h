#pragma once
// The input limit of an edit of the configuration page: what the operator types may not make
// the text longer than the limit, nor (for the digits-only edits) add anything but digits.
// Text the page itself puts in (a device reply) is kept whole, and the operator can still edit
// such a text as long as the edit does not make it worse.

#include <QString>
#include <QValidator>

class QLineEdit;

class CInputLimitValidator : public QValidator {
public:
    CInputLimitValidator(QLineEdit* edit, int maxLength, bool digitsOnly);

    State validate(QString& input, int& pos) const override;

private:
    // The text before the change being checked: the edit already holds the changed text.
    QString m_strBefore;
    int m_nMaxLength;
    bool m_bDigitsOnly;
};
