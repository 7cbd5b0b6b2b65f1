#include "shell/KKStart.h"

#include "shell/Maintenance.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// The artwork beside the name: an envelope taking flight on a dusk sky.
class Artwork : public QWidget {
public:
    explicit Artwork(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("Picture1"));
        setFixedSize(150, 190);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = rect().adjusted(4, 4, -4, -4);

        QLinearGradient sky(r.topLeft(), r.bottomLeft());
        sky.setColorAt(0.0, QColor(18, 32, 71));
        sky.setColorAt(0.65, QColor(64, 86, 160));
        sky.setColorAt(1.0, QColor(236, 162, 92));
        QPainterPath frame;
        frame.addRoundedRect(r, 14, 14);
        p.fillPath(frame, sky);

        // A low sun.
        QRadialGradient sun(QPointF(r.center().x(), r.bottom() - 18), 46);
        sun.setColorAt(0.0, QColor(255, 226, 150, 230));
        sun.setColorAt(1.0, QColor(255, 226, 150, 0));
        p.setClipPath(frame);
        p.fillRect(r, sun);

        // A few stars.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 190));
        const QPointF stars[] = {{22, 24}, {58, 16}, {118, 30}, {96, 52}, {30, 62}, {132, 74}};
        for (const QPointF& s : stars)
            p.drawEllipse(s, 1.4, 1.4);

        // The envelope, tilted as if in flight, with a swept wing on each side: three
        // feathers each, longest at the top.
        p.translate(r.center().x(), r.center().y() + 10);
        p.rotate(-10);
        const QRectF env(-30, -19, 60, 40);
        p.setBrush(QColor(24, 24, 34));
        p.setPen(QPen(QColor(214, 222, 246, 170), 1.2));
        for (const int side : {-1, 1}) {
            for (int f = 0; f < 3; ++f) {
                const double reach = 58 - f * 9;   // how far out the feather goes
                const double lift = 50 - f * 12;   // how high its tip is
                QPainterPath feather;
                feather.moveTo(side * 14, -14 + f * 5);
                feather.cubicTo(side * (reach * 0.45), -lift * 0.9, side * reach * 0.8, -lift, side * reach, -lift - 4);
                feather.cubicTo(side * reach * 0.75, -lift * 0.55, side * reach * 0.5, -lift * 0.25,
                                side * 26, -4 + f * 5);
                feather.closeSubpath();
                p.drawPath(feather);
            }
        }
        p.setPen(QPen(QColor(40, 44, 60), 2));
        p.setBrush(QColor(250, 247, 238));
        p.drawRoundedRect(env, 4, 4);
        QPainterPath flap;
        flap.moveTo(env.topLeft());
        flap.lineTo(0, 4);
        flap.lineTo(env.topRight());
        p.setBrush(Qt::NoBrush);
        p.drawPath(flap);
        p.setPen(QPen(QColor(192, 57, 43), 0));
        p.setBrush(QColor(192, 57, 43));
        p.drawEllipse(QPointF(0, 4), 5, 5);
    }
};

QLabel* nameLabel(QWidget* parent, const char* objectName, const QString& text, const QColor& colour, bool italic)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(objectName));
    QFont f(QStringLiteral("Serif"));
    f.setPointSize(34);
    f.setBold(true);
    f.setItalic(italic);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    return l;
}
}

KKStart::KKStart(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KKStart"));
    setWindowTitle(QStringLiteral("Korvina!"));
    setModal(true);

    QPalette back = palette();
    back.setColor(QPalette::Window, QColor(250, 248, 242));
    setPalette(back);
    setAutoFillBackground(true);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(16, 16, 20, 14);
    outer->setSpacing(18);
    outer->addWidget(new Artwork(this), 0, Qt::AlignTop);

    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    outer->addLayout(right, 1);

    auto* name = new QHBoxLayout;
    name->setSpacing(0);
    name->addWidget(nameLabel(this, "Label0", QStringLiteral("Kor"), QColor(18, 32, 71), false));
    name->addWidget(nameLabel(this, "Label1", QStringLiteral("vi"), QColor(192, 57, 43), true));
    name->addWidget(nameLabel(this, "Label2", QStringLiteral("na"), QColor(18, 32, 71), false));
    name->addStretch();
    right->addLayout(name);

    auto* label3 = new QLabel(QCoreApplication::applicationVersion(), this);
    label3->setObjectName(QStringLiteral("Label3"));
    QFont vf = label3->font();
    vf.setPointSize(14);
    vf.setBold(true);
    label3->setFont(vf);
    QPalette vp = label3->palette();
    vp.setColor(QPalette::WindowText, QColor(110, 110, 120));
    label3->setPalette(vp);
    right->addWidget(label3);

    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    right->addSpacing(6);
    right->addWidget(line1);
    right->addSpacing(6);

    auto* status = new QHBoxLayout;
    status->setSpacing(6);
    m_label5 = new QLabel(QStringLiteral("Checking.."), this);
    m_label5->setObjectName(QStringLiteral("Label5"));
    m_label4 = new QLabel(QStringLiteral("."), this);
    m_label4->setObjectName(QStringLiteral("Label4"));
    QFont sf = m_label5->font();
    sf.setPointSize(11);
    m_label5->setFont(sf);
    m_label4->setFont(sf);
    m_label4->setMinimumWidth(120);
    m_label5->setVisible(false);
    m_label4->setVisible(false);
    status->addWidget(m_label5);
    status->addWidget(m_label4);
    status->addStretch();
    right->addLayout(status);
    right->addStretch(1);

    m_label6 = new QLabel(QStringLiteral("Customer mailing for the small enterprise \u2014 Korvina Software"), this);
    m_label6->setObjectName(QStringLiteral("Label6"));
    QFont mf = m_label6->font();
    mf.setPointSize(8);
    m_label6->setFont(mf);
    QPalette mp = m_label6->palette();
    mp.setColor(QPalette::WindowText, QColor(110, 110, 120));
    m_label6->setPalette(mp);
    right->addWidget(m_label6);

    setFixedSize(sizeHint().expandedTo(QSize(480, 230)));

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(5000);
    connect(m_timer1, &QTimer::timeout, this, &KKStart::onTimer1);
    m_timer1->start();
}

void KKStart::setAboutMode(const QString& shortName, const QString& revision)
{
    m_timer1->stop();
    m_label5->setText(shortName);
    m_label5->setVisible(true);
    m_label6->setToolTip(QStringLiteral("ESC-Exit:Rev-") + revision);
}

void KKStart::setTimerInterval(int milliseconds)
{
    m_timer1->setInterval(milliseconds);
    if (m_timer1->isActive())
        m_timer1->start();
}

bool KKStart::isTimerEnabled() const { return m_timer1->isActive(); }

bool KKStart::mayClose() const { return !m_timer1->isActive() && !m_running; }

void KKStart::onTimer1()
{
    m_running = true;
    m_label4->setVisible(true);
    m_label5->setVisible(true);
    Maintenance maintenance;
    Maintenance::Progress progress;
    progress.step = [this](const QString& step) { m_label5->setText(step); };
    progress.dot = [this] { m_label4->setText(m_label4->text() + QLatin1Char('.')); };
    m_succeeded = maintenance.run(progress);
    m_running = false;
    done(m_succeeded ? Accepted : Rejected);
}

void KKStart::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (mayClose())
            QDialog::reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void KKStart::closeEvent(QCloseEvent* event)
{
    if (!mayClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void KKStart::reject()
{
    if (mayClose())
        QDialog::reject();
}
