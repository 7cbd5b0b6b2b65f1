#pragma once
#include <QByteArray>
#include <QString>
#include <QVector>

// The pictures of an HTML letter that a mail program could not show from where they are: a
// data: URI or a file on this machine in an <img src>. Each is taken out of the HTML, which
// then refers to it by cid:, so that it travels in the message as a part of its own.
namespace MailPictures {

struct Picture {
    QString contentId;  // without brackets: "3f2a...@korvina"
    QString fileName;   // the file's name, or "picture.png" for a data: URI
    QByteArray mimeType; // "image/png"
    QByteArray data;
};

// Rewrites html in place and returns its pictures, each once however often it is shown.
// A file that cannot be read, and anything that is no picture, is left as it was.
QVector<Picture> take(QString* html);
}
