#include "app/ui/StartPicture.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

TStartPicture::TStartPicture(const QString& versionText)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , Version(versionText)
    , Picture(QStringLiteral(":/images/start.jpg"))
{
    setObjectName(QStringLiteral("StartPicture"));
    setFixedSize(400, 300);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

void TStartPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!Picture.isNull()) {
        p.drawImage(rect(), Picture);
    } else {
        // Until the rendered start picture is built in: an evening sky over
        // hills, the way a photo product begins.
        QLinearGradient sky(0, 0, 0, 300);
        sky.setColorAt(0, QColor(38, 70, 140));
        sky.setColorAt(0.6, QColor(240, 160, 90));
        sky.setColorAt(1, QColor(250, 210, 140));
        p.fillRect(rect(), sky);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 235, 180));
        p.drawEllipse(QPointF(290, 170), 34, 34);
        QPainterPath hills;
        hills.moveTo(0, 300);
        hills.lineTo(0, 210);
        hills.cubicTo(90, 170, 160, 240, 250, 205);
        hills.cubicTo(320, 180, 370, 200, 400, 190);
        hills.lineTo(400, 300);
        p.setBrush(QColor(40, 80, 50));
        p.drawPath(hills);
        QFont title(QStringLiteral("Arial"));
        title.setPixelSize(44);
        title.setBold(true);
        p.setFont(title);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 40, 400, 60), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Lumarbo"));
        QFont sub(QStringLiteral("Arial"));
        sub.setPixelSize(15);
        p.setFont(sub);
        p.drawText(QRect(0, 96, 400, 24), Qt::AlignHCenter, QStringLiteral("Quarn"));
    }
    QFont vf(QStringLiteral("Arial"));
    vf.setPixelSize(12);
    p.setFont(vf);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 270, 392, 24), Qt::AlignRight | Qt::AlignVCenter, Version);
}
