// A spin box whose typed text is a plain integer: digits with an optional sign. A group
// separator ("2,5") or any other character is refused and never stripped, so such a text
// leaves the position as it was.
#pragma once

#include <QSpinBox>

class TPlainSpinBox : public QSpinBox {
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
};
