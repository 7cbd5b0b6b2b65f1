#include "base/Messages.h"

#include "base/ProgramState.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QString defaultTitle() { return QApplication::applicationName().isEmpty() ? QStringLiteral("Korvina") : QApplication::applicationName(); }
}

Messages& Messages::current() { return state().messages(); }

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
