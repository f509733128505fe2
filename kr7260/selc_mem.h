// The selcall idents window: the radio's own five-tone ident, ten call memories with
// their alpha tags, the ident a page sends and four idents that may serve telemetry.
// Opened only from the selcall window, whose transmit group choice it reads.
#pragma once

#include "editor.h"

#include <QHash>
#include <QString>
#include <array>

namespace Ui { class TfrmSelcallIdents; }
class QCheckBox;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class TSelcallSettings;

class TfrmSelcallIdents : public TEditorForm {
    Q_OBJECT
public:
    TfrmSelcallIdents(QWidget* parent, const TSelcallSettings* selcall);
    ~TfrmSelcallIdents() override;

    // Ident slot k (0..16): words 43 + 2k and 44 + 2k, five tones; 0xA is the group
    // digit "A", 0xB..0xF show as 0.
    QString IdentToText(int slot) const;
    void TextToIdent(const QString& text, int slot);
    // Alpha tag a (0..9): words 77 + 3a .. 79 + 3a, five Latin-1 characters.
    QString AlphaToText(int tag) const;
    void TextToAlpha(const QString& text, int tag);

    // Whether the group digit may stand at position index (0..4) of a call memory
    // with the transmit group choice txGroup: tone 5 for up to 10, tone 4 or 5 for up to 100.
    static bool GroupDigitAllowed(int index, int txGroup);

    void chkTeleMem1Click();
    // The key filters: false discards the key (with a beep).
    bool txtRadioIdentKeyPress(QLineEdit* box, const QKeyEvent& key);
    bool AlphaKeyPress(QLineEdit* box, const QKeyEvent& key);
    // The checks of a box the focus has left, its length and where its group digits
    // stand: true when one showed its message and put the focus back.
    bool txtRadioIdentExit(QLineEdit* box);

    QLineEdit* txtRadioIdent;
    std::array<QLineEdit*, 17> txtMem{};      // txtMem[1]..txtMem[16]; txtMem[12] hidden
    std::array<QLineEdit*, 13> txtAlphaMem{}; // txtAlphaMem[1]..[12]; 11 and 12 fixed
    QLineEdit* txtRadioAlpha;
    std::array<QCheckBox*, 5> chkTeleMem{};   // chkTeleMem[1]..[4]
    QTextEdit* HelpText;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void LoadControls() override;
    bool CheckControls() override;
    void StoreControls() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsIdentBox(QObject* o) const;
    bool IsCallMemory(const QLineEdit* box) const;
    // The transmit group choice that governs the box: 0 for all but the call memories.
    int TxGroup(const QLineEdit* box) const;
    // A group digit where the box's ident may not have one, in a box the user changed:
    // the message says where it may stand, the focus goes back to the box, and the
    // result is true.
    bool GroupDigitCheck(QLineEdit* box);
    void Complain(QLineEdit* box, const QString& text, const QString& caption);
    // Every change of a box's text by the user (typed, pasted, cut, undone) is checked
    // against its text before: refused changes are undone with a beep.
    void IdentEdited(QLineEdit* box);
    void AlphaEdited(QLineEdit* box);
    void Refuse(QLineEdit* box, const QString& edited);
    void SetBoxText(QLineEdit* box, const QString& text);

    Ui::TfrmSelcallIdents* ui;
    const TSelcallSettings* selcall_;
    QHash<QLineEdit*, QString> accepted_; // each edit box's text before the user's edit
    QHash<QLineEdit*, QString> shown_;    // each edit box's text as this showing loaded it
    bool checking_ = false;               // a length message is up
    QLineEdit* leaving_ = nullptr;        // a box the focus has left, its check not yet run
};

extern TfrmSelcallIdents* frmSelcallIdents;
