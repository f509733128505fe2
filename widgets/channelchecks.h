// A family of numbered channel check boxes (chkOs1 .. chkOs40) with its optional
// "&Select All" / "&Deselect All" buttons. The boxes are made in code inside a container
// (columns of `rows` boxes, filled top to bottom, then left to right). Box n is bit n - 1
// of Bits(). Select and deselect change only the boxes.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QWidget;

class TChannelChecks : public QObject {
    Q_OBJECT
public:
    // Makes count boxes named prefix + n, captioned "n", in a grid layout of container.
    TChannelChecks(QWidget* container, const QString& prefix, int count, int rows);

    int Count() const { return int(boxes_.size()); }
    QCheckBox* Box(int n) const; // 1-based; null outside 1..Count()
    const std::vector<QCheckBox*>& Boxes() const { return boxes_; }

    bool Checked(int n) const;
    void SetChecked(int n, bool on);
    std::uint64_t Bits() const;

    void SelectAll();
    void DeselectAll();
    // Clicking selectAll / deselectAll checks / unchecks every box.
    void SetButtons(QAbstractButton* selectAll, QAbstractButton* deselectAll);
    // The boxes and the two buttons.
    void SetEnabled(bool on);

private:
    std::vector<QCheckBox*> boxes_;
    QAbstractButton* selectAll_ = nullptr;
    QAbstractButton* deselectAll_ = nullptr;
};
