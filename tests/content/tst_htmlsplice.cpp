// Carrying an edit of the engine's text back into the text a lead was given as.
#include "content/HtmlSplice.h"

#include <QtTest>

namespace {
// A letter as written by hand, and as the engine writes it out before any edit.
const QString Given = QStringLiteral("<table>\n<tr><td>a</td></tr>\n</table>\n<p>x y</p>\n<p>z</p>\n");
const QString Engine = QStringLiteral("<html><head></head><body><table>\n<tbody><tr><td>a</td></tr>\n"
                                      "</tbody></table>\n<p>x y</p>\n<p>z</p>\n</body></html>");
}

class TestHtmlSplice : public QObject {
    Q_OBJECT

private slots:
    void splice_data()
    {
        QTest::addColumn<QString>("from"); // in the engine's text
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("expected"); // the given text after the edit; empty: cannot be placed
        QTest::newRow("within a line") << "x y" << "x <b>y</b>"
                                       << "<table>\n<tr><td>a</td></tr>\n</table>\n<p>x <b>y</b></p>\n<p>z</p>\n";
        QTest::newRow("new line between two") << "y</p>\n<p>z" << "y</p>\n<p>new</p>\n<p>z"
                                              << "<table>\n<tr><td>a</td></tr>\n</table>\n<p>x y</p>\n<p>new</p>\n<p>z</p>\n";
        QTest::newRow("line removed") << "<p>x y</p>\n" << ""
                                      << "<table>\n<tr><td>a</td></tr>\n</table>\n<p>z</p>\n";
        QTest::newRow("in a line the engine rewrote") << "<td>a</td>" << "<td><i>a</i></td>" << "";
        QTest::newRow("from a kept line into a rewritten one") << "a</td></tr>\n</tbody>" << "b</td></tr>\n</tbody>" << "";
    }

    void splice()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, expected);
        QVERIFY(Engine.count(from) == 1);
        QCOMPARE(HtmlSplice::splice(Given, Engine, QString(Engine).replace(from, to)), expected);
    }

    void nothingChangedGivesTheGivenText() { QCOMPARE(HtmlSplice::splice(Given, Engine, Engine), Given); }
};

QTEST_APPLESS_MAIN(TestHtmlSplice)
#include "tst_htmlsplice.moc"
