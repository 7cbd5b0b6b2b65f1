#pragma once
#include "common/TestSupport.h"

#include "app/Application.h"
#include "shell/KKLogin.h"
#include "shell/KKStart.h"

#include <QLineEdit>

class KKMain;

// Starts the whole program in the test's process as a user would: the splash is hurried on,
// the log-in is answered with the administrator's name and the given password, and the main
// window is returned (null when the start did not get that far).
inline KKMain* startAsChief(Application& app, const QString& password = QStringLiteral("korvina"))
{
    onModal<KKStart>([](KKStart* splash) { splash->setTimerInterval(1); });
    onModal<KKLogin>([password](KKLogin* login) {
        login->loginField()->setText(QStringLiteral("chief"));
        login->passwordField()->setText(password);
        login->checkLogin();
    });
    return app.start();
}
