// The report window: a memory image listed as plain text, which can be saved.
#pragma once

#include <QMainWindow>
#include <QStringList>

class EEPROM;
class QAction;
class QCheckBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QFrame;

namespace Ui {
class TfrmReport;
}

class TfrmReport : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmReport(QWidget* parent = nullptr);
    ~TfrmReport() override;

    // The image to describe; not owned. None at creation.
    EEPROM* reportImage = nullptr;

    void BuildReport();
    void AddRxChannelSection();
    QStringList Lines() const;
    // Writes the report to fileName (temporary file, then rename); false on failure.
    bool SaveReport(const QString& fileName) const;

    void FormShow();
    void btnCreateClick();
    void btnCloseClick();
    void Exit1Click();
    void Save1Click();
    void SaveAs1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void AddLine(const QString& text);
    void SaveWithDialog();

    Ui::TfrmReport* ui;
    QPlainTextEdit* memo_report;
    QCheckBox* chkCalibration;
    QCheckBox* chkRxChannels;
    QCheckBox* chkSelcallMem;
};

extern TfrmReport* frmReport;
