// Writes the manual page korvina(1) at build time:
//   korvina-manpage TEMPLATE VERSION OUTPUT
#include "app/Usage.h"

#include <QFile>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: korvina-manpage TEMPLATE VERSION OUTPUT\n", stderr);
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    QSaveFile out(QString::fromLocal8Bit(argv[3]));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "korvina-manpage: cannot read %s or write %s\n", argv[1], argv[3]);
        return 1;
    }
    QString page = Usage::manPage(QString::fromUtf8(in.readAll()));
    page.replace(QLatin1String("@VERSION@"), QString::fromLocal8Bit(argv[2]));
    out.write(page.toUtf8());
    return out.commit() ? 0 : 1;
}
