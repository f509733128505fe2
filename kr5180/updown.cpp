#include "updown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* b : {up_, down_}) {
        b->setArrowType(b == up_ ? Qt::UpArrow : Qt::DownArrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(16, 11);
        layout->addWidget(b);
    }
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TUpDown::SetRange(int min, int max)
{
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
}

int TUpDown::Position()
{
    if (edit_) {
        bool ok = false;
        const int typed = edit_->text().trimmed().toInt(&ok);
        if (ok)
            position_ = std::clamp(typed, min_, max_);
    }
    return position_;
}

void TUpDown::SetPosition(int value)
{
    position_ = std::clamp(value, min_, max_);
    if (edit_)
        edit_->setText(QString::number(position_));
}

void TUpDown::SetAssociate(QLineEdit* edit)
{
    edit_ = edit;
    if (edit_)
        edit_->setText(QString::number(position_));
}

void TUpDown::Step(int direction)
{
    SetPosition(Position() + (direction >= 0 ? 1 : -1)); // clamped
    emit clicked(position_);
}
