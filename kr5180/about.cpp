#include "about.h"

#include "ui_about.h"
#include "version.h"

#include <platform/shell.h>
#include <platform/window.h>

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

TAboutBox* AboutBox = nullptr;

const char* const TAboutBox::WebSiteUrl = "https://www.navar.example/";
const char* const TAboutBox::SupportEmail = "support@navar.example";
const char* const TAboutBox::EmailSubject = "KR5180 dealer software support";

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(new Ui::TAboutBox)
{
    ui->setupUi(this);
    setFixedSize(size());
    ui->Image1->setPixmap(DrawLogo(ui->Image1->width() * 2, ui->Image1->height() * 2));

    for (QLabel* link : {ui->lblWebSite, ui->lblEmail}) {
        QFont font = link->font();
        font.setUnderline(true);
        link->setFont(font);
        QPalette palette = link->palette();
        palette.setColor(QPalette::WindowText, Qt::blue);
        link->setPalette(palette);
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
    connect(ui->btnClose, &QPushButton::clicked, this, &TAboutBox::btnCloseClick);
    FormCreate();
}

TAboutBox::~TAboutBox()
{
    if (AboutBox == this)
        AboutBox = nullptr;
    delete ui;
}

void TAboutBox::FormCreate()
{
    ui->Memo2->clear();
    ui->Memo2->appendPlainText(QStringLiteral("KR5180") + QStringLiteral(" UHF CB Radio"));
    ui->Memo2->appendPlainText(QStringLiteral("Programmer Software"));
    ui->lblVersion->setText(GetVersionText());
    ui->Memo1->clear();
    ui->Memo1->appendPlainText(QStringLiteral("Navar Communications"));
    ui->Memo1->appendPlainText(QStringLiteral("Copyright (c) 2026"));
    ui->lblWebSite->setText(QStringLiteral("www.navar.example"));
    ui->lblEmail->setText(QString::fromLatin1(SupportEmail));
}

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    platform::CentreOnScreen(this);
    FormShow();
}

void TAboutBox::FormShow()
{
    ui->btnClose->setFocus();
}

void TAboutBox::btnCloseClick()
{
    close();
}

void TAboutBox::lblWebSiteClick()
{
    platform::ShellOpen(QString::fromLatin1(WebSiteUrl)); // a failure is not reported
}

void TAboutBox::lblEmailClick()
{
    platform::ShellOpen(QStringLiteral("mailto:") + QString::fromLatin1(SupportEmail)
                        + QStringLiteral("?subject=") + QString::fromLatin1(EmailSubject));
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui->lblWebSite) {
            lblWebSiteClick();
            return true;
        }
        if (watched == ui->lblEmail) {
            lblEmailClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QPixmap TAboutBox::DrawLogo(int width, int height)
{
    if (width < 1)
        width = 1;
    if (height < 1)
        height = 1;
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF box(1, 1, width - 2, height - 2);
    QLinearGradient gradient(box.topLeft(), box.bottomLeft());
    gradient.setColorAt(0, QColor(0x1f, 0x4e, 0x9c));
    gradient.setColorAt(1, QColor(0x0b, 0x24, 0x52));
    painter.setPen(QPen(QColor(0x08, 0x18, 0x38), 2));
    painter.setBrush(gradient);
    painter.drawRoundedRect(box, height * 0.15, height * 0.15);

    // Three radio waves on the left.
    painter.setBrush(Qt::NoBrush);
    const QPointF origin(box.left() + height * 0.25, box.center().y());
    for (int i = 1; i <= 3; ++i) {
        const qreal r = height * 0.12 * i;
        painter.setPen(QPen(QColor(0xff, 0xc8, 0x2e), height * 0.05, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(QRectF(origin.x() - r, origin.y() - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xc8, 0x2e));
    painter.drawEllipse(origin, height * 0.05, height * 0.05);

    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    font.setPixelSize(qMax(1, int(height * 0.42)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    QRectF textBox = box.adjusted(height * 0.7, 0, -height * 0.1, 0);
    painter.drawText(textBox, Qt::AlignCenter, QStringLiteral("NAVAR"));
    painter.end();
    return pixmap;
}
