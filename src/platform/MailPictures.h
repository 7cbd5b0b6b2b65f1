#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

// The pictures of an HTML letter. A letter refers to a picture kept with it by cid: and its
// Content-ID, which is made from the picture's bytes: the same picture always has the same one.
// A data: URI or a file on this machine in an <img src> cannot be shown by a mail program from
// where it is; take() turns each into a cid: part of its own.
namespace MailPictures {

struct Picture {
    QString contentId;   // without brackets: "3f2a...@korvina"
    QString fileName;    // the file's name, or "picture.png" for a data: URI
    QByteArray mimeType; // "image/png"
    QByteArray data;
};

QString contentId(const QByteArray& data);

// A data: URI's picture; nothing when it holds none.
std::optional<Picture> fromDataUri(const QString& uri);

// html with the address of every <img src> replaced by what replace gives for it (nothing:
// the address stays). Addresses go in and out as text, unescaped.
using Replace = std::function<std::optional<QString>(const QString& source)>;
QString rewriteSources(const QString& html, const Replace& replace);

// The Content-IDs html's pictures name by cid:, each once, in order.
QStringList contentIds(const QString& html);

enum class Sources { DataUris, DataUrisAndFiles };
// Rewrites html in place and returns its pictures, each once however often it is shown.
// A file that cannot be read, and anything that is no picture, is left as it was.
QVector<Picture> take(QString* html, Sources sources = Sources::DataUrisAndFiles);
}
