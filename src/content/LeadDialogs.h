#pragma once
#include <QString>
#include <functional>

class QWidget;

// The lead editor's two small dialogs. Each returns false when cancelled.
namespace LeadDialogs {
// The address and text of a hyperlink.
bool askLink(QWidget* parent, QString& url, QString& text);
// A web address or a local file (chosen with chooseFile) for an image.
bool askImage(QWidget* parent, QString& address, const std::function<QString()>& chooseFile);
}
