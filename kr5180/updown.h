// An up-down control: two small arrow buttons that step a position within a range and
// write it into an associated edit, as a numeric edit's spin arrows do.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    void SetRange(int min, int max);
    // The associated edit's number when it holds one (clamped to the range), else the
    // last position set.
    int Position();
    // Sets the position (clamped) and the edit's text; emits nothing.
    void SetPosition(int value);
    void SetAssociate(QLineEdit* edit);

    int Tag = 0;

    // One arrow click: +1 up, -1 down, stopping at the ends of the range.
    void Step(int direction);

signals:
    // After each arrow click, with the new position.
    void clicked(int position);

private:
    QToolButton* up_;
    QToolButton* down_;
    QLineEdit* edit_ = nullptr;
    int min_ = 0, max_ = 100, position_ = 0;
};
