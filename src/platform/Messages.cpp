#include "platform/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace {
Messages* installed = nullptr;
QString defaultTitle() { return QApplication::applicationName().isEmpty() ? QStringLiteral("Korvina") : QApplication::applicationName(); }
}

Messages& Messages::current()
{
    static BoxMessages boxes;
    return installed ? *installed : boxes;
}

void Messages::install(Messages* messages) { installed = messages; }

void BoxMessages::notice(const QString& text)
{
    QMessageBox::information(QApplication::activeWindow(), defaultTitle(), text, QMessageBox::Ok);
}

bool BoxMessages::question(const QString& text)
{
    return QMessageBox::question(QApplication::activeWindow(), defaultTitle(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void BoxMessages::error(const QString& text, const QString& title)
{
    QMessageBox::warning(QApplication::activeWindow(), title, text, QMessageBox::Ok);
}
