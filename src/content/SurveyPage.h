#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>

// The survey page: an HTML questionnaire of ten rated questions, each answered with one of ten
// radio buttons, posted by e-mail to a fixed placeholder address.
namespace SurveyPage {
// The address the questionnaire's form posts to.
inline constexpr const char* FormAddress = "survey@example.com";

// The page's lines, in order (without line ends). The message is text: only a picture it names
// by cid: and pictureFiles has a file for (by Content-ID) is shown, from that file.
QStringList lines(const QString& name, const QString& message, const std::array<QString, 10>& questions,
                  const QHash<QString, QString>& pictureFiles = {});

// Writes the page at path, a file there replaced whole, each line followed by CR LF. Returns
// false when the file cannot be written.
bool write(const QString& path, const QString& name, const QString& message,
           const std::array<QString, 10>& questions, const QHash<QString, QString>& pictureFiles = {});
}
