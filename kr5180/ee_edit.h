// The EEPROM editor: the whole memory image as a grid of raw values, labelled from a
// header file of "#define" lines, edited on a working copy; single cells or the whole
// image read from and written to the radio.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui { class TfrmEEpromEdit; }
class EEPROM;
class KR5100;
class TTransferProgress;
class QShowEvent;

class TfrmEEpromEdit : public QDialog {
    Q_OBJECT
public:
    // radio is not owned. progress shows Read All / Write All; null uses frmProgress.
    explicit TfrmEEpromEdit(KR5100* radio, QWidget* parent = nullptr, TTransferProgress* progress = nullptr);
    ~TfrmEEpromEdit() override;

    void SetSource(EEPROM* image, int calibrationLength);
    void SetHeaderFile(const QString& name);

    // Event handlers.
    void FormCreate();
    void FormShow();
    void FormClose();
    void btnOKClick();
    void btnReadAddrClick();
    void btnWriteAddrClick();
    void btnReadAllClick();
    void btnWriteAllClick();
    void btnEraseClick();
    void btnResetClick();
    void btnProgrModeClick();
    void rgBaseClick();
    void rgDataSizeClick();

    // The grid as the program numbers it: row 0 and column 0 are the fixed headers.
    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);
    int Row() const;
    int Col() const;
    void SetCurrentCell(int col, int row);
    int RowCount() const;
    int ColCount() const;

    EEPROM* WorkingCopy() const { return working.get(); }

    // Conversions of the cell texts.
    static QString IntToBin(int value, int width);
    static int BinToInt(const QString& text, int width);

    enum : unsigned char { BaseBin = 0, BaseDec = 1, BaseHex = 2 };
    enum : unsigned char { Bytes8 = 0, Words16 = 1 };

    EEPROM* source = nullptr;
    int size = 0;
    int calibrationLength = 0;
    unsigned char base = BaseDec;
    unsigned char dataSize = Bytes8;
    QString headerFileName;
    int fixedRows = 1, dataRows = 0, fixedCols = 1, dataCols = 4;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CopyFromSource();
    void CopyToSource();
    void BuildGrid();
    void ShowData();
    void FitDataColumns();
    void ReadGrid();                 // throws the conversion error of a bad hexadecimal cell
    bool Commit();                   // ReadGrid; false (box shown) when a cell is rejected
    void LoadHeaderNames(const QString& fileName);
    static bool ParseDefineLine(const QByteArray& line, QByteArray& name, QByteArray& address);
    void SetVariableName(const QString& name, int address);
    QString ValueText(int value) const;
    int CellValue(const QString& text) const;
    // A single-location operation's start: the grid committed and a data cell selected (else
    // the box text / caption), then line begun in the memo. False when it cannot run.
    bool StartAtSelection(const char* text, const char* caption, const QString& line, int& address);
    void StartLine(const QString& text);
    void EndLine(const QString& text);
    int RadioIndex(bool base) const;
    // The base or data size its radio group now shows, and the grid rebuilt in it.
    void TakeLayout(bool forBase);
    TTransferProgress* Progress() const;
    void SetRadioIndex(bool base, int index);

    Ui::TfrmEEpromEdit* ui;
    KR5100* radio;
    TTransferProgress* progress;
    std::unique_ptr<EEPROM> working;
    QString memoLine;
};

extern TfrmEEpromEdit* frmEEpromEdit;
