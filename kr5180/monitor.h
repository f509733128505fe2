// The comms monitor: a trace of every request and reply payload as hex text.
#pragma once

#include <QDialog>
#include <QStringList>

#include <cstdint>

class QPlainTextEdit;
class QPushButton;
class QCheckBox;

namespace Ui {
class TfrmCommsMonitor;
}

class TfrmCommsMonitor : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCommsMonitor(QWidget* parent = nullptr);
    ~TfrmCommsMonitor() override;

    // One "TX :" (transmit non-zero) or "RX :" line of hex bytes; only while enabled.
    void LogBytes(const std::uint8_t* bytes, int count, int transmit);
    // Adds a line whether or not tracing is enabled.
    void AddLine(const QString& text);
    // Two upper-case hex digits and a blank, appended to the last line.
    void AppendHexByte(std::uint8_t byte);

    bool Enabled() const { return enabled; }
    QStringList Lines() const;

    void FormCreate();
    void FormShow();
    void cbEnableMonitorClick();
    void btnClearClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    static QString HexByte(std::uint8_t byte);

    Ui::TfrmCommsMonitor* ui;
    QPlainTextEdit* memoTx;
    QPushButton* btnClear;
    QCheckBox* cbEnableMonitor;
    bool enabled = false;
};

extern TfrmCommsMonitor* frmCommsMonitor;
