// Open and save file dialogs in the form library's shape.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace platform {

class TFileDialog {
public:
    enum class Kind { Open, Save };
    explicit TFileDialog(Kind kind, QWidget* parent = nullptr);

    QString Filter;      // "Mem files (*.mem)|*.mem", pairs of description|pattern
    QString DefaultExt;  // "mem": added when the chosen name has no extension
    QString FileName;    // in: proposed name; out: the chosen path
    QString InitialDir;
    QString Title;
    bool OverwritePrompt = false; // save: ask before replacing an existing file

    // True when the user chose a file (FileName holds it).
    bool Execute();
    Kind kind() const { return kind_; }

private:
    Kind kind_;
    QWidget* parent_;
};

class TOpenDialog : public TFileDialog {
public:
    explicit TOpenDialog(QWidget* parent = nullptr) : TFileDialog(Kind::Open, parent) {}
};
class TSaveDialog : public TFileDialog {
public:
    explicit TSaveDialog(QWidget* parent = nullptr) : TFileDialog(Kind::Save, parent) {}
};

// Tests script the dialog: the hook sees the dialog, may set FileName, and returns
// what Execute returns. DefaultExt is applied after the hook. Empty restores.
using FileDialogHook = std::function<bool(TFileDialog& dialog)>;
void SetFileDialogHook(FileDialogHook hook);

} // namespace platform
