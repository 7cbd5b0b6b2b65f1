#include "shell/KKDatabaseInfo.h"

#include "base/ArchiveNames.h"
#include "base/Look.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kCalc = QStringLiteral("Calc...");
const QString kUnavailable = QStringLiteral("n/a");
constexpr int kFirstCount = 2;
}

KKSpecific::KKSpecific(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KKSpecific"));
    setWindowTitle(QStringLiteral("Specifics"));
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(MakeTitle(QStringLiteral("Specifics..."), this));

    auto* grid = new QGridLayout;
    const QStringList& tables = state().ContentTables;
    for (int i = 1; i <= 5; ++i) {
        QString caption = QStringLiteral(".");
        if (i == 1)
            caption = QStringLiteral("Database Size:");
        else if (i - kFirstCount < tables.size())
            caption = tables.at(i - kFirstCount).mid(2) + QLatin1Char(':');
        auto* label = new QLabel(caption, this);
        label->setObjectName(QStringLiteral("lblField_%1").arg(i));
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtField_%1").arg(i));
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignRight);
        box->setAccessibleName(caption);
        label->setBuddy(box);
        grid->addWidget(label, i - 1, 0);
        grid->addWidget(box, i - 1, 1);
        m_fields[i] = box;
    }
    outer->addLayout(grid);
    m_fields[1]->setText(kCalc);

    outer->addLayout(MakeCloseRow(this));

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("tmrSpecific"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(3000);
    connect(m_timer, &QTimer::timeout, this, &KKSpecific::calculate);
    m_timer->start();

    ApplyLook(this);
}

QLineEdit* KKSpecific::field(int index) const
{
    return index >= 1 && index <= 5 ? m_fields[index] : nullptr;
}

bool KKSpecific::isTimerEnabled() const { return m_timer->isActive(); }

QString KKSpecific::sizeText(qint64 bytes)
{
    // Hundredths of a megabyte, a half going to the even neighbour; whole numbers throughout.
    qint64 hundredths = bytes / 10000;
    const qint64 rest = bytes % 10000;
    if (rest > 5000 || (rest == 5000 && hundredths % 2 != 0))
        ++hundredths;
    return QLocale().toString(double(hundredths) / 100.0, 'f', 2) + QStringLiteral(" MB");
}

void KKSpecific::calculate()
{
    m_timer->stop();
    if (m_calculated)
        return;
    m_calculated = true;

    ProgramState& s = state();
    Recordset& reader = s.settingsReader;
    const QFileInfo file(ArchiveNames::databasePath());
    if (s.DatabaseUrl.isEmpty()) {
        m_fields[1]->setText(file.isFile() ? sizeText(file.size()) : kUnavailable);
    } else {
        // On the server: the size of the whole database, as the server counts it.
        m_fields[1]->setText(kUnavailable);
        Guard([&] {
            if (reader.isOpen())
                reader.close();
            reader.open(QStringLiteral("Select pg_database_size(current_database()) As Bytes"), *s.connection,
                        CursorType::Static, LockType::ReadOnly);
            m_fields[1]->setText(sizeText(reader.field(0).value().toLongLong()));
            reader.close();
        });
    }

    for (int i = 0; i < s.ContentTables.size() && kFirstCount + i <= 5; ++i) {
        QLineEdit* box = m_fields[kFirstCount + i];
        box->setText(kCalc);
        EventPause();
        QString count = kUnavailable;
        Guard([&] {
            if (reader.isOpen())
                reader.close();
            if (!s.connection)
                throw AppError(DbErrors::NotOpen, QStringLiteral("KKSpecific"), QStringLiteral("No database connection"));
            reader.open(QStringLiteral("Select Count(*) From ") + s.ContentTables.at(i), *s.connection,
                        CursorType::Static, LockType::ReadOnly);
            count = reader.field(0).text();
        });
        box->setText(count);
    }
    Guard([&] {
        if (reader.isOpen())
            reader.close();
    });
}
