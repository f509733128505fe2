#include "about.h"
#include "ui_about.h"

#include <platform/shell.h>
#include <platform/window.h>

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

TAboutBox* AboutBox = nullptr;
const char* const NavarWebSite = "https://www.navar.example/";

QPixmap DrawNavarLogo(const QSize& size)
{
    const int w = qMax(size.width(), 16), h = qMax(size.height(), 16);
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient bg(0, 0, 0, h);
    bg.setColorAt(0, QColor(0x2a, 0x5d, 0x9f));
    bg.setColorAt(1, QColor(0x0e, 0x2a, 0x4f));
    p.setPen(QPen(QColor(0x0b, 0x1a, 0x2e), 2));
    p.setBrush(bg);
    const qreal r = qMin(w, h) * 0.15;
    p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), r, r);

    // An aerial with three waves on the left.
    const qreal ax = h * 0.45, top = h * 0.2, bottom = h * 0.82;
    p.setPen(QPen(QColor(0xff, 0xc8, 0x3d), qMax(2.0, h * 0.05), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(ax, top), QPointF(ax, bottom));
    p.drawLine(QPointF(ax, bottom), QPointF(ax - h * 0.14, bottom));
    p.drawLine(QPointF(ax, bottom), QPointF(ax + h * 0.14, bottom));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        const qreal rr = h * 0.1 * i;
        QRectF arc(ax - rr, top - rr, 2 * rr, 2 * rr);
        p.drawArc(arc, -45 * 16, 90 * 16);
        p.drawArc(arc, 135 * 16, 90 * 16);
    }

    // The name.
    QFont font("Sans", 10, QFont::Black);
    font.setPixelSize(qMax(8, int(h * 0.42)));
    font.setItalic(true);
    p.setFont(font);
    QRectF textRect(h * 0.95, 0, w - h * 1.05, h * 0.72);
    p.setPen(QColor(0x0b, 0x1a, 0x2e));
    p.drawText(textRect.translated(2, 2), Qt::AlignLeft | Qt::AlignVCenter, "NAVAR");
    p.setPen(Qt::white);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, "NAVAR");
    QFont small("Sans");
    small.setPixelSize(qMax(6, int(h * 0.13)));
    small.setBold(true);
    p.setFont(small);
    p.setPen(QColor(0xff, 0xc8, 0x3d));
    p.drawText(QRectF(h * 0.95, h * 0.62, w - h * 1.05, h * 0.25), Qt::AlignLeft | Qt::AlignVCenter,
               "UHF CB RADIO");
    return pm;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui(new Ui::TAboutBox)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint
                   | Qt::WindowStaysOnTopHint);
    setFixedSize(size());
    ui->ProgramIcon->setPixmap(DrawNavarLogo(ui->ProgramIcon->size()));
    ui->lblWebSite->setText(NavarWebSite);
    ui->lblWebSite->setCursor(Qt::PointingHandCursor);
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(ui->lblWebSite),
                       static_cast<QWidget*>(ui->lblNiceVersion)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    FormCreate();
}

TAboutBox::~TAboutBox() { delete ui; }

void TAboutBox::FormCreate()
{
    ui->lblNiceVersion->setText("Program Version : PV4410.1.01");
    SetLinkColour(false);
}

void TAboutBox::lblWebSiteClick() { platform::ShellOpen(NavarWebSite); }

void TAboutBox::SetLinkColour(bool hot)
{
    QPalette pal = ui->lblWebSite->palette();
    pal.setColor(QPalette::WindowText, hot ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    ui->lblWebSite->setPalette(pal);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        const bool move = event->type() == QEvent::MouseMove;
        if (watched == ui->lblWebSite) {
            SetLinkColour(true);
            return move; // the box behind must not see this move and undo it
        }
        if (watched == this || watched == ui->lblNiceVersion) {
            SetLinkColour(false);
            return move && watched != this;
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched == ui->lblWebSite) {
        lblWebSiteClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    platform::CentreOnScreen(this);
    QDialog::showEvent(event);
}
