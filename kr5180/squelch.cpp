#include "squelch.h"
#include "ui_squelch.h"

#include <QLineEdit>

TfrmSquelch* frmSquelch = nullptr;

namespace {

constexpr int MsPerMuteOpenUnit = 10;

} // namespace

TfrmSquelch::TfrmSquelch(QWidget* parent) : TImageEditor(parent), ui(new Ui::TfrmSquelch)
{
    ui->setupUi(this);
    // The up-downs' edits, under the names the program gives them.
    ui->udSqlLevel->findChild<QLineEdit*>()->setObjectName(QStringLiteral("editSqlLevel"));
    ui->udMuteDebounce->findChild<QLineEdit*>()->setObjectName(QStringLiteral("editMuteDebounce"));
    ui->udMuteOpen->findChild<QLineEdit*>()->setObjectName(QStringLiteral("editMuteOpen"));

    BindValue(ui->udSqlLevel, ee::SquelchLevel);
    BindValue(ui->udMuteDebounce, ee::MuteDebounce);
    BindValue(ui->udMuteOpen, ee::MuteMinOpen, MsPerMuteOpenUnit);
    BindOkCancel(ui->btnOK, ui->btnCancel);
}

TfrmSquelch::~TfrmSquelch()
{
    delete ui;
}
