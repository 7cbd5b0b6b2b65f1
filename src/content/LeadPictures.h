#pragma once
#include "platform/MailPictures.h"

#include <QHash>
#include <QSize>
#include <QString>
#include <optional>

class Connection;

// Pictures in a lead: a file made ready to go into the letter, and the letter's pictures
// written beside an HTML file for a web browser.
namespace LeadPictures {

// The widest a picture goes into a letter unasked: what mail programs show without scrolling.
constexpr int MaxWidth = 600;

struct Inserted {
    MailPictures::Picture picture; // its Content-ID set
    QSize size;                    // in pixels, as it goes in
    QString alt;                   // from the file's name
};

// A picture file made ready for a letter. One wider than MaxWidth is scaled down to it unless
// the user keeps the original (asked through the message seam); nothing when the user cancels
// or the file is no picture, after saying so.
std::optional<Inserted> fromFile(const QString& path);

// <img src="cid:..." alt="..." width="..." height="...">
QString imageTag(const Inserted& inserted);

// Writes the kept pictures html names by cid: as files beside the page at htmlPath (a file
// there is replaced whole) and returns each one's file name by its Content-ID. Throws
// AppError when one cannot be written.
QHash<QString, QString> writeFiles(Connection& connection, const QString& html, const QString& htmlPath);
// html with those pictures written beside htmlPath and named by their files.
QString writeBeside(Connection& connection, const QString& html, const QString& htmlPath);
// The file name a kept picture gets beside a page: its own name and a part of its Content-ID.
QString fileName(const MailPictures::Picture& picture);
}
