#include "squelch.h"
#include "ui_squelch.h"

TfrmSquelch* frmSquelch = nullptr;

namespace {

constexpr int MsPerMuteOpenUnit = 10;

} // namespace

TfrmSquelch::TfrmSquelch(QWidget* parent) : TImageEditor(parent), ui(new Ui::TfrmSquelch)
{
    ui->setupUi(this);
    // The up-downs' edits, under the names the program gives them.
    NameEdit(ui->udSqlLevel, "editSqlLevel");
    NameEdit(ui->udMuteDebounce, "editMuteDebounce");
    NameEdit(ui->udMuteOpen, "editMuteOpen");

    BindValue(ui->udSqlLevel, ee::SquelchLevel);
    BindValue(ui->udMuteDebounce, ee::MuteDebounce);
    BindValue(ui->udMuteOpen, ee::MuteMinOpen, MsPerMuteOpenUnit);
    BindOkCancel(ui->btnOK, ui->btnCancel);
}

TfrmSquelch::~TfrmSquelch()
{
    delete ui;
}
