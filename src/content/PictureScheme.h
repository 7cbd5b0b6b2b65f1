#pragma once
#include <QWebEngineUrlSchemeHandler>

// The lead view shows a letter's kept pictures where the letter names them, at "cid:"
// addresses, answered from the picture table: the HTML stays as it is sent.
class PictureScheme : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    static constexpr const char* Name = "cid";

    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    // Makes the scheme known to the web engine; before the application object is made.
    static void registerScheme();
    static bool isRegistered();

    void requestStarted(QWebEngineUrlRequestJob* job) override;
};
