// Where Qt's widgets behave unlike the form library the programs were designed for, these
// application-wide rules keep the form library's behaviour. Each program installs them
// once, with its application object.
#pragma once

class QWidget;

namespace platform {

// Installs the rules on the application object (once; later calls do nothing):
// - Enter: a push button answers Enter only when it has the focus or is marked default
//   in its form; Qt does not choose a default button of its own. Message boxes and file
//   dialogs keep their usual default button.
// - Stay-on-top: while a modal window or message box is shown, every other window that
//   stays on top steps back, so the modal one shows above it; once the last modal window
//   has gone they are on top again. A modeless window marked with ShowAboveOnTop counts
//   as modal here.
void InstallFormRules();

// Marks a modeless window that must show above the stay-on-top windows while it is up
// (a progress window the user has to see).
void ShowAboveOnTop(QWidget* window);

// Whether the window is kept above the others now.
bool StaysOnTop(const QWidget* window);

} // namespace platform
