#pragma once
#include <QString>
#include <QStringList>
#include <array>

// The survey page: an HTML questionnaire of ten rated questions, each answered with one of ten
// radio buttons, posted by e-mail to a fixed placeholder address.
namespace SurveyPage {
// The address the questionnaire's form posts to.
inline constexpr const char* FormAddress = "survey@example.com";

// The page's lines, in order (without line ends).
QStringList lines(const QString& name, const QString& message, const std::array<QString, 10>& questions);

// Creates or overwrites the file at path with the page, each line followed by CR LF.
// Returns false when the file cannot be created or written.
bool write(const QString& path, const QString& name, const QString& message,
           const std::array<QString, 10>& questions);
}
