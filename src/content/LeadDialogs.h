#pragma once
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// The lead editor's two small dialogs. Each returns false when cancelled.
namespace LeadDialogs {
// The address and text of a hyperlink.
bool askLink(QWidget* parent, QString& url, QString& text);
// A font that mail programs have, and a size in pixels; opens at the given ones.
bool askFont(QWidget* parent, QString& family, int& px);
// The families every mail program shows, and each one's CSS font-family with its fall-backs.
const QStringList& mailFamilies();
QString fontStack(const QString& family);
// A web address or a local file (chosen with chooseFile) for an image.
bool askImage(QWidget* parent, QString& address, const std::function<QString()>& chooseFile);
}
