#include "content/PictureScheme.h"

#include "base/PictureStore.h"
#include "base/ProgramState.h"
#include "platform/AppError.h"
#include "platform/Connection.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

void PictureScheme::registerScheme()
{
    QWebEngineUrlScheme scheme(Name);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Only the letter (a local page) may load the pictures.
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

bool PictureScheme::isRegistered() { return QWebEngineUrlScheme::schemeByName(Name).name() == Name; }

void PictureScheme::requestStarted(QWebEngineUrlRequestJob* job)
{
    std::optional<MailPictures::Picture> picture;
    Connection* connection = state().connection.get();
    if (connection && connection->isOpen()) {
        try {
            picture = PictureStore::find(*connection, job->requestUrl().path());
        } catch (const AppError&) {
            // shown as a missing picture
        }
    }
    if (!picture) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* buffer = new QBuffer(job);
    buffer->setData(picture->data);
    job->reply(picture->mimeType, buffer);
}
