#include "channelchecks.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGridLayout>
#include <QWidget>

namespace {

// Boxes made after the form's own controls would come last in the tab order, after OK and
// Cancel: put them where their container stands.
void PlaceInTabOrder(QWidget* container, const std::vector<QCheckBox*>& boxes)
{
    if (boxes.empty())
        return;
    QWidget* before = container->previousInFocusChain();
    while (before && before != container && !before->isWindow()
           && (container->isAncestorOf(before) || !(before->focusPolicy() & Qt::TabFocus)))
        before = before->previousInFocusChain();
    if (!before || before == container || before->isWindow())
        return;
    for (QCheckBox* box : boxes) {
        QWidget::setTabOrder(before, box);
        before = box;
    }
}

} // namespace

TChannelChecks::TChannelChecks(QWidget* container, const QString& prefix, int count, int rows)
    : QObject(container)
{
    auto* grid = qobject_cast<QGridLayout*>(container->layout());
    if (!grid) {
        delete container->layout();
        grid = new QGridLayout(container);
    }
    if (rows < 1)
        rows = 1;
    const int top = grid->count() > 0 ? grid->rowCount() : 0;
    for (int n = 1; n <= count; ++n) {
        auto* box = new QCheckBox(QString::number(n), container);
        box->setObjectName(prefix + QString::number(n));
        grid->addWidget(box, top + (n - 1) % rows, (n - 1) / rows);
        boxes_.push_back(box);
    }
    PlaceInTabOrder(container, boxes_);
}

QCheckBox* TChannelChecks::Box(int n) const
{
    return (n >= 1 && n <= Count()) ? boxes_[std::size_t(n - 1)] : nullptr;
}

bool TChannelChecks::Checked(int n) const
{
    const QCheckBox* box = Box(n);
    return box && box->isChecked();
}

void TChannelChecks::SetChecked(int n, bool on)
{
    if (QCheckBox* box = Box(n))
        box->setChecked(on);
}

std::uint64_t TChannelChecks::Bits() const
{
    std::uint64_t bits = 0;
    for (int n = 1; n <= Count() && n <= 64; ++n)
        if (Checked(n))
            bits |= std::uint64_t(1) << (n - 1);
    return bits;
}

void TChannelChecks::SelectAll()
{
    for (QCheckBox* box : boxes_)
        box->setChecked(true);
}

void TChannelChecks::DeselectAll()
{
    for (QCheckBox* box : boxes_)
        box->setChecked(false);
}

void TChannelChecks::SetButtons(QAbstractButton* selectAll, QAbstractButton* deselectAll)
{
    selectAll_ = selectAll;
    deselectAll_ = deselectAll;
    if (selectAll)
        connect(selectAll, &QAbstractButton::clicked, this, &TChannelChecks::SelectAll);
    if (deselectAll)
        connect(deselectAll, &QAbstractButton::clicked, this, &TChannelChecks::DeselectAll);
}

void TChannelChecks::SetEnabled(bool on)
{
    for (QCheckBox* box : boxes_)
        box->setEnabled(on);
    if (selectAll_)
        selectAll_->setEnabled(on);
    if (deselectAll_)
        deselectAll_->setEnabled(on);
}
